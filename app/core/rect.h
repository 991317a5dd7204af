// A rectangle in the main window's client pixels: left and top inside, right
// and bottom just outside, as the window systems count them.
#pragma once

namespace veskar {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static constexpr Rect sized(int x, int y, int width, int height)
    {
        return {x, y, x + width, y + height};
    }
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

}  // namespace veskar

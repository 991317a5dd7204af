// What the views draw, as data: the front end paints it as it stands, and
// tests compare it without a window.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/core/rect.h"

namespace veskar {

// A text colour.  Text is always drawn opaque on the window's button-face
// colour.  Rgb colours are palette-relative on Windows (top byte 2).
struct Colour {
    enum class Kind : uint8_t {
        WindowText,    // the system's text colour, as the device context starts
        ButtonShadow,  // the system's button-shadow colour (idle channels)
        Rgb,
    };
    Kind kind = Kind::WindowText;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    static constexpr Colour rgb(uint8_t r, uint8_t g, uint8_t b) { return {Kind::Rgb, r, g, b}; }
    bool operator==(const Colour&) const = default;
};

// One text drawn in the window's variable-pitch font.  The text is shown as
// it stands: no '&' prefix processing.
struct TextCell {
    enum class Layout : uint8_t {
        Point,    // one line from (rect.left, rect.top), not clipped (rect is empty)
        Wrapped,  // word-wrapped into rect, left-aligned, with external leading
        Right,    // word-wrapped into rect, right-aligned, with external leading
    };
    Rect rect;
    std::string text;
    Colour colour;
    Layout layout = Layout::Wrapped;

    bool operator==(const TextCell&) const = default;
};

// The wave view, 160 x 68 pixels, each 0xFFRRGGBB (the layout of a 32-bit
// Qt image and of a top-down 32-bit Windows bitmap alike).
class WaveImage {
public:
    static constexpr int kWidth = 160;
    static constexpr int kHeight = 68;

    uint32_t pixel(int x, int y) const { return pixels_[static_cast<size_t>(y * kWidth + x)]; }
    void setPixel(int x, int y, uint32_t colour) { pixels_[static_cast<size_t>(y * kWidth + x)] = colour; }
    void fill(uint32_t colour) { pixels_.fill(colour); }
    const uint32_t* data() const { return pixels_.data(); }

private:
    std::array<uint32_t, kWidth * kHeight> pixels_{};
};

// Everything one paint of the main window draws: the text cells in drawing
// order (later cells over earlier ones) and the wave image, whose top-left
// pixel goes to (waveLeft, waveTop) of the window.
struct Painting {
    std::vector<TextCell> cells;
    const WaveImage* wave = nullptr;
    int waveLeft = 0;
    int waveTop = 0;
};

}  // namespace veskar

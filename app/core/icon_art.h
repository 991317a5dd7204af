// Veskar's icons as pixel art, one copy for every front end: Qt paints them
// from here, and app/win32/make_icons.py turns the same rows into the .ico
// files of the resource script.
#pragma once

#include <cstdint>
#include <vector>

namespace veskar {

// The icon `id` (IDI_MAIN, IDI_ABOUT, IDI_PLAY, IDI_PLAY_OFF, IDI_STOP,
// IDI_STOP_OFF) at `size` x `size` pixels (16 or 32; every pixel of the
// 16 x 16 art doubled for 32), row by row, each 0xAARRGGBB with transparent
// pixels 0.  Empty for an unknown id.
std::vector<uint32_t> iconPixels(int id, int size);

// False for the icons made at 32 x 32 only (the About box's).
bool iconHasSmallSize(int id);

}  // namespace veskar

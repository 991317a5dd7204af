#include "app/core/icon_art.h"

#include <array>
#include <cstddef>

#include "app/core/resource_ids.h"

namespace veskar {

namespace {

// The 16 colours of the oldest displays, as 0xRRGGBB; the art names them by
// hexadecimal digit ('.' is transparent).
// clang-format off
constexpr uint32_t kIconPalette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};
// clang-format on

using IconRows = std::array<const char*, 16>;

// '#' is the ink, which each icon chooses.
constexpr IconRows kPlayShape = {
    "................",
    "................",
    "................",
    ".....#..........",
    ".....##.........",
    ".....###........",
    ".....####.......",
    ".....#####......",
    ".....######.....",
    ".....#####......",
    ".....####.......",
    ".....###........",
    ".....##.........",
    ".....#..........",
    "................",
    "................",
};

constexpr IconRows kStopShape = {
    "................",
    "................",
    "................",
    "................",
    "....########....",
    "....########....",
    "....########....",
    "....########....",
    "....########....",
    "....########....",
    "....########....",
    "....########....",
    "................",
    "................",
    "................",
    "................",
};

// A little wave view in a silver frame: red and blue traces, magenta where
// they cross.
constexpr IconRows kMainArt = {
    "................",
    "0000000000000000",
    "0777777777777770",
    "07FFFFFFFFFFFF70",
    "07FF9FFFFFFFFF70",
    "07FF99FFCFFF9F70",
    "07F9F9FFCCF9F970",
    "07F9FF9CFFC9FF70",
    "07DFFF9CFF9CFF70",
    "07FCFFC9F9FCFC70",
    "07FCFCF9F9FFCF70",
    "07FFCFFF9FFFFF70",
    "07FFFFFFFFFFFF70",
    "0777777777777770",
    "0000000000000000",
    "................",
};

// The same frame with an eighth note.
constexpr IconRows kAboutArt = {
    "................",
    "0000000000000000",
    "0777777777777770",
    "07FFFFF00FFFFF70",
    "07FFFFF0F0FFFF70",
    "07FFFFF0FF0FFF70",
    "07FFFFF0FFF0FF70",
    "07FFFFF0FFFFFF70",
    "07FFFFF0FFFFFF70",
    "07FFF000FFFFFF70",
    "07FF0000FFFFFF70",
    "07FFF00FFFFFFF70",
    "07FFFFFFFFFFFF70",
    "0777777777777770",
    "0000000000000000",
    "................",
};

struct IconArt {
    int id;
    const IconRows* rows;
    char ink;    // the colour of '#'
    bool small;  // also made at 16 x 16
};

constexpr IconArt kIcons[] = {
    {IDI_MAIN, &kMainArt, '0', true},
    {IDI_PLAY, &kPlayShape, '0', true},
    {IDI_STOP, &kStopShape, '0', true},
    {IDI_PLAY_OFF, &kPlayShape, '8', true},
    {IDI_STOP_OFF, &kStopShape, '8', true},
    {IDI_ABOUT, &kAboutArt, '0', false},
};

const IconArt* find(int id)
{
    for (const IconArt& art : kIcons)
        if (art.id == id)
            return &art;
    return nullptr;
}

uint32_t colourOf(char c, char ink)
{
    if (c == '#')
        c = ink;
    if (c >= '0' && c <= '9')
        return 0xFF000000u | kIconPalette[c - '0'];
    if (c >= 'A' && c <= 'F')
        return 0xFF000000u | kIconPalette[c - 'A' + 10];
    return 0;
}

}  // namespace

std::vector<uint32_t> iconPixels(int id, int size)
{
    const IconArt* art = find(id);
    if (art == nullptr || size <= 0)
        return {};
    std::vector<uint32_t> pixels(static_cast<std::size_t>(size * size));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            pixels[static_cast<std::size_t>(y * size + x)] = colourOf((*art->rows)[y * 16 / size][x * 16 / size], art->ink);
    return pixels;
}

bool iconHasSmallSize(int id)
{
    const IconArt* art = find(id);
    return art != nullptr && art->small;
}

}  // namespace veskar

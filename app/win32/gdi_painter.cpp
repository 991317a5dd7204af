#include "app/win32/gdi_painter.h"

#include "app/win32/text.h"

namespace veskar {

namespace {

// 0xFFRRGGBB, as the core's wave image holds colours.
uint32_t argbOf(COLORREF colour)
{
    return 0xFF000000u | (static_cast<uint32_t>(GetRValue(colour)) << 16) |
           (static_cast<uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

COLORREF colourOf(const Colour& colour)
{
    switch (colour.kind) {
    case Colour::Kind::ButtonShadow:
        return GetSysColor(COLOR_BTNSHADOW);
    case Colour::Kind::Rgb:
        return PALETTERGB(colour.red, colour.green, colour.blue);
    case Colour::Kind::WindowText:
        break;
    }
    return GetSysColor(COLOR_WINDOWTEXT);
}

UINT formatOf(TextCell::Layout layout)
{
    // The core's texts are shown as they stand: no '&' prefixes.
    switch (layout) {
    case TextCell::Layout::Point:
        return DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX;
    case TextCell::Layout::Right:
        return DT_RIGHT | DT_WORDBREAK | DT_EXTERNALLEADING | DT_NOPREFIX;
    case TextCell::Layout::Wrapped:
        break;
    }
    return DT_LEFT | DT_WORDBREAK | DT_EXTERNALLEADING | DT_NOPREFIX;
}

}  // namespace

void GdiPainter::paint(HDC dc, Application& application)
{
    const bool wave = prepareWave(dc, application);
    const Painting& painting = application.paint();
    drawCells(dc, painting);
    if (wave)
        drawWave(dc, painting);
}

// The memory context and bitmap, made once; the trace colours as this device shows them.
bool GdiPainter::prepareWave(HDC dc, Application& application)
{
    if (memory_ == nullptr && (memory_ = CreateCompatibleDC(dc)) == nullptr)
        return false;
    if (bitmap_ == nullptr && (bitmap_ = CreateCompatibleBitmap(dc, WaveImage::kWidth, WaveImage::kHeight)) == nullptr)
        return false;
    HGDIOBJ previous = SelectObject(memory_, bitmap_);
    WavePalette palette;
    palette.left = argbOf(SetPixel(memory_, 0, 0, PALETTERGB(255, 0, 0)));
    palette.right = argbOf(SetPixel(memory_, 0, 0, PALETTERGB(0, 0, 255)));
    palette.overlap = argbOf(SetPixel(memory_, 0, 0, PALETTERGB(255, 0, 255)));
    palette.background = argbOf(GetSysColor(COLOR_BTNFACE));
    SelectObject(memory_, previous);
    application.controlPanel().setWavePalette(palette);
    return true;
}

void GdiPainter::drawCells(HDC dc, const Painting& painting)
{
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    HGDIOBJ font = SelectObject(dc, GetStockObject(ANSI_VAR_FONT));
    if (font == nullptr || font == HGDI_ERROR)
        return;
    for (const TextCell& cell : painting.cells) {
        const COLORREF previous = SetTextColor(dc, colourOf(cell.colour));
        RECT rect = {cell.rect.left, cell.rect.top, cell.rect.right, cell.rect.bottom};
        DrawTextW(dc, toWide(cell.text).c_str(), -1, &rect, formatOf(cell.layout));
        SetTextColor(dc, previous);
    }
    SelectObject(dc, font);
}

void GdiPainter::drawWave(HDC dc, const Painting& painting)
{
    if (painting.wave == nullptr)
        return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = WaveImage::kWidth;
    info.bmiHeader.biHeight = -WaveImage::kHeight;  // top-down, as the core's rows run
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HGDIOBJ previous = SelectObject(memory_, bitmap_);
    SetDIBitsToDevice(memory_, 0, 0, WaveImage::kWidth, WaveImage::kHeight, 0, 0, 0, WaveImage::kHeight,
                      painting.wave->data(), &info, DIB_RGB_COLORS);
    BitBlt(dc, painting.waveLeft, painting.waveTop, WaveImage::kWidth, WaveImage::kHeight, memory_, 0, 0, SRCCOPY);
    SelectObject(memory_, previous);
}

void GdiPainter::release()
{
    if (bitmap_ != nullptr)
        DeleteObject(bitmap_);
    if (memory_ != nullptr)
        DeleteDC(memory_);
    bitmap_ = nullptr;
    memory_ = nullptr;
}

}  // namespace veskar

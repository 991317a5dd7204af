// Paints the core's views with GDI: the text cells opaque on the button-face colour in the stock
// variable-pitch font, and the wave view built off-screen in a 160 x 68 bitmap (made on the first
// paint) and copied to the window once.
#pragma once

#include <windows.h>

#include "app/core/application.h"

namespace veskar {

class GdiPainter {
public:
    GdiPainter() = default;
    ~GdiPainter() { release(); }
    GdiPainter(const GdiPainter&) = delete;
    GdiPainter& operator=(const GdiPainter&) = delete;

    void paint(HDC dc, Application& application);
    // The wave view's bitmap, then its memory device context.
    void release();

private:
    bool prepareWave(HDC dc, Application& application);
    void drawCells(HDC dc, const Painting& painting);
    void drawWave(HDC dc, const Painting& painting);

    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
};

}  // namespace veskar

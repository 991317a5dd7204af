// The wave view: the ring's two channels as overlaid traces.
#include "app/core/status_views.h"

namespace veskar {

namespace {

constexpr int kColumns = 288;  // columns the ring is spread over; those from 160 on are not shown
constexpr int kMiddle = 34;    // the row of silence

// The row of a sample: 0 for full positive, 34 for silence, 68 (below the
// image) for full negative.
int rowOf(int16_t sample)
{
    return static_cast<int>(static_cast<uint32_t>(32768 - sample) / 963u);
}

// Calls `set(y)` for the rows from the sample's row to the middle.
template <typename Set>
void run(int16_t sample, Set set)
{
    const int y = rowOf(sample);
    const int first = y < kMiddle ? y : kMiddle;
    const int last = y < kMiddle ? kMiddle - 1 : y;
    for (int row = first; row <= last && row < WaveImage::kHeight; ++row)
        set(row);
}

}  // namespace

void drawWave(const int16_t* ring, uint32_t length, const WavePalette& palette, WaveImage* image)
{
    image->fill(palette.background);
    const uint64_t frames = length / 2;
    // frames / 288 frames per column, in 32.32 fixed point.
    const uint64_t step = (frames << 32) / kColumns;
    uint64_t position = 0;
    for (int x = 0; x < WaveImage::kWidth && (position >> 32) < frames; ++x, position += step) {
        const size_t frame = static_cast<size_t>(position >> 32);
        run(ring[2 * frame], [&](int y) { image->setPixel(x, y, palette.left); });
        run(ring[2 * frame + 1], [&](int y) {
            image->setPixel(x, y, image->pixel(x, y) == palette.left ? palette.overlap : palette.right);
        });
    }
}

}  // namespace veskar

// The live views of the main window and their drawing rules: the engine
// information panel with the slider legends, the wave view and the channel
// status table.  They read only a HostSnapshot and draw into a Painting.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/host_bridge.h"
#include "app/core/paint_output.h"
#include "app/core/window_system.h"

namespace veskar {

// ---- Information panel ----

// The panel's text as shown (five lines; the fifth is followed by 27 spaces).
std::string informationText(const EngineInfo& info, bool running, uint32_t ticks);
// The panel, then the fixed legends of the three sliders.
void addInformationPanel(const EngineInfo& info, bool running, uint32_t ticks, std::vector<TextCell>* cells);

// ---- Wave view ----

inline constexpr int kWaveLeft = 328;
inline constexpr int kWaveTop = 20;

// The wave view's colours as 0xFFRRGGBB: the background is the window's
// button-face colour; a front end on a palette device passes the trace
// colours the device really shows.
struct WavePalette {
    uint32_t background = 0xFFF0F0F0;
    uint32_t left = 0xFFFF0000;
    uint32_t right = 0xFF0000FF;
    uint32_t overlap = 0xFFFF00FF;
};

// Draws the ring (`length` values, left and right interleaved) as two traces:
// one column per 1/288 of its frames, each sample a run of pixels from its
// row, (32768 - sample) / 963, to the middle; where the right trace crosses
// the left one it shows the overlap colour.
void drawWave(const int16_t* ring, uint32_t length, const WavePalette& palette, WaveImage* image);

// ---- Channel status table ----

// The colour of a channel's row: idle voices in the button-shadow colour,
// others with red from volume x left level and blue from volume x right level.
Colour channelColour(const Voice& voice);
// The header, then one row per channel (`count` entries of each table).
void addChannelTable(const Voice* voices, const MacroChannel* channels, uint32_t count, std::vector<TextCell>* cells);

// The channel table's part of the window.
class ChannelStatusView {
public:
    ChannelStatusView(WindowSystem& window, uint32_t channels);

    // The rows' area, marked for repainting on every refresh.
    Rect area() const;
    void invalidate();
    void paint(const HostSnapshot& snapshot, Painting* painting) const;

private:
    WindowSystem& window_;
    uint32_t channels_;
};

}  // namespace veskar

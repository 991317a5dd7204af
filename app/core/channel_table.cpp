// The channel status table: a header and one row per macro channel.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/core/status_views.h"

namespace veskar {

namespace {

constexpr Rect kHeaderRect = {16, 192, 488, 207};
constexpr const char* kHeader =
    "# - Status             Type       Priority         Phase                  Phase Adjust       Vol         Panning <L, R>";
constexpr int kFirstRowTop = 207;
constexpr int kRowHeight = 15;

const char* statusWord(int32_t mode)
{
    switch (mode) {
    case 0:
        return "Idle            ";
    case 1:
        return "Single Shot ->  ";
    case 2:
        return "Looping <->     ";
    default:
        return "Unknown         ";
    }
}

// |high byte of the 16-bit product| x 4, kept to 8 bits: 127 x 127 gives 252.
uint8_t level(int8_t volume, int8_t pan)
{
    const uint16_t product = static_cast<uint16_t>(volume * pan);
    const int8_t high = static_cast<int8_t>(product >> 8);
    return static_cast<uint8_t>(std::abs(high) * 4);
}

}  // namespace

Colour channelColour(const Voice& voice)
{
    if (voice.mode == 0)
        return Colour{Colour::Kind::ButtonShadow};
    return Colour::rgb(level(voice.volume, voice.panLeft), 0, level(voice.volume, voice.panRight));
}

void addChannelTable(const Voice* voices, const MacroChannel* channels, uint32_t count, std::vector<TextCell>* cells)
{
    cells->push_back({kHeaderRect, kHeader, Colour{}, TextCell::Layout::Wrapped});
    char text[64];
    for (uint32_t i = 0; i < count; ++i) {
        const Voice& voice = voices[i];
        const MacroChannel& channel = channels[i];
        const int top = kFirstRowTop + kRowHeight * static_cast<int>(i);
        const Colour colour = channelColour(voice);
        auto cell = [&](int left, int right, TextCell::Layout layout = TextCell::Layout::Wrapped) {
            cells->push_back({Rect{left, top, right, top + kRowHeight}, text, colour, layout});
        };
        std::snprintf(text, sizeof text, count <= 16 ? "%01X - %s        " : "%02X - %s        ", i,
                      statusWord(voice.mode));
        cell(16, 104);
        std::snprintf(text, sizeof text, "%s", channel.noteMode != 0 ? "i  " : "s  ");
        cell(104, 120);
        std::snprintf(text, sizeof text, "%d    ", channel.priority);
        cell(148, 204);
        std::snprintf(text, sizeof text, "$%04X.%04X    ", voice.phase >> 16, voice.phase & 0xFFFFu);
        cell(204, 288);
        std::snprintf(text, sizeof text, "$%04X.%04X    ", voice.phaseAdjust >> 16, voice.phaseAdjust & 0xFFFFu);
        cell(288, 372);
        std::snprintf(text, sizeof text, "%d        ", voice.volume);
        cell(372, 411);
        // The two level cells overlap: the right level, right-aligned, is
        // drawn last over the tail of the left one.
        std::snprintf(text, sizeof text, "<  %d            ", voice.panLeft);
        cell(412, 480);
        std::snprintf(text, sizeof text, "   %d  >", voice.panRight);
        cell(444, 488, TextCell::Layout::Right);
    }
}

ChannelStatusView::ChannelStatusView(WindowSystem& window, uint32_t channels) : window_(window), channels_(channels) {}

Rect ChannelStatusView::area() const
{
    return {16, 190, 488, 15 * static_cast<int>(channels_) + 210};
}

void ChannelStatusView::invalidate()
{
    window_.invalidate(area());
}

void ChannelStatusView::paint(const HostSnapshot& snapshot, Painting* painting) const
{
    // The host hands out the engine's 16 channels; a table for more has no rows to show.
    const uint32_t rows = std::min<uint32_t>(channels_, BS_CHANNELS);
    addChannelTable(snapshot.voices, snapshot.channels, rows, &painting->cells);
}

}  // namespace veskar

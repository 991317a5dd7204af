// The engine information panel and the slider legends.
#include <charconv>
#include <cstdio>

#include "app/core/status_views.h"

namespace veskar {

namespace {

constexpr Rect kPanelRect = {16, 22, 308, 87};

struct Legend {
    int left;
    int top;
    const char* text;
};

constexpr Legend kLegends[] = {
    {16, 148, "Soft"},
    {152, 148, "Loud"},
    {280, 120, "PRI"},
    {384, 120, "PAN"},
    {300, 148, "Low            High"},
    {408, 148, "Left            Right"},
};

}  // namespace

std::string informationText(const EngineInfo& info, bool running, uint32_t ticks)
{
    // The play time with two decimals whatever the locale (Qt sets the
    // user's, where printf might write a decimal comma).
    const double seconds = info.decodeRate != 0 ? static_cast<double>(ticks) / static_cast<double>(info.decodeRate) : 0.0;
    char time[64];
    const std::to_chars_result end = std::to_chars(time, time + sizeof time - 1, seconds, std::chars_format::fixed, 2);
    *end.ptr = '\0';

    // Drawn without prefix processing, so one '&' stands for the "&&" that
    // would show as '&' on a Windows label.
    char text[512];
    std::snprintf(text, sizeof text,
                  "Macro Channels : %u\nRender & Decode Rates : %uHz, %uHz\n"
                  "Sample Library : %u Entries, %u Samples Each (Max)\n\n[%s] Render Ticks : %u, %s sec%27s",
                  info.channels, info.renderRate, info.decodeRate, info.librarySize, info.maxSampleLength,
                  running ? "Running" : "Idle", ticks, time, "");
    return text;
}

void addInformationPanel(const EngineInfo& info, bool running, uint32_t ticks, std::vector<TextCell>* cells)
{
    cells->push_back({kPanelRect, informationText(info, running, ticks), Colour{}, TextCell::Layout::Wrapped});
    for (const Legend& legend : kLegends)
        cells->push_back({Rect{legend.left, legend.top, legend.left, legend.top}, legend.text, Colour{},
                          TextCell::Layout::Point});
}

}  // namespace veskar

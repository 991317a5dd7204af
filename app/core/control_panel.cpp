#include "app/core/control_panel.h"

#include <algorithm>

namespace veskar {

namespace {

// The areas that change from one refresh to the next.
constexpr Rect kRefreshAreas[] = {
    {16, 20, 304, 93},     // information text
    {16, 148, 176, 164},   // volume legend
    {200, 116, 488, 162},  // effect controls
    {328, 20, 488, 88},    // wave view
};

}  // namespace

void panningLevels(int p, int* left, int* right)
{
    if (p <= 127) {
        *left = 127;
        *right = p;
    } else {
        *left = 255 - p;
        *right = 127;
    }
}

ControlPanel::ControlPanel(WindowSystem& window, HostBridge& bridge, const EngineInfo& info)
    : info_(info), window_(window), bridge_(bridge)
{
}

void ControlPanel::onCommand(int command)
{
    const int id = command & 0xFFFF;
    const bool ready = bridge_.running() && bridge_.effectLoaded();
    if ((id == ID_PLAYBACK_PLAYSFX || id == IDC_SFX_PLAY) && ready)
        bridge_.playSfx(priority_, left_, right_);
    if ((id == ID_PLAYBACK_STOPSFX || id == IDC_SFX_STOP) && ready)
        bridge_.stopSfx();
    updateButtons();
}

void ControlPanel::updateButtons()
{
    if (buttonsActive_ || !bridge_.effectLoaded() || !bridge_.running())
        return;
    window_.setButtonIcon(IDC_SFX_PLAY, IDI_PLAY);
    window_.setButtonIcon(IDC_SFX_STOP, IDI_STOP);
    buttonsActive_ = true;
}

void ControlPanel::onHScroll()
{
    int volume = std::clamp(window_.trackbarPosition(IDC_VOLUME_TRACKBAR), 0, 127);
    int priority = std::clamp(window_.trackbarPosition(IDC_SFX_PRIORITY), 1, 127);
    int panning = std::clamp(window_.trackbarPosition(IDC_SFX_PANNING), 0, 255);

    if (bridge_.running()) {
        bridge_.attenMusic(volume);
        volume_ = volume;
    } else {
        volume = volume_;
    }

    if (bridge_.running() && bridge_.effectLoaded()) {
        if (priority != priority_)
            bridge_.stopSfx();
        priority_ = priority;
        panning_ = panning;
        panningLevels(panning, &left_, &right_);
    } else {
        priority = priority_;
        panning = panning_;
    }

    // A change that was not taken snaps its trackbar back.
    window_.setTrackbarPosition(IDC_VOLUME_TRACKBAR, volume);
    window_.setTrackbarPosition(IDC_SFX_PRIORITY, priority);
    window_.setTrackbarPosition(IDC_SFX_PANNING, panning);
}

void ControlPanel::invalidate()
{
    for (const Rect& area : kRefreshAreas)
        window_.invalidate(area);
}

void ControlPanel::paint(const HostSnapshot& snapshot, Painting* painting)
{
    addInformationPanel(info_, bridge_.running(), snapshot.blocksRendered, &painting->cells);
    drawWave(snapshot.ring, HX_RING_VALUES, palette_, &wave_);
    painting->wave = &wave_;
    painting->waveLeft = kWaveLeft;
    painting->waveTop = kWaveTop;
}

}  // namespace veskar

// ControlPanel: the music volume trackbar, the sound effect's Play and Stop
// buttons and its priority and panning trackbars, and the drawing of the
// information panel, the slider legends and the wave view.
#pragma once

#include "app/core/host_bridge.h"
#include "app/core/paint_output.h"
#include "app/core/status_views.h"
#include "app/core/window_system.h"

namespace veskar {

// The effect's left and right levels for panning position `p`: 0 is hard
// left (127, 0), 127 and 128 the centre (127, 127), 255 hard right (0, 127).
void panningLevels(int p, int* left, int* right);

class ControlPanel {
public:
    ControlPanel(WindowSystem& window, HostBridge& bridge, const EngineInfo& info);

    // Every command of the main window, after CommandHandler has handled it.
    void onCommand(int command);
    // Any scroll notification of any of the three trackbars.
    void onHScroll();
    // Switches the buttons to their black icons, once for the life of the
    // panel, when the host runs with an effect loaded (the last step of
    // every command).
    void updateButtons();

    // Marks the panel's changing areas for repainting.
    void invalidate();
    void setWavePalette(const WavePalette& palette) { palette_ = palette; }
    void paint(const HostSnapshot& snapshot, Painting* painting);

    int storedVolume() const { return volume_; }
    bool buttonsActive() const { return buttonsActive_; }
    int storedPriority() const { return priority_; }
    int storedPanning() const { return panning_; }
    int leftLevel() const { return left_; }
    int rightLevel() const { return right_; }

private:
    EngineInfo info_;
    WindowSystem& window_;
    HostBridge& bridge_;
    WaveImage wave_;
    WavePalette palette_;
    int volume_ = 127;
    bool buttonsActive_ = false;
    int priority_ = 127;
    int panning_ = 128;
    int left_ = 127;
    int right_ = 127;
};

}  // namespace veskar

// Veskar's icons from the core's pixel art: the application's, the About box's, and the
// effect buttons' play triangle and stop square in black and in grey.
#pragma once

#include <QIcon>

namespace veskar {

// IDI_MAIN, IDI_ABOUT, IDI_PLAY, IDI_PLAY_OFF, IDI_STOP or IDI_STOP_OFF, at
// 16 x 16 and 32 x 32 pixels (the About icon at 32 x 32 only).
QIcon veskarIcon(int id);

}  // namespace veskar

// The About box.
#pragma once

class QWidget;

namespace veskar {

// Shows the About box modally over `owner` until OK, Enter, Escape or its
// close box ends it.
void showAboutBox(QWidget* owner);

}  // namespace veskar

// Message boxes and file dialogs as the core asks for them.
#pragma once

#include <string>

#include "app/core/window_system.h"

class QWidget;

namespace veskar {

// A modal warning box over `owner` (null: no owner) with the system's
// default caption.
MessageAnswer showMessageBox(QWidget* owner, const std::string& text, MessageButtons buttons);

// A modal open or save dialog over `owner`; false when cancelled.
bool runFileDialog(QWidget* owner, const FileDialogSpec& request, std::string* path);

}  // namespace veskar

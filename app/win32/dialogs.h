// The main window's modal dialogs: open and save dialogs of the common dialog library, message
// boxes with the warning icon, and the About box of the resource script.
#pragma once

#include <windows.h>

#include <string>

#include "app/core/window_system.h"

namespace veskar {

// An open or save dialog as `dialog` says, over `owner`; false when cancelled.
bool runFileDialog(HWND owner, const FileDialogSpec& dialog, std::string* path);

// A message box with the system's default caption and the warning icon (`owner` may be null).
MessageAnswer showMessageBox(HWND owner, const std::string& text, MessageButtons buttons);

// IDD_ABOUTBOX, modal over `owner`.
void showAboutBox(HINSTANCE instance, HWND owner);

}  // namespace veskar

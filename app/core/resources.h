// Veskar's resources as data, one copy for every front end: the string table,
// the main menu and its accelerators, the About box, the window and its child
// controls, the trackbars' settings and the file dialogs' filters.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/core/rect.h"
#include "app/core/resource_ids.h"

namespace veskar {

// The text of string `id` of the string table, or null when there is none.
const char* stringText(int id);

// ---- Main menu (IDR_MAINMENU) ----

enum class MenuPopup {
    File = 0,
    Playback = 1,
    Help = 2
};

// One item of a popup; a separator has no text and command 0 (separators
// count as positions).  `enabled` is the state before the first command.
struct MenuItem {
    const char* text;
    int command;
    bool enabled;

    bool separator() const { return text == nullptr; }
};

struct MenuPopupResource {
    MenuPopup popup;
    const char* text;
    bool enabled;  // the Playback popup starts greyed as a whole
    std::span<const MenuItem> items;
};

// The popups in menu-bar order.
std::span<const MenuPopupResource> mainMenu();

// ---- Accelerators (IDR_ACCELERATORS) ----

// `key` is an upper-case letter or ' ' for the space bar (the same codes as
// the Windows virtual keys and Qt's key codes).
struct Accelerator {
    char key;
    bool control;
    int command;
};

std::span<const Accelerator> accelerators();

// ---- About box (IDD_ABOUTBOX) ----

// The About box and its layout in dialog units: x counts quarters of the
// dialog font's average character width, y eighths of its height.
struct AboutBox {
    const char* title;
    const char* text;
    const char* versionCaption;
    const char* button;
    int width;
    int height;
    Rect iconRect;  // the icon shows at its own size from the top-left corner
    Rect textRect;
    Rect versionRect;  // the group box captioned versionCaption
    Rect buttonRect;   // the default button
};

const AboutBox& aboutBox();

// ---- Main window ----

inline constexpr const char* kWindowTitle = "Veskar";
inline constexpr const char* kWindowClass = "VeskarClass";
inline constexpr int kWindowWidth = 512;
// The main window's height for `channels` macro channels: 501 for 16 (its
// menu bar included; on Windows also its caption and frame).
int windowHeight(uint32_t channels);
inline constexpr unsigned kRefreshMilliseconds = 50;

enum class ControlKind {
    Frame,       // etched frame; shows no text (its creation text is replaced by "")
    Caption,     // left-aligned static text showing its creation text
    Trackbar,    // horizontal, automatic tick marks (settings below)
    IconButton,  // push button showing an icon
};

struct ChildControl {
    int id;  // the two captions that share 2031 are never addressed by id
    ControlKind kind;
    const char* className;  // the Windows class
    const char* creationText;
    Rect rect;
    int initialIcon;  // icon buttons only, else 0
};

// The main window's child controls in creation order: thirteen of the
// control panel, then the channel table's frame and caption, whose frame is
// 15 x channels + 23 pixels high.
std::vector<ChildControl> childControls(uint32_t channels);

struct TrackbarSetup {
    int id;
    int minimum;
    int maximum;
    int pageSize;
    int tickFrequency;
    int initial;
};

std::span<const TrackbarSetup> trackbarSetups();

// ---- Packages and file dialogs ----

// The four kinds of package, in the order they open when named together.
enum class Package {
    Samples = 0,
    Instruments = 1,
    Music = 2,
    Effect = 3
};
inline constexpr int kPackageKinds = 4;
inline constexpr Package kPackages[] = {Package::Samples, Package::Instruments, Package::Music, Package::Effect};

// At most one file of each kind, by Package; an empty path for none.
struct PackageFiles {
    std::array<std::string, kPackageKinds> paths;

    std::string& operator[](Package package) { return paths[static_cast<size_t>(package)]; }
    const std::string& operator[](Package package) const { return paths[static_cast<size_t>(package)]; }
};

// Description and pattern of one entry of a file dialog's type list.
struct FileFilter {
    const char* description;
    const char* pattern;
};

struct FileDialogSpec {
    enum class Mode {
        Open,
        Save
    } mode;
    std::span<const FileFilter> filters;  // the first is selected
    const char* defaultExtension;         // appended to a name without one; null for none
};

struct PackageResource {
    Package package;
    const char* name;       // "sample pack", for messages
    const char* extension;  // "smp", matched without regard to case
    int openCommand;
    int invalidText;  // string id: the text after the file name when the package is invalid
    FileDialogSpec openDialog;
};

const PackageResource& packageResource(Package package);
// The package that a file of this name holds, judged by its extension; false
// for any other name.
bool packageOfFile(const std::string& path, Package* package);

// The save dialog of Log Output.
const FileDialogSpec& logDialog();

}  // namespace veskar

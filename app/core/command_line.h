// Veskar's command line: package files to open, sorted by kind, and --help.
// Files dropped on the window are sorted by the same rules.
#pragma once

#include <string>
#include <vector>

#include "app/core/resources.h"

namespace veskar {

// Why a list of files cannot be opened: `text` is the id of the string that
// follows `path` (IDS_NOT_A_PACKAGE or IDS_SECOND_PACKAGE).
struct FileListProblem {
    int text = 0;
    std::string path;

    // "<path><text>", as shown in a message box.
    std::string message() const;
};

// Sorts `paths` by their extensions (.smp, .ins, .mus, .sfx, in any case).
// False at the first file of no known kind or the second of a kind.
bool sortPackageFiles(const std::vector<std::string>& paths, PackageFiles* files, FileListProblem* problem);

struct CommandLine {
    enum class Action {
        Open,   // open the window with `files` (which may all be empty)
        Help,   // print `output` to standard output and exit with status 0
        Error,  // print `output` to standard error and exit with status 2, with no window
    };
    Action action = Action::Open;
    PackageFiles files;
    std::string output;

    int exitStatus() const { return action == Action::Error ? 2 : 0; }
};

extern const char* const kUsageText;

// `arguments` without the program's name (and without the options the
// window system took for itself).
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

}  // namespace veskar

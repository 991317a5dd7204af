#include "app/core/command_line.h"

namespace veskar {

const char* const kUsageText =
    "usage: Veskar [FILE]...\n"
    "\n"
    "Opens the auditioning window with the packages named, loaded as if chosen\n"
    "in its File menu, whatever their order: the sample pack (.smp), then the\n"
    "instrument pack (.ins), the music track (.mus) and the sound effect (.sfx).\n"
    "A package file that is rewritten while loaded (by bscomp, say) is loaded\n"
    "again, and music that was playing starts again from its beginning.\n"
    "\n"
    "options:\n"
    "  -h, --help   this text\n"
    "\n"
    "exit status: 0 when the window was closed, 2 for a bad command line\n";

std::string FileListProblem::message() const
{
    const char* text = stringText(this->text);
    return path + (text != nullptr ? text : "");
}

bool sortPackageFiles(const std::vector<std::string>& paths, PackageFiles* files, FileListProblem* problem)
{
    *files = PackageFiles{};
    for (const std::string& path : paths) {
        Package package;
        if (!packageOfFile(path, &package)) {
            *problem = {IDS_NOT_A_PACKAGE, path};
            return false;
        }
        if (!(*files)[package].empty()) {
            *problem = {IDS_SECOND_PACKAGE, path};
            return false;
        }
        (*files)[package] = path;
    }
    return true;
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine line;
    std::vector<std::string> paths;
    bool options = true;
    for (const std::string& argument : arguments) {
        if (options && (argument == "-h" || argument == "--help")) {
            line.action = CommandLine::Action::Help;
            line.output = kUsageText;
            return line;
        }
        if (options && argument == "--") {
            options = false;
        } else if (options && argument.size() > 1 && argument[0] == '-') {
            line.action = CommandLine::Action::Error;
            line.output = "Veskar: unknown option " + argument + " (Veskar --help lists them)\n";
            return line;
        } else {
            paths.push_back(argument);
        }
    }
    FileListProblem problem;
    if (!sortPackageFiles(paths, &line.files, &problem)) {
        line.action = CommandLine::Action::Error;
        line.output = "Veskar: " + problem.message() + "\n";
    }
    return line;
}

}  // namespace veskar

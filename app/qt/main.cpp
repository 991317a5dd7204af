// Veskar: start-up and shutdown on Qt.
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/core/command_line.h"
#include "app/qt/dialogs.h"
#include "app/qt/session.h"

namespace {

using namespace veskar;

std::vector<std::string> arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

// Whether Qt has a window system to start on: a display, or a platform named on the command
// line or in QT_QPA_PLATFORM.  Without one QApplication aborts the process.
bool windowSystemNamed(const std::vector<std::string>& given)
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return true;
    }
    return std::any_of(given.begin(), given.end(), [](const std::string& a) { return a == "-platform" || a.starts_with("-platform="); });
}

int finish(const CommandLine& line)
{
    std::fputs(line.output.c_str(), line.action == CommandLine::Action::Help ? stdout : stderr);
    return line.exitStatus();
}

}  // namespace

int main(int argc, char** argv)
{
    // The command line is read before anything of the window system starts,
    // so that --help and mistakes need no display.  Qt's own options
    // (-platform, -style, ...) are known only once QApplication has taken
    // them out: a line that is wrong with them in is read again after.
    const std::vector<std::string> given = arguments(argc, argv);
    CommandLine line = parseCommandLine(given);
    const bool options = std::any_of(given.begin(), given.end(), [](const std::string& a) { return a.starts_with('-'); });
    if (line.action == CommandLine::Action::Help || (line.action == CommandLine::Action::Error && !options))
        return finish(line);
#ifndef __APPLE__
    if (!windowSystemNamed(given)) {
        if (line.action == CommandLine::Action::Error)
            return finish(line);
        std::fputs("Veskar: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n", stderr);
        return 1;
    }
#endif
    QApplication qt(argc, argv);
    if (line.action == CommandLine::Action::Error) {
        line = parseCommandLine(arguments(argc, argv));
        if (line.action != CommandLine::Action::Open)
            return finish(line);
    }

    EngineInfo info;
    if (!HostBridge::readEngineInfo(&info)) {
        showMessageBox(nullptr, stringText(IDS_DLL_MISMATCH), MessageButtons::Ok);
        return 0;
    }
    Session session(info);
    session.window().openPackages(line.files);
    return qt.exec();
}

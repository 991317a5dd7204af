// The terminal for bsplay: single keys without Enter while it plays, and the
// live status line.  terminal.cpp holds what every system shares; the
// terminal's modes and its keys are in terminal_posix.cpp and
// terminal_windows.cpp (the Windows console).
#ifndef BSPLAY_TERMINAL_H
#define BSPLAY_TERMINAL_H

#include <memory>
#include <string>

namespace bsplay {

class Terminal {
public:
    // Takes single keys from standard input when it is a terminal.
    Terminal();
    // Puts the terminal back as it was.
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    bool interactive() const { return saved_ != nullptr; }
    // The next key, waiting at most `timeoutMs`; -1 when none came.
    int readKey(int timeoutMs);

    // Whether standard input is a terminal (keys may come).
    static bool inputIsTerminal();
    // Whether standard output is a terminal that can show a live line.
    static bool statusVisible();
    // Rewrites the live line in place.
    static void showStatus(const std::string& line);
    // Ends the live line so that later output starts on a line of its own.
    static void endStatus();

private:
    struct SavedMode;  // the terminal's mode before, as each system keeps it
    std::unique_ptr<SavedMode> saved_;
};

}  // namespace bsplay

#endif

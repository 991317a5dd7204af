// The terminal for bsplay: single keys without Enter while it plays, and the
// live status line.
#ifndef BSPLAY_TERMINAL_H
#define BSPLAY_TERMINAL_H

#include <termios.h>

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

    bool interactive() const { return raw_; }
    // The next key, waiting at most `timeoutMs`; -1 when none came.
    int readKey(int timeoutMs);

    // Whether standard output is a terminal that can show a live line.
    static bool statusVisible();
    // Rewrites the live line in place.
    static void showStatus(const std::string& line);
    // Ends the live line so that later output starts on a line of its own.
    static void endStatus();

private:
    bool raw_ = false;
    termios saved_{};
};

} // namespace bsplay

#endif

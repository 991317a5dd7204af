#include "terminal.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace bsplay {

struct Terminal::SavedMode {
    termios mode;
};

Terminal::Terminal()
{
    termios saved{};
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved) != 0)
        return;
    termios raw = saved;
    // Keys arrive one at a time and unechoed; Ctrl+C still interrupts.
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0)
        saved_.reset(new SavedMode{saved});
}

Terminal::~Terminal()
{
    if (saved_)
        tcsetattr(STDIN_FILENO, TCSANOW, &saved_->mode);
}

int Terminal::readKey(int timeoutMs)
{
    if (!saved_) {
        poll(nullptr, 0, timeoutMs);
        return -1;
    }
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (poll(&in, 1, timeoutMs) <= 0 || !(in.revents & POLLIN))
        return -1;
    unsigned char key = 0;
    if (read(STDIN_FILENO, &key, 1) != 1)
        return -1;
    return key;
}

bool Terminal::inputIsTerminal()
{
    return isatty(STDIN_FILENO);
}

bool Terminal::statusVisible()
{
    return isatty(STDOUT_FILENO);
}

}  // namespace bsplay

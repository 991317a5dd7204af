#include "terminal.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>

namespace bsplay {

namespace {
size_t shownLength = 0;
}

Terminal::Terminal()
{
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved_) != 0)
        return;
    termios raw = saved_;
    // Keys arrive one at a time and unechoed; Ctrl+C still interrupts.
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    raw_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
}

Terminal::~Terminal()
{
    if (raw_)
        tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
}

int Terminal::readKey(int timeoutMs)
{
    if (!raw_) {
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

bool Terminal::statusVisible()
{
    return isatty(STDOUT_FILENO);
}

void Terminal::showStatus(const std::string& line)
{
    std::string padded = line;
    if (padded.size() < shownLength)
        padded.append(shownLength - padded.size(), ' ');
    shownLength = line.size();
    std::fprintf(stdout, "\r%s", padded.c_str());
    std::fflush(stdout);
}

void Terminal::endStatus()
{
    if (shownLength > 0) {
        std::fputc('\n', stdout);
        std::fflush(stdout);
        shownLength = 0;
    }
}

} // namespace bsplay

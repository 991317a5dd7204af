#include "terminal.h"

#include <cstdio>

namespace bsplay {

namespace {
size_t shownLength = 0;
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

}  // namespace bsplay

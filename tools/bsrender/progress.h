// Progress of long renders on standard error, shown only when that is a terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace bsrender {

class ProgressLine {
public:
    // `enabled` false shows nothing at all (quiet runs, or standard error not a terminal).
    explicit ProgressLine(bool enabled, std::FILE* stream = stderr);
    ~ProgressLine() { finish(); }

    // Reports `ticks` rendered so far. Renders that finish within half a second show nothing;
    // after that the line is redrawn at most ten times a second.
    void update(uint32_t ticks);
    // Clears the line, if one was drawn.
    void finish();

    // Whether standard error is a terminal.
    static bool stderrIsTerminal();

private:
    bool enabled_;
    bool drawn_ = false;
    std::FILE* stream_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace bsrender

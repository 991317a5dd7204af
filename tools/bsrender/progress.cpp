#include "tools/bsrender/progress.h"

#if defined(_WIN32)
#  include <io.h>
#else
#  include <unistd.h>
#endif

#include "tools/bsrender/options.h"

namespace bsrender {

ProgressLine::ProgressLine(bool enabled, std::FILE* stream)
    : enabled_(enabled), stream_(stream), start_(std::chrono::steady_clock::now()), lastDraw_(start_)
{
}

void ProgressLine::update(uint32_t ticks)
{
    if (!enabled_)
        return;
    using namespace std::chrono;
    const auto now = steady_clock::now();
    if (now - start_ < milliseconds(500) || (drawn_ && now - lastDraw_ < milliseconds(100)))
        return;
    const double audio = double(ticks) / kTicksPerSecond;
    const double wall = duration<double>(now - start_).count();
    std::fprintf(stream_, "\rRendering : %.1f s of audio, %.0fx real time   ", audio, audio / wall);
    std::fflush(stream_);
    drawn_ = true;
    lastDraw_ = now;
}

void ProgressLine::finish()
{
    if (!drawn_)
        return;
    std::fprintf(stream_, "\r%60s\r", "");
    std::fflush(stream_);
    drawn_ = false;
}

bool ProgressLine::stderrIsTerminal()
{
#if defined(_WIN32)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

}  // namespace bsrender

// The command line of bsrender: what to render, from which packages, into which file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bsrender {

inline constexpr uint32_t kTicksPerSecond = 240;
// Music that loops for ever would never end; without --limit a render stops after 5 minutes.
inline constexpr uint32_t kDefaultLimitTicks = 300 * kTicksPerSecond;
// Six hours of 48000 Hz 16-bit stereo is as much as a WAV file's 32-bit sizes can describe.
inline constexpr uint32_t kMaxLimitTicks = 6 * 3600 * kTicksPerSecond;

// One --sfx request: FILE[@TIME][,PRIORITY[,LEFT,RIGHT]].
struct EffectRequest {
    std::string path;
    uint32_t tick = 0;               // start time, in ticks of 1/240 s
    std::optional<int8_t> priority;  // none: from --priorities, else 127
    int8_t left = 127;
    int8_t right = 127;
};

struct Options {
    std::string samplePath;
    std::string instrumentPath;
    std::string outputPath;          // "-" is standard output
    std::string musicPath;           // empty: no music
    std::string priorityHeaderPath;  // empty: none
    std::vector<EffectRequest> effects;
    int8_t attenuation = 127;
    uint32_t limitTicks = kDefaultLimitTicks;
    bool limitGiven = false;  // --limit was given: reaching it is no surprise
    bool quiet = false;
    bool showHelp = false;
    bool showVersion = false;
};

// Parses argv[1..]; on failure returns false and sets `error` to one line saying what is wrong.
bool parseOptions(int argc, const char* const* argv, Options* options, std::string* error);

// Reads a time: seconds ("2", "1.5", "1.5s"), milliseconds ("250ms"), minutes ("2m"), hours
// ("1h") or ticks ("120t").
// The result is rounded to the nearest tick; false when the text is no such time.
bool parseTime(const std::string& text, uint32_t* ticks);

// Reads the text after "FILE@" of an --sfx request ("TIME[,PRIORITY[,LEFT,RIGHT]]").
bool parseEffectTiming(const std::string& text, EffectRequest* request, std::string* error);

// The text --help prints.
const char* usageText();

}  // namespace bsrender

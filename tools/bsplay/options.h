// bsplay's command line.
#ifndef BSPLAY_OPTIONS_H
#define BSPLAY_OPTIONS_H

#include <string>
#include <vector>

namespace bsplay {

struct EffectOption {
    std::string path;
    int priority = 0;  // 0: take it from the priority header, else the default
};

struct Options {
    std::string samples;
    std::string instruments;
    std::string music;                  // empty: none
    std::vector<EffectOption> effects;  // keys 1 to 9
    std::string priorityHeader;         // empty: none
    std::string wavLog;                 // empty: no log
    double seconds = 0;                 // 0: no limit
    bool quiet = false;
    bool help = false;
};

// Exit statuses.
enum Status {
    kOk = 0,
    kUsage = 1,      // also a WAV log that would replace one of the inputs
    kBadInput = 2,   // a file that cannot be read, is not a valid package, or cannot be written
                     // (also a WAV log that does not hold everything played)
    kNoDevice = 3,   // no sound output device could be opened
    kHostFailed = 4  // also out of memory
};

extern const char* const kUsageText;

// Parses argv; on error fills `error` and returns false.
bool parseOptions(int argc, char** argv, Options* options, std::string* error);

}  // namespace bsplay

#endif

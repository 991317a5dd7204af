// The command line of bsinspect: which packages, and what to show of them.
#pragma once

#include <string>
#include <vector>

namespace bsinspect {

struct Options {
    std::vector<std::string> files;
    bool disassemble = false;
    std::string extractDir;      // empty: the scripts go to standard output
    std::string prioritiesPath;  // empty: none
    bool json = false;
    bool showHelp = false;
    bool showVersion = false;
};

// Parses argv[1..]; on failure returns false and sets `error` to one line saying what is wrong.
bool parseOptions(int argc, const char* const* argv, Options* options, std::string* error);

// The text --help prints.
const char* usageText();

}  // namespace bsinspect

#include "options.h"

#include <cstdlib>
#include <cstring>

namespace bsplay {

const char* const kUsageText =
    "usage: bsplay [options] SAMPLES.smp INSTRUMENTS.ins [MUSIC.mus]\n"
    "\n"
    "Plays a music track (until it ends) and sound effects on the default sound\n"
    "device.  In a terminal, keys 1-9 fire the loaded effects.\n"
    "\n"
    "options:\n"
    "  -e, --effect FILE[@PRIORITY]  load a sound effect (up to 9, keys 1-9); its\n"
    "                                priority comes from @PRIORITY, else from the\n"
    "                                priority header, else it is 64\n"
    "  -p, --priorities HEADER       the priority header that bscomp wrote beside\n"
    "                                the effects (BPRI_ names match file names)\n"
    "  -w, --wav FILE                log the output to a WAV file (not one of\n"
    "                                the input files); a log cut short by a\n"
    "                                full disk keeps what fitted, and fails\n"
    "  -t, --seconds N               stop after N seconds\n"
    "  -q, --quiet                   no status line\n"
    "  -h, --help                    this text\n"
    "\n"
    "keys: 1-9 play an effect, 0 stop the effects, p pause/resume,\n"
    "      m play the music again, s stop it, + and - music volume, q quit\n"
    "\n"
    "exit status: 0 done, 1 bad command line, 2 bad or unreadable file, or a\n"
    "             WAV log that could not be written whole, 3 no sound device,\n"
    "             4 the host failed or memory ran out\n";

namespace {

bool parsePriority(const std::string& text, int* priority)
{
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < -128 || value > 127 || value == 0)
        return false;
    *priority = static_cast<int>(value);
    return true;
}

bool parseEffect(const std::string& text, EffectOption* effect, std::string* error)
{
    size_t at = text.rfind('@');
    effect->path = text.substr(0, at);
    effect->priority = 0;
    if (at != std::string::npos &&
        !parsePriority(text.substr(at + 1), &effect->priority)) {
        *error = "bad effect priority in '" + text + "' (give -128 to 127, not 0)";
        return false;
    }
    if (effect->path.empty()) {
        *error = "missing effect file in '" + text + "'";
        return false;
    }
    return true;
}

}  // namespace

bool parseOptions(int argc, char** argv, Options* options, std::string* error)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= argc) {
                *error = "option " + arg + " needs a value";
                return false;
            }
            *out = argv[++i];
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            options->help = true;
            return true;
        } else if (arg == "-q" || arg == "--quiet") {
            options->quiet = true;
        } else if (arg == "-e" || arg == "--effect") {
            std::string text;
            EffectOption effect;
            if (!value(&text) || !parseEffect(text, &effect, error))
                return false;
            if (options->effects.size() == 9) {
                *error = "at most 9 effects (keys 1 to 9)";
                return false;
            }
            options->effects.push_back(effect);
        } else if (arg == "-p" || arg == "--priorities") {
            if (!value(&options->priorityHeader))
                return false;
        } else if (arg == "-w" || arg == "--wav") {
            if (!value(&options->wavLog))
                return false;
        } else if (arg == "-t" || arg == "--seconds") {
            std::string text;
            if (!value(&text))
                return false;
            char* end = nullptr;
            options->seconds = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !(options->seconds > 0) ||
                options->seconds > 86400.0 * 365) {
                *error = "bad number of seconds '" + text + "'";
                return false;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            *error = "unknown option " + arg;
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() < 2) {
        *error = "give a sample pack and an instrument pack";
        return false;
    }
    if (positional.size() > 3) {
        *error = "too many files: '" + positional[3] + "' (effects go after -e)";
        return false;
    }
    options->samples = positional[0];
    options->instruments = positional[1];
    if (positional.size() == 3)
        options->music = positional[2];
    return true;
}

}  // namespace bsplay

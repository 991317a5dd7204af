#include "tools/bsrender/options.h"

#include <cctype>
#include <cstdlib>

#include "tools/common/option_reader.h"

namespace bsrender {

namespace {

const char kUsage[] =
    "Usage : bsrender [options] samples.smp instruments.ins -o output.wav\n"
    "\n"
    "Renders music and sound effects with the Brimsel engine, without a sound device,\n"
    "into a WAV file of 48000 Hz 16-bit stereo (the format of the host's output log).\n"
    "Rendering stops when the music has ended, every sound effect has started and every\n"
    "channel is idle, or at the length limit, whichever comes first.\n"
    "\n"
    "Options :\n"
    "  -o, --output FILE      WAV file to write (required); \"-\" writes to standard output.\n"
    "                         It must not be one of the input files. A pipe or device\n"
    "                         gets the same bytes as a file: the render runs twice, first\n"
    "                         silently to measure the length that the header states\n"
    "  -m, --music FILE       music track (.mus) to play, starting at time 0\n"
    "  -a, --atten LEVEL      music attenuation, -128 to 127 (default 127, full volume)\n"
    "  -e, --sfx EFFECT       sound effect (.sfx) to play; repeat for more effects.\n"
    "                         EFFECT is FILE[@TIME[,PRIORITY[,LEFT,RIGHT]]]:\n"
    "                           TIME      when it starts (default 0)\n"
    "                           PRIORITY  -128 to 127 but not 0; default BPRI_<name> from\n"
    "                                     --priorities, else 127\n"
    "                           LEFT,RIGHT  levels -128 to 127 (default 127,127)\n"
    "                         An empty field keeps its default: boom.sfx@2,,127,0\n"
    "  -p, --priorities FILE  priority header written by \"bscomp -sfx\"; an effect\n"
    "                         FILE named <name>.sfx takes the priority BPRI_<name>\n"
    "  -l, --limit TIME       stop after this long at the latest (default 300s, at most\n"
    "                         6 hours); music that loops for ever needs it\n"
    "  -q, --quiet            print nothing but errors and warnings\n"
    "  -h, --help             show this text\n"
    "      --version          show the version\n"
    "\n"
    "TIME is seconds (2, 1.5 or 1.5s), milliseconds (250ms), minutes (2m), hours (1h)\n"
    "or engine ticks (120t, 240 to the second), rounded to the nearest tick.\n"
    "\n"
    "Example :\n"
    "  bsrender demo.smp demo.ins -m song.mus -e coin.sfx@1.5,40 -o song.wav\n"
    "\n"
    "Exit status : 0 when the file was written, 1 when an input or the output failed,\n"
    "2 when the command line is wrong.\n";

bool parseDecimal(const std::string& text, long min, long max, long* value)
{
    if (text.empty())
        return false;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size())
        return false;
    long result = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        result = result * 10 + (text[i] - '0');
        if (result > 100000)
            return false;
    }
    if (negative)
        result = -result;
    if (result < min || result > max)
        return false;
    *value = result;
    return true;
}

bool parseLevel(const std::string& text, const char* what, int8_t* level, std::string* error)
{
    long value = 0;
    if (!parseDecimal(text, -128, 127, &value)) {
        *error = std::string(what) + " must be a whole number from -128 to 127, not \"" + text + "\"";
        return false;
    }
    *level = static_cast<int8_t>(value);
    return true;
}

std::vector<std::string> splitFields(const std::string& text)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        fields.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return fields;
        start = comma + 1;
    }
}

bool parseEffect(const std::string& text, EffectRequest* request, std::string* error)
{
    // The timing part begins at the last "@" that a time (a digit or a point) follows, so file
    // names may contain "@" elsewhere.
    const size_t at = text.rfind('@');
    if (at != std::string::npos && at + 1 < text.size() &&
        (std::isdigit(static_cast<unsigned char>(text[at + 1])) || text[at + 1] == '.' ||
         text[at + 1] == ',')) {
        request->path = text.substr(0, at);
        if (!parseEffectTiming(text.substr(at + 1), request, error)) {
            *error = "In --sfx " + text + " : " + *error;
            return false;
        }
    } else {
        request->path = text;
    }
    if (request->path.empty()) {
        *error = "--sfx " + text + " names no file";
        return false;
    }
    return true;
}

}  // namespace

const char* usageText()
{
    return kUsage;
}

bool parseTime(const std::string& text, uint32_t* ticks)
{
    // Value = whole + fraction / 10^digits, in units of `unit` ticks / `per`.
    size_t i = 0;
    uint64_t whole = 0;
    uint64_t fraction = 0;
    uint64_t scale = 1;
    bool anyDigit = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        whole = whole * 10 + static_cast<uint64_t>(text[i] - '0');
        anyDigit = true;
        if (whole > 100000000u)
            return false;
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
            anyDigit = true;
            if (scale < 1000000000u) {  // further digits are below a tick's precision
                fraction = fraction * 10 + static_cast<uint64_t>(text[i] - '0');
                scale *= 10;
            }
        }
    }
    if (!anyDigit)
        return false;
    const std::string suffix = text.substr(i);
    uint64_t unit = 0;
    uint64_t per = 1;
    if (suffix.empty() || suffix == "s") {
        unit = kTicksPerSecond;
    } else if (suffix == "ms") {
        unit = kTicksPerSecond;
        per = 1000;
    } else if (suffix == "m") {
        unit = 60 * kTicksPerSecond;
    } else if (suffix == "h") {
        unit = 3600 * kTicksPerSecond;
    } else if (suffix == "t") {
        unit = 1;
    } else {
        return false;
    }
    const uint64_t numerator = (whole * scale + fraction) * unit;
    const uint64_t denominator = scale * per;
    const uint64_t rounded = (numerator + denominator / 2) / denominator;
    if (rounded > 0xFFFFFFFFu)
        return false;
    *ticks = static_cast<uint32_t>(rounded);
    return true;
}

bool parseEffectTiming(const std::string& text, EffectRequest* request, std::string* error)
{
    const std::vector<std::string> fields = splitFields(text);
    if (fields.size() > 4) {
        *error = "too many fields after \"@\" (TIME,PRIORITY,LEFT,RIGHT at most)";
        return false;
    }
    if (fields.size() == 3) {
        *error = "LEFT needs RIGHT after it";
        return false;
    }
    if (!fields[0].empty() && !parseTime(fields[0], &request->tick)) {
        *error = "\"" + fields[0] + "\" is not a time (examples: 2, 1.5s, 250ms, 2m, 120t)";
        return false;
    }
    if (fields.size() > 1 && !fields[1].empty()) {
        int8_t priority = 0;
        if (!parseLevel(fields[1], "PRIORITY", &priority, error))
            return false;
        if (priority == 0) {
            *error = "PRIORITY 0 is not allowed: the engine takes 0 to mean \"no effect\"";
            return false;
        }
        request->priority = priority;
    }
    if (fields.size() == 4) {
        if (!fields[2].empty() && !parseLevel(fields[2], "LEFT", &request->left, error))
            return false;
        if (!fields[3].empty() && !parseLevel(fields[3], "RIGHT", &request->right, error))
            return false;
    }
    return true;
}

bool parseOptions(int argc, const char* const* argv, Options* options, std::string* error)
{
    std::vector<std::string> positional;
    bs::OptionReader reader(argc, argv);
    while (reader.next()) {
        const std::string& name = reader.name();
        if (!reader.isOption()) {
            positional.push_back(name);
            continue;
        }
        auto value = [&](std::string* out) { return reader.value(out, error); };
        auto noValue = [&]() { return reader.noValue(error); };
        std::string text;
        if (name == "-h" || name == "--help") {
            if (!noValue())
                return false;
            options->showHelp = true;
        } else if (name == "--version") {
            if (!noValue())
                return false;
            options->showVersion = true;
        } else if (name == "-q" || name == "--quiet") {
            if (!noValue())
                return false;
            options->quiet = true;
        } else if (name == "-o" || name == "--output") {
            if (!value(&options->outputPath))
                return false;
            if (options->outputPath.empty()) {
                *error = "Option " + name + " needs a file name";
                return false;
            }
        } else if (name == "-m" || name == "--music") {
            if (!value(&options->musicPath))
                return false;
            if (options->musicPath.empty()) {
                *error = "Option " + name + " needs a file name";
                return false;
            }
        } else if (name == "-p" || name == "--priorities") {
            if (!value(&options->priorityHeaderPath))
                return false;
            if (options->priorityHeaderPath.empty()) {
                *error = "Option " + name + " needs a file name";
                return false;
            }
        } else if (name == "-a" || name == "--atten") {
            if (!value(&text) || !parseLevel(text, "The attenuation", &options->attenuation, error))
                return false;
        } else if (name == "-e" || name == "--sfx") {
            EffectRequest request;
            if (!value(&text) || !parseEffect(text, &request, error))
                return false;
            options->effects.push_back(request);
        } else if (name == "-l" || name == "--limit") {
            if (!value(&text))
                return false;
            uint32_t ticks = 0;
            if (!parseTime(text, &ticks) || ticks == 0 || ticks > kMaxLimitTicks) {
                *error = "The limit must be a time from 1t to 6 hours (21600s), not \"" + text + "\"";
                return false;
            }
            options->limitTicks = ticks;
            options->limitGiven = true;
        } else {
            *error = "Unknown option " + name;
            return false;
        }
    }
    if (options->showHelp || options->showVersion)
        return true;
    if (positional.size() != 2) {
        *error = positional.size() < 2 ? "Name a sample pack and an instrument pack"
                                       : "Unexpected argument " + positional[2];
        return false;
    }
    options->samplePath = positional[0];
    options->instrumentPath = positional[1];
    if (options->outputPath.empty()) {
        *error = "Name the WAV file to write with -o";
        return false;
    }
    if (options->musicPath.empty() && options->effects.empty()) {
        *error = "Nothing to render: give a music track (-m) or a sound effect (-e)";
        return false;
    }
    return true;
}

}  // namespace bsrender

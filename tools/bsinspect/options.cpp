#include "tools/bsinspect/options.h"

#include "tools/common/option_reader.h"

namespace bsinspect {

namespace {

const char kUsage[] =
    "Usage : bsinspect [options] FILE...\n"
    "\n"
    "Shows what is inside packages written by bscomp: sample packs, instrument packs,\n"
    "sound effects and music tracks, told apart by their first four bytes. Each package\n"
    "is checked as bsrender and bsplay check it (instruments and effects against the\n"
    "first sample pack given, music against the first instrument pack) and every\n"
    "problem is listed.\n"
    "\n"
    "Options :\n"
    "  -d, --disassemble      write the packages back as the sources bscomp compiles\n"
    "                         into the same bytes: a sample descriptor, an instrument\n"
    "                         script, one sound-effect script for all the effects, and\n"
    "                         one channel script per track of a music track\n"
    "  -x, --extract DIR      disassemble into DIR (made if need be): the scripts and the\n"
    "                         samples' PCM files, and say how bscomp compiles them there\n"
    "  -p, --priorities FILE  priority header written by \"bscomp -sfx\", for the\n"
    "                         effects' priorities (an effect file does not hold its own)\n"
    "  -j, --json             the summary (with -d also the scripts) as JSON\n"
    "  -h, --help             show this text\n"
    "      --version          show the version\n"
    "\n"
    "Example :\n"
    "  bsinspect -d -x recovered -p effects.h demo.smp demo.ins song.mus *.sfx\n"
    "\n"
    "Exit status : 0 when no package has a problem, 1 when one has (or a file could\n"
    "not be read or written), 2 when the command line is wrong.\n";

}  // namespace

const char* usageText()
{
    return kUsage;
}

bool parseOptions(int argc, const char* const* argv, Options* options, std::string* error)
{
    bs::OptionReader reader(argc, argv);
    while (reader.next()) {
        const std::string& name = reader.name();
        if (!reader.isOption()) {
            options->files.push_back(name);
            continue;
        }
        auto fileValue = [&](std::string* out) {
            if (!reader.value(out, error))
                return false;
            if (out->empty()) {
                *error = "Option " + name + " needs a name";
                return false;
            }
            return true;
        };
        auto flag = [&](bool* out) {
            if (!reader.noValue(error))
                return false;
            *out = true;
            return true;
        };
        bool ok = true;
        if (name == "-d" || name == "--disassemble")
            ok = flag(&options->disassemble);
        else if (name == "-x" || name == "--extract")
            ok = fileValue(&options->extractDir);
        else if (name == "-p" || name == "--priorities")
            ok = fileValue(&options->prioritiesPath);
        else if (name == "-j" || name == "--json")
            ok = flag(&options->json);
        else if (name == "-h" || name == "--help")
            ok = flag(&options->showHelp);
        else if (name == "--version")
            ok = flag(&options->showVersion);
        else {
            *error = "Unknown option " + name;
            return false;
        }
        if (!ok)
            return false;
    }
    if (options->showHelp || options->showVersion)
        return true;
    if (options->files.empty()) {
        *error = "Name at least one package";
        return false;
    }
    if (!options->extractDir.empty())
        options->disassemble = true;
    return true;
}

}  // namespace bsinspect

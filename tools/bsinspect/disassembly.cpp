#include "tools/bsinspect/disassembly.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "tools/bsinspect/macro_script.h"
#include "tools/bsinspect/music_script.h"
#include "tools/bsinspect/sample_script.h"

namespace bsinspect {

namespace {

std::string baseName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name without its extension.
std::string stemOf(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string lowerCase(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A sound effect's label: its file's name, as bscomp names the file after the label, made a
// label bscomp takes (one word, no folder) and unique whatever the case.
std::string effectLabelOf(const Package& effect, std::set<std::string>& taken, std::vector<std::string>& notes)
{
    std::string label = bs::effectLabel(effect.path);
    for (char& c : label)
        if (std::string(" ,\t;/\\:{}").find(c) != std::string::npos || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    if (label.empty())
        label = "effect";
    const std::string wanted = label;
    for (int n = 2; taken.count(lowerCase(label)); ++n)
        label = wanted + "_" + std::to_string(n);
    taken.insert(lowerCase(label));
    if (label + ".sfx" != baseName(effect.path))
        notes.push_back("the name of " + effect.path + ": bscomp writes the effect labelled " + label +
                        " to " + label + ".sfx");
    return label;
}

// Where the header defines `label`'s priority; effects it does not name come after the others.
size_t definedAt(const PriorityHeader* header, const std::string& label)
{
    if (!header)
        return std::string::npos;
    const std::string name = "BPRI_" + label;
    for (size_t at = header->text.find(name); at != std::string::npos; at = header->text.find(name, at + 1)) {
        const size_t after = at + name.size();
        if (after < header->text.size() && (header->text[after] == ' ' || header->text[after] == '\t'))
            return at;
    }
    return std::string::npos;
}

const Package* onlyOne(const std::vector<Package>& packages, bs::PackageKind kind, std::string* error)
{
    const Package* found = nullptr;
    for (const Package& package : packages) {
        if (package.kind != kind || !package.tableRead)
            continue;
        if (found) {
            *error = std::string("Disassemble one ") + kindName(kind) + " at a time: the other packages refer to its " +
                     entryName(kind, 2) + " by number (" + found->path + ", " + package.path + ")";
            return nullptr;
        }
        found = &package;
    }
    return found;
}

}  // namespace

bool disassemble(const std::vector<Package>& packages, const PriorityHeader* header, Sources* sources,
                 std::string* error)
{
    error->clear();
    const Package* samples = onlyOne(packages, bs::PackageKind::Samples, error);
    const Package* instruments = error->empty() ? onlyOne(packages, bs::PackageKind::Instruments, error) : nullptr;
    if (!error->empty())
        return false;
    const std::optional<uint32_t> sampleCount = samples ? std::optional<uint32_t>(samples->count) : std::nullopt;
    const std::optional<uint32_t> instrumentCount =
        instruments ? std::optional<uint32_t>(instruments->count) : std::nullopt;

    if (samples) {
        sources->scripts.push_back(sampleDescriptor(*samples));
        sources->scripts.back().name = "samples.txt";
        for (const PcmFile& file : samples->layout.files)
            sources->pcm.push_back({samples, file});
        sources->commands.push_back({"-smp", baseName(samples->path), "samples.txt"});
    }
    if (instruments) {
        sources->scripts.push_back(instrumentScript(*instruments, sampleCount));
        sources->scripts.back().name = "instruments.txt";
        sources->commands.push_back({"-ins", baseName(instruments->path), "samples.txt", "instruments.txt"});
    }
    std::vector<EffectSource> effects;
    std::vector<std::string> renamed;  // notes on the effects whose labels are not their files' names
    std::set<std::string> labels;
    for (const Package& package : packages) {
        if (package.kind != bs::PackageKind::Effect || !package.tableRead)
            continue;
        EffectSource effect{&package, effectLabelOf(package, labels, renamed), std::nullopt};
        if (header && header->priorities.count(effect.label))
            effect.priority = header->priorities.at(effect.label);
        effects.push_back(effect);
    }
    std::stable_sort(effects.begin(), effects.end(), [&](const EffectSource& a, const EffectSource& b) {
        return definedAt(header, a.label) < definedAt(header, b.label);
    });
    if (!effects.empty()) {
        sources->scripts.push_back(effectScript(effects, sampleCount));
        Script& script = sources->scripts.back();
        // bscomp names the header after the script: the header given names the script.
        script.name = "effects.txt";
        const std::string named = header ? stemOf(baseName(header->path)) + ".txt" : "";
        if (header && named != ".txt" && named != "samples.txt" && named != "instruments.txt")
            script.name = named;
        script.notes.insert(script.notes.end(), renamed.begin(), renamed.end());
        sources->commands.push_back({"-sfx", "samples.txt", script.name});
    }
    std::set<std::string> folders;
    for (const Package& package : packages) {
        if (package.kind != bs::PackageKind::Music || !package.tableRead)
            continue;
        const std::string stem = stemOf(baseName(package.path));
        std::string folder = stem;
        for (int n = 2; folders.count(folder); ++n)
            folder = stem + "_" + std::to_string(n);
        folders.insert(folder);
        const std::string output = folder == stem ? baseName(package.path) : folder + ".mus";
        std::vector<std::string> command = {"-mus", output, "instruments.txt"};
        for (Script& script : musicScripts(package, folder, instrumentCount)) {
            command.push_back(script.name);
            sources->scripts.push_back(std::move(script));
        }
        sources->commands.push_back(command);
    }

    for (const Package& package : packages)
        if (!package.tableRead)
            sources->notes.push_back(package.path + " is left out: " +
                                     (package.kind ? "its entry table does not fit in it" : "it was not read as a package"));
    if (!samples && (instruments || !effects.empty()))
        sources->notes.push_back("bscomp -ins and -sfx read samples.txt, the descriptor of the sample pack these "
                                 "were built with: give that pack too");
    if (!instruments && !folders.empty())
        sources->notes.push_back("bscomp -mus reads instruments.txt, the script of the instrument pack the music "
                                 "plays: give that pack too");
    return true;
}

}  // namespace bsinspect

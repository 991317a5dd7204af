#include "tools/bsinspect/macro_script.h"

#include <algorithm>
#include <map>

namespace bsinspect {

namespace {

bool isMode(const CodeLine& line)
{
    return line.kind == CodeLine::Instruction &&
           (line.info->opcode == MACRO_SINGLESHOT || line.info->opcode == MACRO_LOOPING);
}

// Whether bscomp takes the line as it stands; if not, says why.
bool writable(const CodeLine& line, bool sampleSet, std::string* why)
{
    if (line.kind == CodeLine::Wait) {
        if (!line.shortest)
            *why = "a wait run of more bytes than its count takes";
        else if (line.joined)
            *why = "a wait run right after another one, which bscomp joins to it";
        return why->empty();
    }
    if (line.info->form != BS_FORM_COMMAND) {
        *why = opcodeText(line.info) + ", which no script writes" + engineText(line.info, BS_MALFORMED_IGNORED) + ",";
    } else if (isMode(line) && !sampleSet) {
        *why = "a mode in a channel without a sample";
    } else if (line.info->opcode == MACRO_LOOPING &&
               (line.operands[0] > 32767 || line.operands[1] > 32768 || line.operands[0] >= line.operands[1])) {
        *why = "the loop from " + std::to_string(line.operands[0]) + " to " + std::to_string(line.operands[1]) +
               ", which bscomp refuses";
    }
    return why->empty();
}

// One channel: its sample line (before the block; or inside it, where it keeps two wait runs
// apart, as only a "sample" or "noteoff" line can), then its code in a block. `noteOff` is an
// instrument's note-off point, from its first code byte.
void writeChannel(ScriptText& out, const Package& package, const MacroEntry& entry, std::optional<uint32_t> noteOff,
                  std::optional<uint32_t> sampleCount)
{
    const uint8_t* image = package.data();
    const bool hasSample = entry.sample != kNoSample;
    const std::string sampleLine = "sample sample_" + std::to_string(entry.sample);
    if (hasSample && sampleCount && entry.sample >= *sampleCount)
        out.cannot(1, "sample " + std::to_string(entry.sample) + ", which the sample pack does not have");
    std::optional<uint32_t> noteOffAt;
    if (noteOff && *noteOff != 0) {
        if (*noteOff <= entry.codeEnd - entry.codeOffset)
            noteOffAt = entry.codeOffset + *noteOff;
        else
            out.cannot(1, "the note-off point " + std::to_string(*noteOff) + " bytes into code of only " +
                              std::to_string(entry.codeEnd - entry.codeOffset));
    }
    std::vector<uint32_t> cuts;
    if (noteOffAt)
        cuts.push_back(*noteOffAt);
    const std::vector<CodeLine> lines = listCode(image, entry.codeOffset, entry.codeEnd, bs_macroOpcode, cuts);
    if (noteOffAt && *noteOffAt != entry.codeEnd &&
        std::none_of(lines.begin(), lines.end(), [&](const CodeLine& l) { return l.position == *noteOffAt; }))
        out.cannot(1, "the note-off point " + std::to_string(*noteOff) + " bytes into the code, inside an instruction");

    // The first pair of wait runs that only a sample line can keep apart, if no mode needs the
    // sample earlier.
    std::optional<uint32_t> sampleAt;
    const auto joined = std::find_if(lines.begin(), lines.end(), [](const CodeLine& l) { return l.joined; });
    if (hasSample && joined != lines.end() && std::none_of(lines.begin(), joined, isMode))
        sampleAt = joined->position;
    if (hasSample && !sampleAt)
        out.line(1, sampleLine);
    out.line(1, "{");
    bool sampleSet = hasSample && !sampleAt;
    for (const CodeLine& line : lines) {
        if (noteOffAt && line.position == *noteOffAt)
            out.line(2, "noteoff");
        bool keptApart = false;
        if (sampleAt && line.position == *sampleAt) {
            out.line(2, sampleLine);
            sampleSet = keptApart = true;
        }
        if (line.kind == CodeLine::NotCode) {
            out.cannot(2, bytesText(image, line) + ": no instruction; the engine stops the channel there");
            continue;
        }
        CodeLine written = line;
        written.joined = line.joined && !keptApart;
        std::string why;
        const std::string text = line.kind == CodeLine::Wait ? "wait " + std::to_string(line.ticks) : commandText(line);
        if (!writable(written, sampleSet, &why))
            out.cannot(2, why + " at file offset " + std::to_string(line.position));
        if (line.kind == CodeLine::Wait || line.info->form == BS_FORM_COMMAND)
            out.line(2, text);
    }
    if (noteOffAt && *noteOffAt == entry.codeEnd)
        out.line(2, "noteoff");
    out.line(1, "}");
}

// Code where an earlier entry's begins is written once: in a package that bscomp did not lay
// out, entries may share code, and written out for each one it could grow without bound.
class SharedCode {
public:
    explicit SharedCode(const Package& package) : shared_(!package.codeInOrder) {}

    // The entry as it is written: without its code when an earlier one was written with it.
    MacroEntry written(ScriptText& out, const MacroEntry& entry, const std::string& name)
    {
        if (!shared_ || entry.codeEnd == entry.codeOffset)
            return entry;
        const auto [at, added] = written_.emplace(entry.codeOffset, name);
        if (added)
            return entry;
        out.cannot(1, "the code of " + name + ", which it shares with " + at->second + ": written there only");
        MacroEntry empty = entry;
        empty.codeEnd = entry.codeOffset;
        empty.noteOff = 0;
        return empty;
    }

private:
    bool shared_;
    std::map<uint32_t, std::string> written_;
};

void writeHeader(ScriptText& out, const std::string& what, const std::string& names)
{
    out.comment(0, what + ", disassembled by bsinspect.");
    out.comment(0, "Labels and comments are not kept in packages: the labels here are made up,");
    out.comment(0, names);
}

void noteLayout(ScriptText& out, const Package& package)
{
    if (!package.codeInOrder)
        out.cannot(0, package.path + " does not hold its code back to back in entry order, as bscomp lays it out");
    for (size_t i = 0; i < package.macros.size(); ++i)
        if (!package.macros[i].inside)
            out.cannot(0, "entry " + std::to_string(i) + "'s code offset lies outside the code");
}

}  // namespace

Script instrumentScript(const Package& pack, std::optional<uint32_t> sampleCount)
{
    Script script;
    script.from.push_back(pack.path);
    ScriptText out(&script);
    writeHeader(out, "The instruments of " + pack.path,
                "instrument_N being instrument N, and sample_N sample N of the sample pack.");
    noteLayout(out, pack);
    SharedCode shared(pack);
    for (size_t i = 0; i < pack.macros.size(); ++i) {
        const std::string name = "instrument_" + std::to_string(i);
        out.blank();
        out.line(0, name);
        out.line(0, "{");
        const MacroEntry entry = shared.written(out, pack.macros[i], name);
        writeChannel(out, pack, entry, entry.noteOff, sampleCount);
        out.line(0, "}");
    }
    return script;
}

Script effectScript(const std::vector<EffectSource>& effects, std::optional<uint32_t> sampleCount)
{
    Script script;
    ScriptText out(&script);
    writeHeader(out, "Sound effects", "but for each effect's, which is its file's name; sample_N is sample N of the sample pack.");
    for (const EffectSource& effect : effects) {
        const Package& package = *effect.package;
        script.from.push_back(package.path);
        out.blank();
        out.comment(0, "From " + package.path + ".");
        if (!effect.priority)
            out.comment(0, "A sound effect's file does not hold its priority: give its priority header with -p.");
        noteLayout(out, package);
        if (package.macros.empty())
            out.cannot(0, "a sound effect without channels: bscomp gives it one");
        out.line(0, effect.label + (effect.priority ? " " + std::to_string(*effect.priority) : ""));
        out.line(0, "{");
        SharedCode shared(package);
        for (size_t c = 0; c < package.macros.size(); ++c)
            writeChannel(out, package, shared.written(out, package.macros[c], "channel " + std::to_string(c)),
                         std::nullopt, sampleCount);
        out.line(0, "}");
    }
    return script;
}

}  // namespace bsinspect

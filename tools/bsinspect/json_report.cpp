#include "tools/bsinspect/report.h"

#include <cstdio>

#include "formats/packages.h"
#include "tools/bsinspect/script_numbers.h"

namespace bsinspect {

namespace {

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Joins already written JSON values into an array.
std::string array(const std::vector<std::string>& items, const std::string& indent)
{
    if (items.empty())
        return "[]";
    std::string out = "[\n";
    for (size_t i = 0; i < items.size(); ++i)
        out += indent + "  " + items[i] + (i + 1 < items.size() ? ",\n" : "\n");
    return out + indent + "]";
}

std::vector<std::string> quotedAll(const std::vector<std::string>& texts)
{
    std::vector<std::string> out;
    for (const std::string& text : texts)
        out.push_back(quoted(text));
    return out;
}

std::string field(const char* name, const std::string& value)
{
    return quoted(name) + ": " + value;
}

std::string object(const std::vector<std::string>& fields)
{
    std::string out = "{";
    for (size_t i = 0; i < fields.size(); ++i)
        out += (i ? ", " : "") + fields[i];
    return out + "}";
}

std::string hertz(uint32_t value)
{
    const std::string text = hertzText(value);
    return text.empty() ? "null" : quoted(text);
}

const char* kindKey(bs::PackageKind kind)
{
    switch (kind) {
    case bs::PackageKind::Samples: return "samples";
    case bs::PackageKind::Instruments: return "instruments";
    case bs::PackageKind::Effect: return "effect";
    case bs::PackageKind::Music: break;
    }
    return "music";
}

std::vector<std::string> entries(const Package& package)
{
    std::vector<std::string> out;
    if (!package.tableRead)
        return out;
    for (size_t e = 0; e < package.samples.size(); ++e) {
        const SampleEntry& s = package.samples[e];
        const PcmFile& file = package.layout.files[package.layout.samples[e].file];
        out.push_back(object({field("offset", std::to_string(s.offset)), field("length", std::to_string(s.length)),
                              field("sampleRate", hertz(s.rate)), field("sampleRateBits", std::to_string(s.rate)),
                              field("contentFrequency", hertz(s.content)),
                              field("contentFrequencyBits", std::to_string(s.content)),
                              field("pcmFile", quoted(file.name))}));
    }
    for (const MacroEntry& m : package.macros) {
        std::vector<std::string> fields = {
            field("sample", m.sample == kNoSample ? "null" : std::to_string(m.sample)),
            field("codeOffset", std::to_string(m.codeOffset)),
            field("codeSize", m.inside ? std::to_string(m.codeEnd - m.codeOffset) : "null")};
        if (package.kind == bs::PackageKind::Instruments)
            fields.push_back(field("noteOff", std::to_string(m.noteOff)));
        out.push_back(object(fields));
    }
    for (const TrackEntry& t : package.tracks)
        out.push_back(object({field("priority", std::to_string(t.priority)),
                              field("codeOffset", std::to_string(t.codeOffset))}));
    return out;
}

std::string packageJson(const Package& package)
{
    std::vector<std::string> problems;
    const auto problem = [&](const char* severity, const std::string& message) {
        problems.push_back(object({field("severity", quoted(severity)), field("message", quoted(message))}));
    };
    if (!package.problem.empty())
        problem("error", package.problem);
    if (!package.check.ok())
        problem("error", package.check.error);
    for (const std::string& warning : package.check.warnings)
        problem("warning", warning);
    const char* entriesKey = "entries";
    if (package.kind)
        entriesKey = package.kind == bs::PackageKind::Samples       ? "samples"
                     : package.kind == bs::PackageKind::Instruments ? "instruments"
                     : package.kind == bs::PackageKind::Effect      ? "channels"
                                                                    : "tracks";
    const std::string indent = "    ";
    return "{\n" + indent + "  " + field("file", quoted(package.path)) + ",\n" + indent + "  " +
           field("kind", package.kind ? quoted(kindKey(*package.kind)) : "null") + ",\n" + indent + "  " +
           field("size", std::to_string(package.size())) + ",\n" + indent + "  " +
           field("count", package.kind && package.size() >= BS_HEADER_SIZE ? std::to_string(package.count) : "null") +
           ",\n" + indent + "  " +
           field(entriesKey, array(entries(package), indent + "  ")) + ",\n" + indent + "  " +
           field("problems", array(problems, indent + "  ")) + "\n" + indent + "}";
}

}  // namespace

std::string jsonReport(const std::vector<Package>& packages, const Sources* sources)
{
    std::vector<std::string> items;
    for (const Package& package : packages)
        items.push_back(packageJson(package));
    std::string out = "{\n  " + field("packages", array(items, "  "));
    if (sources) {
        std::vector<std::string> scripts;
        for (const Script& script : sources->scripts)
            scripts.push_back(object({field("name", quoted(script.name)), field("from", array(quotedAll(script.from), "    ")),
                                      field("text", quoted(script.text)),
                                      field("notes", array(quotedAll(script.notes), "    "))}));
        std::vector<std::string> commands;
        for (std::vector<std::string> command : sources->commands) {
            command.insert(command.begin(), "bscomp");
            commands.push_back(array(quotedAll(command), "    "));
        }
        out += ",\n  " + field("scripts", array(scripts, "  ")) + ",\n  " + field("commands", array(commands, "  ")) +
               ",\n  " + field("notes", array(quotedAll(sources->notes), "  "));
    }
    return out + "\n}\n";
}

}  // namespace bsinspect

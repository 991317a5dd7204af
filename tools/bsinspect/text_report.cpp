#include "tools/bsinspect/report.h"

#include <algorithm>
#include <cstdio>

#include "formats/packages.h"
#include "tools/bsinspect/script_numbers.h"

namespace bsinspect {

namespace {

std::string hertz(uint32_t value)
{
    const std::string text = hertzText(value);
    if (!text.empty())
        return text;
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", value);
    return hex;
}

std::string sampleOf(uint32_t index)
{
    return index == kNoSample ? "-" : std::to_string(index);
}

bool isNumber(const std::string& cell)
{
    return !cell.empty() && cell.find_first_not_of("-0123456789.") == std::string::npos;
}

// The header row, then the entries; columns of numbers are right-aligned. Nothing when there
// are no entries.
void printTable(std::FILE* out, const std::vector<std::vector<std::string>>& rows)
{
    if (rows.size() < 2)
        return;
    std::vector<size_t> widths(rows[0].size());
    std::vector<bool> numbers(rows[0].size(), true);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) {
            widths[c] = std::max(widths[c], rows[r][c].size());
            numbers[c] = numbers[c] && (r == 0 || isNumber(rows[r][c]));
        }
    for (const auto& row : rows) {
        std::string text = " ";
        for (size_t c = 0; c < row.size(); ++c) {
            const std::string pad(widths[c] - row[c].size(), ' ');
            text.append(" ").append(numbers[c] ? pad + row[c] : row[c] + (c + 1 < row.size() ? pad : ""));
        }
        std::fprintf(out, "%s\n", text.c_str());
    }
}

}  // namespace

std::vector<std::vector<std::string>> entryTable(const Package& package)
{
    std::vector<std::vector<std::string>> rows;
    if (!package.kind || !package.tableRead)
        return rows;
    switch (*package.kind) {
    case bs::PackageKind::Samples: {
        rows.push_back({"sample", "offset", "length", "rate", "content", "PCM file"});
        std::vector<uint32_t> users(package.layout.files.size());
        for (const SampleSource& source : package.layout.samples)
            ++users[source.file];
        for (size_t e = 0; e < package.samples.size(); ++e) {
            const SampleEntry& s = package.samples[e];
            const uint32_t file = package.layout.samples[e].file;
            rows.push_back({std::to_string(e), std::to_string(s.offset), std::to_string(s.length), hertz(s.rate),
                            hertz(s.content),
                            package.layout.files[file].name + (users[file] > 1 ? " (shared)" : "")});
        }
        break;
    }
    case bs::PackageKind::Instruments:
    case bs::PackageKind::Effect: {
        const bool instruments = package.kind == bs::PackageKind::Instruments;
        rows.push_back({instruments ? "instrument" : "channel", "sample", "code offset", "code size"});
        if (instruments)
            rows.back().push_back("note-off");
        for (size_t i = 0; i < package.macros.size(); ++i) {
            const MacroEntry& m = package.macros[i];
            rows.push_back({std::to_string(i), sampleOf(m.sample), std::to_string(m.codeOffset),
                            m.inside ? std::to_string(m.codeEnd - m.codeOffset) : "-"});
            if (instruments)
                rows.back().push_back(m.noteOff ? std::to_string(m.noteOff) : "-");
        }
        break;
    }
    case bs::PackageKind::Music:
        rows.push_back({"track", "priority", "code offset"});
        for (size_t t = 0; t < package.tracks.size(); ++t)
            rows.push_back({std::to_string(t), std::to_string(package.tracks[t].priority),
                            std::to_string(package.tracks[t].codeOffset)});
        break;
    }
    return rows;
}

void printSummary(std::FILE* out, const std::vector<Package>& packages)
{
    for (size_t p = 0; p < packages.size(); ++p) {
        const Package& package = packages[p];
        if (p > 0)
            std::fprintf(out, "\n");
        if (!package.kind) {
            std::fprintf(out, "%s: %s\n", package.path.c_str(),
                         package.image.size() == 0 ? "not read" : "not a package");
            std::fprintf(out, "  error: %s\n", package.problem.c_str());
            continue;
        }
        if (package.size() < BS_HEADER_SIZE)
            std::fprintf(out, "%s: %s, %u bytes\n", package.path.c_str(), kindName(*package.kind), package.size());
        else
            std::fprintf(out, "%s: %s, %u %s, %u bytes\n", package.path.c_str(), kindName(*package.kind),
                         package.count, entryName(*package.kind, package.count), package.size());
        printTable(out, entryTable(package));
        if (!package.check.ok())
            std::fprintf(out, "  error: %s\n", package.check.error.c_str());
        for (const std::string& warning : package.check.warnings)
            std::fprintf(out, "  warning: %s\n", warning.c_str());
    }
}

void printProblems(std::FILE* out, const std::vector<Package>& packages)
{
    for (const Package& package : packages) {
        const std::string at = " : " + package.path;
        if (!package.problem.empty())
            std::fprintf(out, "ERROR- %s\n",
                         (package.problem + (package.kind || package.image.size() == 0 ? "" : at)).c_str());
        if (!package.check.ok())
            std::fprintf(out, "ERROR- %s%s\n", package.check.error.c_str(), at.c_str());
        for (const std::string& warning : package.check.warnings)
            std::fprintf(out, "WARNING- %s%s\n", warning.c_str(), at.c_str());
    }
}

}  // namespace bsinspect

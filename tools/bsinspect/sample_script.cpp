#include "tools/bsinspect/sample_script.h"

#include <algorithm>

#include "tools/bsinspect/script_numbers.h"

namespace bsinspect {

namespace {

// The text of a frequency; one below 1 Hz, which no descriptor gives, becomes 1 Hz.
std::string frequency(ScriptText& out, uint32_t value, const std::string& what)
{
    const std::string text = hertzText(value);
    if (!text.empty())
        return text;
    out.cannot(0, what + " below 1 Hz, written as 1");
    return "1";
}

}  // namespace

Script sampleDescriptor(const Package& pack)
{
    Script script;
    script.from.push_back(pack.path);
    ScriptText out(&script);
    const SampleLayout& layout = pack.layout;
    out.comment(0, "The samples of " + pack.path + ", disassembled by bsinspect: " +
                       std::to_string(layout.samples.size()) + " in " + std::to_string(layout.files.size()) +
                       " PCM files.");
    out.comment(0, "Labels, file names and comments are not kept in a sample pack: sample_N is sample N, and");
    out.comment(0, "each PCM file holds a stretch of the pack's sample data (bsinspect --extract writes them).");
    out.comment(0, "label  PCM file  sample rate  content frequency  [start  [end]]");
    if (!layout.inexact.empty())
        out.cannot(0, "the pack's layout, as " + layout.inexact + ": every sample has a PCM file of its own");
    std::vector<std::vector<std::string>> rows;
    for (size_t e = 0; e < layout.samples.size(); ++e) {
        const SampleSource& source = layout.samples[e];
        const PcmFile& file = layout.files[source.file];
        const std::string which = "sample " + std::to_string(e) + "'s ";
        if (file.silent)
            out.cannot(0, "the bytes of sample " + std::to_string(e) + ", which the pack lacks or holds too many "
                                                                       "of besides the others': one silent byte stands for them");
        std::vector<std::string> row = {"sample_" + std::to_string(e), file.name,
                                        frequency(out, pack.samples[e].rate, which + "sample rate"),
                                        frequency(out, pack.samples[e].content, which + "content frequency")};
        if (source.start)
            row.push_back(std::to_string(*source.start));
        if (source.end)
            row.push_back(std::to_string(*source.end));
        rows.push_back(row);
    }
    std::vector<size_t> widths;
    for (const auto& row : rows)
        for (size_t c = 0; c < row.size(); ++c) {
            widths.resize(std::max(widths.size(), c + 1));
            widths[c] = std::max(widths[c], row[c].size());
        }
    for (const auto& row : rows) {
        std::string text;
        for (size_t c = 0; c < row.size(); ++c)
            text += c + 1 < row.size() ? row[c] + std::string(widths[c] - row[c].size() + 2, ' ') : row[c];
        out.line(0, text);
    }
    return script;
}

}  // namespace bsinspect

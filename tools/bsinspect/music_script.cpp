#include "tools/bsinspect/music_script.h"

#include <algorithm>
#include <map>
#include <set>

#include "formats/packages.h"
#include "tools/bsinspect/script_numbers.h"

namespace bsinspect {

namespace {

// Rounds of listing the stream before giving up on calls that lead into code not listed yet.
constexpr int kMaxListings = 16;

struct Block {
    uint32_t start = 0;
    uint32_t end = 0;
    uint32_t script = 0;
    std::optional<int8_t> priority;  // a track's main block
    std::string label;
};

class MusicWriter {
public:
    MusicWriter(const Package& music, std::optional<uint32_t> instrumentCount)
        : music_(music), image_(music.data()), instrumentCount_(instrumentCount),
          codeStart_(BS_HEADER_SIZE + uint32_t(music.tracks.size()) * BS_TRACK_ENTRY_SIZE)
    {
    }

    std::vector<Script> write(const std::string& folder);

private:
    std::vector<CodeLine> listStream(const std::vector<uint32_t>& cuts) const;
    uint32_t callTarget(const CodeLine& line) const
    {
        return uint32_t(int64_t(line.position) + line.length + line.operands[0]);
    }
    bool inStream(int64_t position) const { return position >= codeStart_ && position <= music_.size(); }
    void findBlocks(std::vector<Script>& scripts);
    void writeBlock(ScriptText& out, const Block& block);
    std::string instructionText(ScriptText& out, size_t& i, bool& sounding, uint32_t end);

    const Package& music_;
    const uint8_t* image_;
    std::optional<uint32_t> instrumentCount_;
    uint32_t codeStart_;
    std::set<uint32_t> entries_;  // where tracks start and calls lead, inside the stream
    std::vector<CodeLine> lines_;
    std::vector<Block> blocks_;
    std::map<uint32_t, std::string> labels_;  // the first block starting at each position
};

// Lists the stream from its start; after a byte that is no code, it goes on at the next
// place a track starts or a call leads.
std::vector<CodeLine> MusicWriter::listStream(const std::vector<uint32_t>& cuts) const
{
    std::vector<CodeLine> lines;
    uint32_t position = codeStart_;
    while (position < music_.size()) {
        std::vector<CodeLine> part = listCode(image_, position, music_.size(), bs_musicOpcode, cuts);
        const auto next = entries_.upper_bound(part.empty() ? position : part.back().position);
        const bool resumes = !part.empty() && part.back().kind == CodeLine::NotCode && next != entries_.end() &&
                             *next < music_.size();
        if (resumes)
            part.back().length = *next - part.back().position;
        lines.insert(lines.end(), part.begin(), part.end());
        if (!resumes)
            break;
        position = *next;
    }
    return lines;
}

void MusicWriter::findBlocks(std::vector<Script>& scripts)
{
    for (const TrackEntry& track : music_.tracks)
        if (inStream(track.codeOffset))
            entries_.insert(track.codeOffset);
    for (int round = 0; round < kMaxListings; ++round) {
        lines_ = listStream({});
        bool more = false;
        for (const CodeLine& line : lines_)
            if (line.kind == CodeLine::Instruction && line.info->opcode == MUSIC_CALL && inStream(callTarget(line)))
                more = entries_.insert(callTarget(line)).second || more;
        if (!more)
            break;
    }
    lines_ = listStream(std::vector<uint32_t>(entries_.begin(), entries_.end()));
    // A block may start where a line does, or at the end of the stream; a new one starts
    // wherever two wait runs would otherwise join.
    std::set<uint32_t> starts;
    for (const CodeLine& line : lines_)
        if (entries_.count(line.position) || line.joined)
            starts.insert(line.position);
    if (entries_.count(music_.size()))
        starts.insert(music_.size());

    // Each channel script's blocks follow the last one's, so its main block may not start
    // before the main block of an earlier track.
    std::multimap<uint32_t, uint32_t> mains;  // start -> track
    uint32_t lastMain = codeStart_;
    for (uint32_t t = 0; t < music_.tracks.size(); ++t) {
        const TrackEntry& track = music_.tracks[t];
        if (track.priority == 0 && track.codeOffset == codeStart_)
            continue;  // what bscomp writes for a script without a main block
        std::string why;
        if (!inStream(track.codeOffset))
            why = "lies outside the code";
        else if (!starts.count(track.codeOffset) && track.codeOffset != codeStart_)
            why = "does not lie at the start of an instruction";
        else if (track.codeOffset < lastMain)
            why = "lies before the code of an earlier track";
        if (!why.empty()) {
            ScriptText(&scripts[t]).cannot(0, "track " + std::to_string(t) + "'s start, file offset " + std::to_string(track.codeOffset) + ", " + why);
            continue;
        }
        mains.emplace(track.codeOffset, t);
        lastMain = track.codeOffset;
        starts.insert(track.codeOffset);
    }
    uint32_t owner = 0;
    // Code before the first main block goes to the first script.
    if (mains.empty() ? codeStart_ < music_.size() : mains.begin()->first > codeStart_)
        blocks_.push_back({codeStart_, 0, 0, std::nullopt, ""});
    for (uint32_t start : starts) {
        const auto [first, last] = mains.equal_range(start);
        for (auto m = first; m != last; ++m) {
            owner = m->second;
            blocks_.push_back({start, 0, owner, music_.tracks[owner].priority, "track_" + std::to_string(owner)});
        }
        if (first == last && (blocks_.empty() || blocks_.back().start != start))
            blocks_.push_back({start, 0, owner, std::nullopt, ""});
    }
    uint32_t numbered = 0;
    for (size_t b = 0; b < blocks_.size(); ++b) {
        Block& block = blocks_[b];
        block.end = b + 1 < blocks_.size() ? blocks_[b + 1].start : music_.size();
        if (block.label.empty())
            block.label = "block_" + std::to_string(++numbered);
        labels_.emplace(block.start, block.label);
    }
}

// The text of lines_[i], taking along the lines that belong to it: a note's length, what
// follows a release.
std::string MusicWriter::instructionText(ScriptText& out, size_t& i, bool& sounding, uint32_t end)
{
    const CodeLine& line = lines_[i];
    const auto followedBy = [&](CodeLine::Kind kind) {
        return i + 1 < lines_.size() && lines_[i + 1].position < end && lines_[i + 1].kind == kind &&
               lines_[i + 1].position == line.position + line.length;
    };
    const auto taken = [&] {  // the next line's count, now written with this one
        ++i;
        if (!lines_[i].shortest)
            out.cannot(1, "a wait run of more bytes than its count takes at file offset " +
                              std::to_string(lines_[i].position));
        return std::to_string(lines_[i].ticks);
    };
    switch (line.info->opcode) {
    case MUSIC_NOTE:
        sounding = true;
        return noteText(uint8_t(line.operands[0])) + " " + (followedBy(CodeLine::Wait) ? taken() : "0");
    case MUSIC_NOTE_OFF:
        sounding = false;
        if (followedBy(CodeLine::Instruction) && lines_[i + 1].info->opcode == MUSIC_PRIORITY &&
            lines_[i + 1].operands[0] == 0) {
            ++i;
            return "end";
        }
        return "rest " + (followedBy(CodeLine::Wait) ? taken() : "0");
    case MUSIC_PRIORITY:
        return line.operands[0] == 0 && !sounding ? "end" : commandText(line);
    case MUSIC_CALL:
        return "call " + labels_[callTarget(line)];
    default:
        return commandText(line);
    }
}

void MusicWriter::writeBlock(ScriptText& out, const Block& block)
{
    out.blank();
    out.line(0, block.label + (block.priority ? " " + std::to_string(*block.priority) : ""));
    out.line(0, "{");
    bool sounding = false;  // bscomp forgets a sounding note at every block
    auto line = std::lower_bound(lines_.begin(), lines_.end(), block.start,
                                 [](const CodeLine& l, uint32_t p) { return l.position < p; });
    for (size_t i = size_t(line - lines_.begin()); i < lines_.size() && lines_[i].position < block.end; ++i) {
        const CodeLine& l = lines_[i];
        const std::string at = " at file offset " + std::to_string(l.position);
        if (l.kind == CodeLine::NotCode) {
            out.cannot(1, bytesText(image_, l) + ": no instruction; the engine stops the track there");
        } else if (l.kind == CodeLine::Wait) {
            if (!l.shortest)
                out.cannot(1, "a wait run of more bytes than its count takes" + at);
            out.line(1, "wait " + std::to_string(l.ticks));
        } else if (l.info->form == BS_FORM_NONE) {
            out.cannot(1, opcodeText(l.info) + ", which no script writes" + engineText(l.info, BS_MALFORMED_IGNORED) +
                              "," + at);
        } else if (l.info->opcode == MUSIC_NOTE_OFF && !sounding) {
            out.cannot(1, "a release with no note sounding" + at);
        } else if (l.info->opcode == MUSIC_NOTE && l.operands[0] > 127) {
            out.cannot(1, "note " + std::to_string(l.operands[0]) + ", above g.10" +
                              engineText(l.info, BS_MALFORMED_NO_NOTE) + "," + at);
        } else if (l.info->opcode == MUSIC_CALL && !labels_.count(callTarget(l))) {
            out.cannot(1, inStream(callTarget(l))
                              ? "a call that leads into an instruction" + at
                              : "a call that leads outside the code" + engineText(l.info, BS_MALFORMED_OUTSIDE) + "," + at);
        } else {
            if (l.info->opcode == MUSIC_USING && instrumentCount_ && uint32_t(l.operands[0]) >= *instrumentCount_)
                out.cannot(1, "instrument " + std::to_string(l.operands[0]) + ", which the instrument pack does not have" +
                                  engineText(l.info, BS_MALFORMED_NO_INSTRUMENT) + "," + at);
            out.line(1, instructionText(out, i, sounding, block.end));
        }
    }
    out.line(0, "}");
}

std::vector<Script> MusicWriter::write(const std::string& folder)
{
    const size_t count = std::max<size_t>(music_.tracks.size(), 1);
    const size_t digits = std::max<size_t>(2, std::to_string(count - 1).size());
    std::vector<Script> scripts(count);
    for (size_t t = 0; t < count; ++t) {
        std::string number = std::to_string(t);
        scripts[t].name = folder + "/" + std::string(digits - number.size(), '0') + number + ".txt";
        scripts[t].from.push_back(music_.path);
        ScriptText out(&scripts[t]);
        out.comment(0, "Channel " + std::to_string(t) + " of " + music_.path + ", disassembled by bsinspect.");
        out.comment(0, "Labels and comments are not kept in packages: the labels here are made up,");
        out.comment(0, "track_N being where track N starts, and instrument_N instrument N of the instrument pack.");
    }
    if (music_.tracks.empty())
        ScriptText(&scripts[0]).cannot(0, "a music track without tracks: bscomp writes one per channel script");
    findBlocks(scripts);
    for (const Block& block : blocks_) {
        ScriptText out(&scripts[block.script]);
        writeBlock(out, block);
    }
    return scripts;
}

}  // namespace

std::vector<Script> musicScripts(const Package& music, const std::string& folder,
                                 std::optional<uint32_t> instrumentCount)
{
    return MusicWriter(music, instrumentCount).write(folder);
}

}  // namespace bsinspect

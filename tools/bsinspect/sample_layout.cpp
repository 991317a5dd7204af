#include "tools/bsinspect/sample_layout.h"

#include <algorithm>

#include "formats/packages.h"
#include "tools/common/package_file.h"

namespace bsinspect {

namespace {

// The largest offset a descriptor gives.
constexpr uint64_t kMaxOffset = 32767;
// The most sample data written for a pack that is not laid out as bscomp lays one out.
constexpr uint64_t kMaxWritten = bs::kMaxPackageBytes;

struct Stretch {
    uint64_t begin;
    uint64_t end;
};

// Whether some stretch runs across `position`, so that no file may end there.
class Crossings {
public:
    explicit Crossings(std::vector<Stretch> stretches) : stretches_(std::move(stretches))
    {
        std::sort(stretches_.begin(), stretches_.end(), [](const Stretch& a, const Stretch& b) {
            return a.begin < b.begin;
        });
        uint64_t furthest = 0;
        for (const Stretch& s : stretches_)
            reach_.push_back(furthest = std::max(furthest, s.end));
    }

    bool crossed(uint64_t position) const
    {
        const auto before = std::lower_bound(stretches_.begin(), stretches_.end(), position,
                                             [](const Stretch& s, uint64_t p) { return s.begin < p; });
        const size_t count = size_t(before - stretches_.begin());
        return count > 0 && reach_[count - 1] > position;
    }

private:
    std::vector<Stretch> stretches_;
    std::vector<uint64_t> reach_;  // the furthest end among the first n stretches
};

// A file being laid out: where it starts and what its samples ask of its end.
struct OpenFile {
    uint64_t start;
    uint64_t reach;                    // the furthest end of its samples
    std::optional<uint64_t> fixedEnd;  // a sample too long for an end offset ends with the file
};

// Cuts the data into files, or says why it cannot.
std::string cutIntoFiles(const std::vector<Stretch>& samples, uint64_t dataStart, uint64_t size,
                         std::vector<uint64_t>* starts, std::vector<uint32_t>* fileOf)
{
    const Crossings crossings(samples);
    OpenFile open{dataStart, dataStart, std::nullopt};
    for (size_t e = 0; e < samples.size(); ++e) {
        const Stretch s = samples[e];
        const std::string which = "sample " + std::to_string(e);
        if (s.end <= s.begin)
            return which + " is empty";
        if (s.begin < dataStart || s.end > size)
            return which + " lies outside the sample data";
        if (!starts->empty() && s.begin < open.start) {
            // In a file already ended: it must lie inside, at offsets a descriptor can give.
            const auto next = std::upper_bound(starts->begin(), starts->end(), s.begin);
            const uint64_t start = *(next - 1);
            const uint64_t end = next == starts->end() ? open.start : *next;
            if (s.end > end || s.begin - start > kMaxOffset || (s.end != end && s.end - start > kMaxOffset))
                return which + " does not lie within one PCM file at offsets a descriptor can give";
            fileOf->push_back(uint32_t(next - starts->begin() - 1));
            continue;
        }
        if (starts->empty()) {
            starts->push_back(dataStart);
        } else if (s.begin >= open.reach && s.begin > open.start) {
            // Next to what the open file holds: a new file, unless a sample crosses the cut.
            const uint64_t cut = open.fixedEnd.value_or(s.begin);
            if (!crossings.crossed(cut) && s.begin - cut <= kMaxOffset) {
                starts->push_back(cut);
                open = OpenFile{cut, cut, std::nullopt};
            }
        }
        if (s.begin - open.start > kMaxOffset)
            return which + " starts too far into its PCM file for a descriptor";
        if (s.end - open.start > kMaxOffset) {
            if ((open.fixedEnd && *open.fixedEnd != s.end) || open.reach > s.end)
                return which + " is too long for an end offset but does not end its PCM file";
            open.fixedEnd = s.end;
        } else if (open.fixedEnd && s.end > *open.fixedEnd) {
            return which + " runs past the end of its PCM file";
        }
        open.reach = std::max(open.reach, s.end);
        fileOf->push_back(uint32_t(starts->size() - 1));
    }
    if (samples.empty() && size > dataStart)
        return "it holds sample data but no samples";
    if (open.fixedEnd && *open.fixedEnd != size)
        return "its last PCM file would not reach the end of the data";
    return "";
}

// Every sample in a file of its own, holding just its bytes: the samples sound the same, but
// the pack is laid out anew. Samples that overlap could make these files far larger than the
// pack: beyond as much as a package may hold, the rest are left silent.
void oneFileEach(const std::vector<Stretch>& samples, uint64_t size, SampleLayout* layout)
{
    layout->files.clear();
    layout->samples.clear();
    uint64_t total = 0;
    for (size_t e = 0; e < samples.size(); ++e) {
        PcmFile file{"sample_" + std::to_string(e) + ".raw", 0, 0, false};
        const uint64_t end = std::min(samples[e].end, size);
        if (samples[e].begin < end && total + (end - samples[e].begin) <= kMaxWritten) {
            file.offset = uint32_t(samples[e].begin);
            file.size = uint32_t(end - samples[e].begin);
            total += file.size;
        } else {
            file.silent = true;
        }
        layout->samples.push_back({uint32_t(e), std::nullopt, std::nullopt});
        layout->files.push_back(file);
    }
}

}  // namespace

SampleLayout layOutSamples(const uint8_t* image, uint32_t size)
{
    const uint32_t count = bs_readU32(image + BS_HEADER_COUNT_OFFSET);
    const uint64_t dataStart = BS_HEADER_SIZE + uint64_t(count) * BS_SAMPLE_ENTRY_SIZE;
    std::vector<Stretch> samples;
    for (uint32_t e = 0; e < count; ++e) {
        const uint8_t* entry = image + BS_HEADER_SIZE + e * BS_SAMPLE_ENTRY_SIZE;
        const uint64_t offset = bs_readU32(entry + BS_SAMPLE_ENTRY_DATA_OFFSET);
        samples.push_back({offset, offset + bs_readU32(entry + BS_SAMPLE_ENTRY_LENGTH)});
    }
    SampleLayout layout;
    std::vector<uint64_t> starts;
    std::vector<uint32_t> fileOf;
    layout.inexact = cutIntoFiles(samples, dataStart, size, &starts, &fileOf);
    if (!layout.inexact.empty()) {
        oneFileEach(samples, size, &layout);
        return layout;
    }
    for (size_t f = 0; f < starts.size(); ++f) {
        const uint64_t end = f + 1 < starts.size() ? starts[f + 1] : size;
        layout.files.push_back({"", uint32_t(starts[f]), uint32_t(end - starts[f]), false});
    }
    for (size_t e = 0; e < samples.size(); ++e) {
        PcmFile& file = layout.files[fileOf[e]];
        if (file.name.empty())
            file.name = "sample_" + std::to_string(e) + ".raw";
        SampleSource source{fileOf[e], std::nullopt, std::nullopt};
        const uint64_t start = samples[e].begin - file.offset;
        const bool toTheEnd = samples[e].end == uint64_t(file.offset) + file.size;
        if (!toTheEnd)
            source.end = uint32_t(samples[e].end - file.offset);
        if (start != 0 || source.end)
            source.start = uint32_t(start);
        layout.samples.push_back(source);
    }
    return layout;
}

}  // namespace bsinspect

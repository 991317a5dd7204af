#include "tools/bsinspect/code_listing.h"

#include <algorithm>

namespace bsinspect {

namespace {

// Splits the wait bytes from `begin` to `end` into runs. bscomp writes a count in as few bytes
// as it takes, so a run never ends with a group of 0 (the byte 0x80); each run is taken as
// long as that allows, which needs the fewest runs. Bytes no run can end on are kept in one
// run marked not `shortest`.
void splitWaits(const uint8_t* image, uint32_t begin, uint32_t end, std::vector<CodeLine>* lines)
{
    bool joined = false;
    uint32_t position = begin;
    while (position < end) {
        const uint32_t most = std::min<uint32_t>(BS_WAIT_MAX_BYTES, end - position);
        uint32_t length = most;
        while (length > 0 && image[position + length - 1] == BS_WAIT_FLAG)
            --length;
        CodeLine line;
        line.kind = CodeLine::Wait;
        line.position = position;
        line.shortest = length > 0;
        line.length = length > 0 ? length : most;
        bs_readWaitRun(image + position, line.length, &line.ticks);
        line.joined = joined;
        lines->push_back(line);
        position += line.length;
        joined = true;
    }
}

}  // namespace

std::vector<CodeLine> listCode(const uint8_t* image, uint32_t start, uint32_t end, bs::OpcodeTable opcodes,
                               const std::vector<uint32_t>& cuts)
{
    std::vector<CodeLine> lines;
    uint32_t waitsFrom = start;  // wait bytes not yet listed: from here to the current element
    bool waiting = false;
    // The wait bytes seen so far, cut at the cuts among them.
    auto flushWaits = [&](uint32_t upTo) {
        if (!waiting)
            return;
        uint32_t from = waitsFrom;
        for (auto cut = std::upper_bound(cuts.begin(), cuts.end(), from); cut != cuts.end() && *cut < upTo; ++cut) {
            splitWaits(image, from, *cut, &lines);
            from = *cut;
        }
        splitWaits(image, from, upTo, &lines);
        waiting = false;
    };
    const bs::CodeWalk walk = bs::walkCode(image, start, end, opcodes, [&](const bs::CodeElement& element) {
        if (!element.info) {
            if (!waiting)
                waitsFrom = element.position;
            waiting = true;
            return true;
        }
        flushWaits(element.position);
        CodeLine line;
        line.position = element.position;
        line.length = element.length;
        line.info = element.info;
        std::copy(element.operands, element.operands + BS_MAX_OPERANDS, line.operands);
        lines.push_back(line);
        return true;
    });
    flushWaits(walk.position);
    if (walk.stop != bs::CodeWalk::Done) {
        CodeLine line;
        line.kind = CodeLine::NotCode;
        line.position = walk.position;
        line.length = end - walk.position;
        lines.push_back(line);
    }
    return lines;
}

}  // namespace bsinspect

#include "compiler/linker.h"

#include <cstdlib>
#include <cstring>

#include "compiler/messages.h"
#include "compiler/output.h"
#include "compiler/music.h"
#include "formats/opcodes.h"
#include "formats/packages.h"

namespace {

// Fills in the operand of every call: the distance from the end of the
// operand to the first byte of the called block.
int resolveReferences(uint8_t* code)
{
    const BlockReference* references = referenceList();
    for (uint32_t i = 0; i < referenceCount(); ++i) {
        const BlockReference& reference = references[i];
        MusicBlock* target = nullptr;
        if (findBlock(reference.label, nullptr, &target) != 0) {
            printMessage(stderr, kFormatSubjectFileLine, kUnresolvedBlock, reference.label,
                         musicScriptName(reference.script), reference.lineNumber);
            return -1;
        }
        // Modular arithmetic gives the two's complement of a backward distance.
        const BsOpcodeInfo* call = bs_musicOpcode(MUSIC_CALL);
        const uint32_t end = reference.position + bs_operandBytes(call);
        bs_writeOperand(code + reference.position, call->operands[0], int32_t(target->startPosition - end));
    }
    return 0;
}

}  // namespace

int buildMusicTrack(uint8_t** image, uint32_t* size)
{
    uint32_t tracks = trackCount();
    uint32_t blocks = blockCount();
    // The stream holds the closed blocks back to back from position 0.
    uint32_t codeLength = 0;
    if (blocks > 0) {
        const MusicBlock& last = blockList()[blocks - 1];
        codeLength = last.startPosition + last.codeLength;
    }
    uint64_t headerSize = BS_HEADER_SIZE + uint64_t(BS_TRACK_ENTRY_SIZE) * tracks;
    uint64_t total = headerSize + codeLength;
    *image = total <= UINT32_MAX ? static_cast<uint8_t*>(std::malloc(size_t(total))) : nullptr;
    if (!*image) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    std::memcpy(*image, BS_MAGIC_MUSIC, BS_MAGIC_SIZE);
    bs_writeU32(*image + BS_HEADER_COUNT_OFFSET, tracks);
    uint8_t* code = *image + headerSize;
    if (codeLength > 0)
        std::memcpy(code, musicCodeStream()->bytes, codeLength);
    if (resolveReferences(code) != 0) {
        std::free(*image);
        *image = nullptr;
        return -1;
    }
    const TrackEntry* entries = trackList();
    for (uint32_t i = 0; i < tracks; ++i) {
        uint8_t* entry = *image + BS_HEADER_SIZE + BS_TRACK_ENTRY_SIZE * i;
        entry[BS_TRACK_ENTRY_PRIORITY] = uint8_t(entries[i].priority);
        bs_writeU32(entry + BS_TRACK_ENTRY_CODE_OFFSET,
                    uint32_t(headerSize) + entries[i].startPosition);
    }
    *size = uint32_t(total);
    return 0;
}

int linkMusicTrack(FILE* out, const char* outName)
{
    printMessage(stdout, kFormatSubject, kLinkingMusicTrack, outName);
    uint8_t* image = nullptr;
    uint32_t size = 0;
    if (buildMusicTrack(&image, &size) != 0)
        return -1;
    if (writeBuiltPackage(out, outName, image, size, kCouldntWriteOutput) != 0)
        return -1;
    printMessage(stdout, kMusicTotalsLine, trackCount(), blockCount());
    return 0;
}

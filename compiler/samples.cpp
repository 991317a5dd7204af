#include "compiler/samples.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "compiler/arrays.h"
#include "compiler/decimal_real.h"
#include "compiler/depfile.h"
#include "compiler/messages.h"
#include "compiler/name_index.h"
#include "compiler/numbers.h"
#include "compiler/output.h"
#include "compiler/source.h"
#include "files/open_file.h"
#include "formats/packages.h"

namespace {

constexpr uint32_t kInitialCapacity = 64;
// Explicit offsets are limited to this, although the messages name 65535.
constexpr int64_t kMaxOffset = 32767;

// The sample table of the run: the definitions in descriptor order and their labels.
struct SampleStage {
    SampleDefinition* samples;
    uint32_t capacity;
    uint32_t count;
    NameIndex labels;
};

SampleStage stage;

// A missing, unreadable or out-of-range frequency of the definition `label`.
int readFrequency(const char* token, const SourcePosition& at, const char* label, const char* missing,
                  const char* unparsable, const char* outOfRange, double* value)
{
    if (!token) {
        at.printSubjectAtLine(missing, label);
        return -1;
    }
    if (!readDecimalReal(token, value)) {
        printMessage(stderr, kFormatTokenLabelFileLine, unparsable, token, label, at.fileName, at.lineNumber);
        return -1;
    }
    if (!(*value >= 1.0 && *value < 65536.0)) {
        printMessage(stderr, kFormatTokenLabelFileLine, outOfRange, token, label, at.fileName, at.lineNumber);
        return -1;
    }
    return 0;
}

int readOffset(const char* token, const SourcePosition& at, const char* label, const char* unparsable,
               const char* outOfRange, uint32_t* value)
{
    int64_t v = 0;
    if (!scanDecimal(token, &v)) {
        printMessage(stderr, kFormatTokenLabelFileLine, unparsable, token, label, at.fileName, at.lineNumber);
        return -1;
    }
    if (v < 0 || v > kMaxOffset) {
        printMessage(stderr, kFormatTokenLabelFileLine, outOfRange, token, label, at.fileName, at.lineNumber);
        return -1;
    }
    *value = static_cast<uint32_t>(v);
    return 0;
}

// Parses one descriptor line:
//   label  pcm-file  sample-rate  content-frequency  [start-offset  [end-offset]]
// A line with fewer than two tokens is skipped. 0 for a definition or a skipped line, -1 after a
// message.
int parseDefinition(char* line, SourcePosition& at)
{
    char* label = at.firstToken(line);
    const char* pcmName = label ? at.nextOperand() : nullptr;
    if (!pcmName) return 0;

    if (findSample(label, nullptr, nullptr) == 0) {
        at.printSubjectAtLine(kSampleAlreadyDefined, label);
        return -1;
    }
    if (growArray(&stage.samples, &stage.capacity, stage.count + 1) != 0) return -1;
    char* labelCopy = strdup(label);
    char* nameCopy = strdup(pcmName);
    if (!labelCopy || !nameCopy) {
        free(labelCopy);
        free(nameCopy);
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    SampleDefinition& sample = stage.samples[stage.count];
    sample = SampleDefinition{};
    sample.label = labelCopy;
    sample.fileName = nameCopy;
    sample.start = 0;
    sample.end = kEndNotGiven;
    // Counted from here on, even if the rest of the line fails.
    ++stage.count;
    // No output of the run may replace a sample's PCM file, in whatever mode it is read.
    if (noteInputName(nameCopy) != 0) return -1;
    if (addName(&stage.labels, sample.label, stage.count - 1) != 0) return -1;

    if (readFrequency(at.nextOperand(), at, sample.label, kNoSampleFrequency, kUnableSampleFrequency,
                      kSampleFrequencyRange, &sample.sampleRate) != 0)
        return -1;
    if (readFrequency(at.nextOperand(), at, sample.label, kNoContentFrequency, kUnableContentFrequency,
                      kContentFrequencyRange, &sample.contentFrequency) != 0)
        return -1;

    const char* token = at.nextOperand();
    if (!token) return 0;
    if (readOffset(token, at, sample.label, kUnableStartOffset, kStartOffsetRange, &sample.start) != 0) return -1;

    token = at.nextOperand();
    if (!token) return 0;
    if (readOffset(token, at, sample.label, kUnableEndOffset, kEndOffsetRange, &sample.end) != 0) return -1;
    if (sample.end < sample.start) {
        at.printAtLine(kOffsetsReversed);
        return -1;
    }
    if (sample.end == sample.start) {
        at.printAtLine(kOffsetsEqual);
        return -1;
    }
    return at.checkEndOfLine();
}

// 16.16: integer half the value rounded down, fraction half the rest times 65536, truncated.
uint32_t toFixed16(double value)
{
    if (!(value >= 0.0)) return 0;
    if (value >= 65536.0) return 0xFFFFFFFFu;
    double whole = floor(value);
    auto integer = static_cast<uint32_t>(whole);
    auto fraction = static_cast<uint32_t>((value - whole) * 65536.0);
    return (integer << 16) | (fraction & 0xFFFF);
}

// Reads a whole PCM file into its owner's `data`. 0, or -1 after one message.
int loadPcmFile(SampleDefinition& sample, uint64_t runningSize)
{
    // Only a regular file has a size to seek to; a folder, device or pipe is not a PCM file.
    FILE* file = openInputFile(sample.fileName, false);
    if (!file) {
        printMessage(stderr, kFormatSubject, kCantOpenSourceFile, sample.fileName);
        return -1;
    }
    if (noteDependency(sample.fileName) != 0) {
        fclose(file);
        return -1;
    }
    int result = -1;
    off_t size = -1;
    if (fseeko(file, 0, SEEK_END) == 0) size = ftello(file);
    if (size < 0 || fseeko(file, 0, SEEK_SET) != 0) {
        printMessage(stderr, kFormatSubject, kCantOpenSourceFile, sample.fileName);
    } else if (static_cast<uint64_t>(size) > UINT32_MAX - runningSize) {
        // Pack offsets are 32-bit: the pack cannot hold this file.
        printMessage(stderr, kFormatSubject, kSamplePackTooLarge, sample.fileName);
    } else {
        auto bytes = static_cast<size_t>(size);
        sample.data = static_cast<uint8_t*>(malloc(bytes ? bytes : 1));
        if (!sample.data) {
            printMessage(stderr, kFormatMessage, kOutOfMemory);
        } else if (fread(sample.data, 1, bytes, file) != bytes) {
            printMessage(stderr, kFormatSubject, kUnexpectedEndOfSource, sample.fileName);
        } else {
            sample.fileSize = static_cast<uint32_t>(bytes);
            result = 0;
        }
    }
    fclose(file);
    return result;
}

}  // namespace

int parseSampleDescriptor(FILE* file, const char* fileName)
{
    if (!fileName) fileName = "";
    printMessage(stdout, kFormatSubject, kParsingDescriptor, fileName);
    if (!file) {
        printMessage(stderr, kFormatMessage, kUnexpectedNull);
        return -1;
    }

    freeSamples();
    if (growArray(&stage.samples, &stage.capacity, kInitialCapacity) != 0) return -1;
    char* line = static_cast<char*>(malloc(kLineBufferSize));
    if (!line) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }

    int result = 0;
    SourcePosition at{fileName, 1, kDescriptorDelimiters, nullptr};
    for (; readSourceLine(file, line); ++at.lineNumber) {
        if (parseDefinition(line, at) != 0) {
            result = -1;
            break;
        }
    }
    if (result == 0 && checkSourceRead(file, fileName) != 0) result = -1;
    if (result == 0 && stage.count == 0) printMessage(stderr, kFormatMessage, kNoSamplesDefined);
    free(line);
    return result;
}

int writeSamplePack(FILE* out, const char* outName)
{
    if (!outName) outName = "";
    printMessage(stdout, kFormatSubject, kSavingSamplePack, outName);
    if (!out) {
        printMessage(stderr, kFormatMessage, kUnexpectedNull);
        return -1;
    }

    // Definitions naming the same file (exactly, case-sensitively) share one copy of its bytes.
    NameIndex files = {};
    uint32_t includedFiles = 0;
    int result = 0;
    for (uint32_t i = 0; i < stage.count && result == 0; ++i) {
        SampleDefinition& sample = stage.samples[i];
        uint32_t first = i;
        if (findName(&files, sample.fileName, &first)) {
            sample.owner = first;
            sample.shared = -1;
        } else {
            sample.owner = i;
            sample.shared = 0;
            ++includedFiles;
            result = addName(&files, sample.fileName, i);
        }
    }
    freeNameIndex(&files);
    if (result != 0) return -1;

    uint64_t runningSize = BS_HEADER_SIZE + static_cast<uint64_t>(BS_SAMPLE_ENTRY_SIZE) * stage.count;
    if (runningSize > UINT32_MAX) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    for (uint32_t i = 0; i < stage.count; ++i) {
        SampleDefinition& sample = stage.samples[i];
        if (sample.shared) {
            sample.dataOffset = stage.samples[sample.owner].dataOffset;
            sample.fileSize = stage.samples[sample.owner].fileSize;
        } else {
            sample.dataOffset = static_cast<uint32_t>(runningSize);
            if (loadPcmFile(sample, runningSize) != 0) return -1;
            runningSize += sample.fileSize;
        }
        if (sample.end == kEndNotGiven) sample.end = sample.fileSize;
        if (sample.start >= sample.fileSize || sample.end > sample.fileSize) {
            printMessage(stderr, kFormatSubject, kOffsetsOutOfRange, sample.fileName);
            return -1;
        }
    }

    const auto packSize = static_cast<size_t>(runningSize);
    auto* pack = static_cast<uint8_t*>(malloc(packSize));
    if (!pack) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    memcpy(pack, BS_MAGIC_SAMPLES, BS_MAGIC_SIZE);
    bs_writeU32(pack + BS_HEADER_COUNT_OFFSET, stage.count);
    for (uint32_t i = 0; i < stage.count; ++i) {
        const SampleDefinition& sample = stage.samples[i];
        if (!sample.shared && sample.fileSize) memcpy(pack + sample.dataOffset, sample.data, sample.fileSize);
        uint8_t* entry = pack + BS_HEADER_SIZE + static_cast<size_t>(BS_SAMPLE_ENTRY_SIZE) * i;
        bs_writeU32(entry + BS_SAMPLE_ENTRY_DATA_OFFSET, sample.dataOffset + sample.start);
        bs_writeU32(entry + BS_SAMPLE_ENTRY_LENGTH, sample.end - sample.start);
        bs_writeU32(entry + BS_SAMPLE_ENTRY_SAMPLE_RATE, toFixed16(sample.sampleRate));
        bs_writeU32(entry + BS_SAMPLE_ENTRY_CONTENT_FREQ, toFixed16(sample.contentFrequency));
    }

    if (writeBuiltPackage(out, outName, pack, static_cast<uint32_t>(packSize), kCouldntWriteSamplePack) != 0)
        return -1;
    printMessage(stdout, kSampleTotalsLine, stage.count, includedFiles);
    return 0;
}

int findSample(const char* label, uint32_t* index, SampleDefinition** record)
{
    return findRecord(&stage.labels, stage.samples, label, index, record);
}

uint32_t sampleCount()
{
    return stage.count;
}

void freeSamples()
{
    if (!stage.samples) return;
    for (uint32_t i = 0; i < stage.count; ++i) {
        free(stage.samples[i].label);
        free(stage.samples[i].fileName);
        free(stage.samples[i].data);
    }
    free(stage.samples);
    freeNameIndex(&stage.labels);
    stage = SampleStage{};
}

#include "compiler/samples.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "compiler/arrays.h"
#include "compiler/decimal_real.h"
#include "compiler/messages.h"
#include "compiler/name_index.h"
#include "compiler/output.h"
#include "compiler/source.h"
#include "files/open_file.h"

namespace {

constexpr char kParsingDescriptor[] = "Parsing sample descriptor file : ";
constexpr char kNoSamplesDefined[] = "WARNING- No samples defined, are you sure about this?\n";
constexpr char kSampleAlreadyDefined[] = "ERROR- Sample already defined with label : ";
constexpr char kNoSampleFrequency[] = "ERROR- No sample frequency for definition of : ";
constexpr char kUnableSampleFrequency[] = "ERROR- Unable to parse sample frequency : ";
constexpr char kSampleFrequencyRange[] = "ERROR- Sample frequency out of range (1.0 - 65535.99) : ";
constexpr char kNoContentFrequency[] = "ERROR- No content frequency for definition of : ";
constexpr char kUnableContentFrequency[] = "ERROR- Unable to parse content frequency : ";
constexpr char kContentFrequencyRange[] = "ERROR- Content frequency out of range (1.0 - 65535.99) : ";
constexpr char kUnableStartOffset[] = "ERROR- Unable to parse start offset : ";
constexpr char kStartOffsetRange[] = "ERROR- Start offset out of range (0 - 65535) : ";
constexpr char kUnableEndOffset[] = "ERROR- Unable to parse end offset : ";
constexpr char kEndOffsetRange[] = "ERROR- End offset out of range (0 - 65535) : ";
constexpr char kOffsetsReversed[] = "ERROR- Sample start and end offsets reversed in : ";
constexpr char kOffsetsEqual[] = "ERROR- Sample start and end offsets equal in : ";

constexpr char kSavingPack[] = "Saving sample package to : ";
constexpr char kOffsetsOutOfRange[] = "ERROR- Sample start and end offsets out of range for : ";
constexpr char kCouldntWritePack[] = "ERROR- Couldn't write to sample pack file : ";
constexpr char kPackTooLarge[] = "ERROR- Sample pack would exceed 4 GB with : ";
constexpr char kSuccessLine[] = "\nSuccess! %u Bytes written to : %s\n";
constexpr char kTotalsLine[] = "Total Samples : %u, Included Files : %u\n";

constexpr uint32_t kInitialCapacity = 64;
// Explicit offsets are limited to this, although the messages name 65535.
constexpr int64_t kMaxOffset = 32767;

SampleDefinition* gSamples = nullptr;
uint32_t gCapacity = 0;
uint32_t gCount = 0;
NameIndex gLabels = {};

char* copyText(const char* text)
{
    size_t length = strlen(text) + 1;
    char* copy = static_cast<char*>(malloc(length));
    if (copy) memcpy(copy, text, length);
    return copy;
}

// Reads a decimal integer at the start of the token (optional sign), saturating far outside
// any accepted range.
bool readDecimalOffset(const char* token, int64_t* value)
{
    const char* p = token;
    while (isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (!isdigit(static_cast<unsigned char>(*p))) return false;
    int64_t v = 0;
    for (; isdigit(static_cast<unsigned char>(*p)); ++p) {
        if (v < (INT64_C(1) << 40)) v = v * 10 + (*p - '0');
    }
    *value = negative ? -v : v;
    return true;
}

struct LineContext {
    const char* fileName;
    unsigned line;
    const char* label;
};

int readFrequency(const char* token, const LineContext& at, const char* missing, const char* unparsable,
                  const char* outOfRange, double* value)
{
    if (!token) {
        printMessage(stderr, kFormatSubjectFileLine, missing, at.label, at.fileName, at.line);
        return -1;
    }
    if (!readDecimalReal(token, value)) {
        printMessage(stderr, kFormatTokenLabelFileLine, unparsable, token, at.label, at.fileName, at.line);
        return -1;
    }
    if (!(*value >= 1.0 && *value < 65536.0)) {
        printMessage(stderr, kFormatTokenLabelFileLine, outOfRange, token, at.label, at.fileName, at.line);
        return -1;
    }
    return 0;
}

int readOffset(const char* token, const LineContext& at, const char* unparsable, const char* outOfRange,
               uint32_t* value)
{
    int64_t v = 0;
    if (!readDecimalOffset(token, &v)) {
        printMessage(stderr, kFormatTokenLabelFileLine, unparsable, token, at.label, at.fileName, at.line);
        return -1;
    }
    if (v < 0 || v > kMaxOffset) {
        printMessage(stderr, kFormatTokenLabelFileLine, outOfRange, token, at.label, at.fileName, at.line);
        return -1;
    }
    *value = static_cast<uint32_t>(v);
    return 0;
}

// Parses one descriptor line. 0 for a definition or a skipped line, -1 after a message.
int parseDefinition(char* line, const char* fileName, unsigned lineNumber)
{
    collapseDelimiters(line, ";", '\0');
    char* state = nullptr;
    char* label = nextToken(line, kDescriptorDelimiters, &state);
    char* pcmName = label ? nextToken(nullptr, kDescriptorDelimiters, &state) : nullptr;
    if (!pcmName) return 0;

    if (findSample(label, nullptr, nullptr) == 0) {
        printMessage(stderr, kFormatSubjectFileLine, kSampleAlreadyDefined, label, fileName, lineNumber);
        return -1;
    }
    if (growArray(&gSamples, &gCapacity, gCount + 1) != 0) return -1;
    char* labelCopy = copyText(label);
    char* nameCopy = copyText(pcmName);
    if (!labelCopy || !nameCopy) {
        free(labelCopy);
        free(nameCopy);
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    SampleDefinition& sample = gSamples[gCount];
    sample = SampleDefinition{};
    sample.label = labelCopy;
    sample.fileName = nameCopy;
    sample.start = 0;
    sample.end = kEndNotGiven;
    // Counted from here on, even if the rest of the line fails.
    ++gCount;
    // No output of the run may replace a sample's PCM file, in whatever mode it is read.
    if (noteInputName(nameCopy) != 0) return -1;
    if (addName(&gLabels, sample.label, gCount - 1) != 0) return -1;

    const LineContext at{fileName, lineNumber, sample.label};
    if (readFrequency(nextToken(nullptr, kDescriptorDelimiters, &state), at, kNoSampleFrequency,
                      kUnableSampleFrequency, kSampleFrequencyRange, &sample.sampleRate) != 0)
        return -1;
    if (readFrequency(nextToken(nullptr, kDescriptorDelimiters, &state), at, kNoContentFrequency,
                      kUnableContentFrequency, kContentFrequencyRange, &sample.contentFrequency) != 0)
        return -1;

    char* token = nextToken(nullptr, kDescriptorDelimiters, &state);
    if (!token) return 0;
    if (readOffset(token, at, kUnableStartOffset, kStartOffsetRange, &sample.start) != 0) return -1;

    token = nextToken(nullptr, kDescriptorDelimiters, &state);
    if (!token) return 0;
    if (readOffset(token, at, kUnableEndOffset, kEndOffsetRange, &sample.end) != 0) return -1;
    if (sample.end < sample.start) {
        printMessage(stderr, kFormatFileLine, kOffsetsReversed, fileName, lineNumber);
        return -1;
    }
    if (sample.end == sample.start) {
        printMessage(stderr, kFormatFileLine, kOffsetsEqual, fileName, lineNumber);
        return -1;
    }

    if (nextToken(nullptr, kDescriptorDelimiters, &state)) {
        printMessage(stderr, kFormatFileLine, kGarbageAtEndOfLine, fileName, lineNumber);
        return -1;
    }
    return 0;
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
    int result = -1;
    off_t size = -1;
    if (fseeko(file, 0, SEEK_END) == 0) size = ftello(file);
    if (size < 0 || fseeko(file, 0, SEEK_SET) != 0) {
        printMessage(stderr, kFormatSubject, kCantOpenSourceFile, sample.fileName);
    } else if (static_cast<uint64_t>(size) > UINT32_MAX - runningSize) {
        // Pack offsets are 32-bit: the pack cannot hold this file.
        printMessage(stderr, kFormatSubject, kPackTooLarge, sample.fileName);
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
    if (growArray(&gSamples, &gCapacity, kInitialCapacity) != 0) return -1;
    char* line = static_cast<char*>(malloc(kLineBufferSize));
    if (!line) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }

    int result = 0;
    unsigned lineNumber = 1;
    while (readSourceLine(file, line)) {
        if (parseDefinition(line, fileName, lineNumber) != 0) {
            result = -1;
            break;
        }
        ++lineNumber;
    }
    if (result == 0 && checkSourceRead(file, fileName) != 0) result = -1;
    if (result == 0 && gCount == 0) printMessage(stderr, kFormatMessage, kNoSamplesDefined);
    free(line);
    return result;
}

int writeSamplePack(FILE* out, const char* outName)
{
    if (!outName) outName = "";
    printMessage(stdout, kFormatSubject, kSavingPack, outName);
    if (!out) {
        printMessage(stderr, kFormatMessage, kUnexpectedNull);
        return -1;
    }

    // Definitions naming the same file (exactly, case-sensitively) share one copy of its bytes.
    NameIndex files = {};
    uint32_t includedFiles = 0;
    int result = 0;
    for (uint32_t i = 0; i < gCount && result == 0; ++i) {
        SampleDefinition& sample = gSamples[i];
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

    uint64_t runningSize = BS_HEADER_SIZE + static_cast<uint64_t>(BS_SAMPLE_ENTRY_SIZE) * gCount;
    if (runningSize > UINT32_MAX) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    for (uint32_t i = 0; i < gCount; ++i) {
        SampleDefinition& sample = gSamples[i];
        if (sample.shared) {
            sample.dataOffset = gSamples[sample.owner].dataOffset;
            sample.fileSize = gSamples[sample.owner].fileSize;
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
    bs_writeU32(pack + BS_HEADER_COUNT_OFFSET, gCount);
    for (uint32_t i = 0; i < gCount; ++i) {
        const SampleDefinition& sample = gSamples[i];
        if (!sample.shared && sample.fileSize) memcpy(pack + sample.dataOffset, sample.data, sample.fileSize);
        uint8_t* entry = pack + BS_HEADER_SIZE + static_cast<size_t>(BS_SAMPLE_ENTRY_SIZE) * i;
        bs_writeU32(entry + BS_SAMPLE_ENTRY_DATA_OFFSET, sample.dataOffset + sample.start);
        bs_writeU32(entry + BS_SAMPLE_ENTRY_LENGTH, sample.end - sample.start);
        bs_writeU32(entry + BS_SAMPLE_ENTRY_SAMPLE_RATE, toFixed16(sample.sampleRate));
        bs_writeU32(entry + BS_SAMPLE_ENTRY_CONTENT_FREQ, toFixed16(sample.contentFrequency));
    }

    if (writePackageImage(out, outName, pack, packSize, kCouldntWritePack) != 0) {
        result = -1;
    } else {
        printMessage(stdout, kSuccessLine, static_cast<unsigned>(packSize), outName);
        printMessage(stdout, kTotalsLine, gCount, includedFiles);
    }
    free(pack);
    return result;
}

int findSample(const char* label, uint32_t* index, SampleDefinition** record)
{
    uint32_t found = 0;
    if (!label || !gSamples || !findName(&gLabels, label, &found)) return -1;
    if (index) *index = found;
    if (record) *record = &gSamples[found];
    return 0;
}

uint32_t sampleCount()
{
    return gCount;
}

void freeSamples()
{
    if (!gSamples) return;
    for (uint32_t i = 0; i < gCount; ++i) {
        free(gSamples[i].label);
        free(gSamples[i].fileName);
        free(gSamples[i].data);
    }
    free(gSamples);
    gSamples = nullptr;
    gCapacity = 0;
    gCount = 0;
    freeNameIndex(&gLabels);
}

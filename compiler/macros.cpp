#include "compiler/macros.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "compiler/arrays.h"
#include "compiler/name_index.h"
#include "compiler/messages.h"
#include "compiler/numbers.h"
#include "compiler/samples.h"
#include "compiler/source.h"

namespace {

constexpr uint32_t kInitialMacroCapacity = 64;
constexpr uint32_t kInitialChannelCapacity = 4;

// Process-wide parser state for the one script of a run.
struct MacroParser {
    // The finished macros, then the prepared record the next macro fills.
    CompiledMacro* macros;
    uint32_t capacity;
    uint32_t count;
    NameIndex labels;
    // Sound effects only: each label folded to lower case, since labels become file names and
    // some file systems do not tell case apart.
    char** foldedLabels;
    uint32_t foldedCount;
    uint32_t foldedCapacity;
    NameIndex foldedIndex;

    char* lineBuffer;
    char* fileName;
    uint32_t lineNumber;
    char* tokenState;
    bool soundEffects;
    bool sampleLookupOff;

    bool inMacro;
    bool outerBraceSeen;
    bool inChannel;
    bool shortForm;
};

MacroParser parser;

const char* nextOperand()
{
    return nextToken(nullptr, kScriptDelimiters, &parser.tokenState);
}

void printAtLine(const char* message)
{
    printMessage(stderr, "%s%s,%u\n", message, parser.fileName, parser.lineNumber);
}

void printSubjectAtLine(const char* message, const char* subject)
{
    printMessage(stderr, "%s%s in : %s,%u\n", message, subject, parser.fileName,
                 parser.lineNumber);
}

// Every line holds one item; a token after it is an error.
int checkEndOfLine()
{
    if (!nextOperand())
        return 0;
    printAtLine(kGarbageAtEndOfLine);
    return -1;
}

// Makes channel `index` of `macro` a fresh channel with an empty code buffer.
int openChannel(CompiledMacro* macro, uint32_t index)
{
    if (growArray(&macro->channels, &macro->channelCapacity, index + 2) != 0)
        return -1;
    CompiledChannel* channel = &macro->channels[index];
    *channel = CompiledChannel{};
    channel->sampleIndex = kNoSampleIndex;
    if (growArray(&channel->code.bytes, &channel->code.capacity, kChannelCodeCapacity) != 0)
        return -1;
    macro->currentChannel = index;
    return 0;
}

// Readies the record after the finished macros for the next macro.
int prepareRecord()
{
    CompiledMacro* macro = &parser.macros[parser.count];
    *macro = CompiledMacro{};
    macro->isInstrument = !parser.soundEffects;
    if (growArray(&macro->channels, &macro->channelCapacity, kInitialChannelCapacity) != 0)
        return -1;
    return openChannel(macro, 0);
}

int finishMacro()
{
    parser.inMacro = false;
    if (growArray(&parser.macros, &parser.capacity, parser.count + 2) != 0)
        return -1;
    if (addName(&parser.labels, parser.macros[parser.count].label, parser.count) != 0)
        return -1;
    ++parser.count;
    return prepareRecord();
}

void releaseMacro(CompiledMacro* macro)
{
    std::free(macro->label);
    if (macro->channels) {
        for (uint32_t i = 0; i <= macro->currentChannel; ++i)
            std::free(macro->channels[i].code.bytes);
        std::free(macro->channels);
    }
}

bool isIdentifier(const char* text)
{
    if (!std::isalpha(static_cast<unsigned char>(*text)) && *text != '_')
        return false;
    for (; *text; ++text)
        if (!std::isalnum(static_cast<unsigned char>(*text)) && *text != '_')
            return false;
    return true;
}

// A sound effect's label becomes a file beside the script and a name in the priority header:
// it must not lead out of the script's folder, nor fall on another effect's file where case is
// not told apart; a label that is no C identifier only breaks the header, so it is a warning.
int checkEffectLabel(const char* label)
{
    if (std::strpbrk(label, "/\\:")) {
        printSubjectAtLine("ERROR- Sound effect label must not name another folder : ", label);
        return -1;
    }
    if (growArray(&parser.foldedLabels, &parser.foldedCapacity, parser.foldedCount + 1) != 0)
        return -1;
    char* folded = strdup(label);
    if (!folded) {
        printMessage(stderr, "%s", kOutOfMemory);
        return -1;
    }
    for (char* p = folded; *p; ++p)
        *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    parser.foldedLabels[parser.foldedCount++] = folded;
    if (findName(&parser.foldedIndex, folded, nullptr)) {
        printSubjectAtLine("ERROR- Sound effect label differs only in case from another : ", label);
        return -1;
    }
    if (addName(&parser.foldedIndex, folded, parser.count) != 0)
        return -1;
    if (!isIdentifier(label))
        printSubjectAtLine("WARNING- Sound effect label is not a C identifier : ", label);
    return 0;
}

// The header line: a label, and for a sound effect its priority.
int parseHeader(CompiledMacro* macro, const char* label)
{
    const char* priorityToken = nextOperand();
    if (priorityToken) {
        int64_t priority = 0;
        if (!scanDecimal(priorityToken, &priority)) {
            printAtLine("ERROR- Invalid macro label in : ");
            return -1;
        }
        if (priority < -128 || priority > 127) {
            printAtLine("ERROR- Priority out of range in : ");
            return -1;
        }
        if (!parser.soundEffects) {
            printAtLine("ERROR- Priority assigned to instrument in : ");
            return -1;
        }
        macro->priority = int32_t(priority);
    } else if (parser.soundEffects) {
        printAtLine("WARNING- No priority specified for sound effect : ");
        macro->priority = 127;
    }
    if (findMacro(label, nullptr, nullptr) == 0) {
        printSubjectAtLine("ERROR- Macro already defined with label : ", label);
        return -1;
    }
    if (parser.soundEffects && checkEffectLabel(label) != 0)
        return -1;
    macro->label = strdup(label);
    if (!macro->label) {
        printMessage(stderr, "%s", kOutOfMemory);
        return -1;
    }
    parser.inMacro = true;
    parser.outerBraceSeen = false;
    parser.inChannel = false;
    parser.shortForm = false;
    return checkEndOfLine();
}

int handleLine(char* line)
{
    collapseDelimiters(line, ";", '\0');
    const char* token = nextToken(line, kScriptDelimiters, &parser.tokenState);
    if (!token)
        return 0;
    CompiledMacro* macro = &parser.macros[parser.count];
    if (!parser.inMacro)
        return parseHeader(macro, token);

    if (!parser.outerBraceSeen) {
        if (!parser.shortForm && std::strcmp(token, "{") == 0) {
            parser.outerBraceSeen = true;
            return checkEndOfLine();
        }
        // Short form: header commands, then the one channel block.
        if (compileMacroCommand(macro, token, &parser.inChannel) != 0 || checkEndOfLine() != 0)
            return -1;
        bool channelZeroClosed = macro->channels[0].closed;
        parser.shortForm = !channelZeroClosed;
        return channelZeroClosed ? finishMacro() : 0;
    }

    if (!parser.inChannel && std::strcmp(token, "}") == 0) {
        if (checkEndOfLine() != 0)
            return -1;
        return finishMacro();
    }
    if (compileMacroCommand(macro, token, &parser.inChannel) != 0)
        return -1;
    return checkEndOfLine();
}

// ---- command handlers: read the operands, emit the bytecode ----

int handleSample(CompiledMacro* macro, CompiledChannel* channel)
{
    const char* name = nextOperand();
    if (!name)
        return 1;
    int32_t index = kNoSampleIndex;
    if (!parser.sampleLookupOff) {
        uint32_t found = 0;
        if (findSample(name, &found, nullptr) != 0) {
            printSubjectAtLine("ERROR- Unable to locate sample with name : ", name);
            return 1;
        }
        index = int32_t(found);
    }
    if (channel->sampleSet) {
        printSubjectAtLine("ERROR- Multiple sample assignments to one channel of : ",
                           macro->label);
        return 1;
    }
    channel->sampleIndex = index;
    channel->sampleSet = true;
    return 0;
}

int handleMode(CompiledMacro*, CompiledChannel* channel)
{
    if (!channel->sampleSet) {
        printMessage(stderr, "%s",
                     "ERROR- Sample mode cannot be set until a sample has been assigned\n");
        return 1;
    }
    const char* word = nextOperand();
    if (!word)
        return 1;
    if (std::strcmp(word, "singleshot") == 0)
        return emitSingleShot(channel);
    if (std::strcmp(word, "looping") != 0) {
        printMessage(stderr, "%s%s\n", "ERROR- Invalid sampling mode : ", word);
        return 1;
    }
    const char* startToken = nextOperand();
    if (!startToken) {
        printMessage(stderr, "%s", "ERROR- Sample loop missing start offset\n");
        return 1;
    }
    uint32_t start = 0;
    if (parseFixed16(&start, startToken) != 0)
        return 1;
    const char* endToken = nextOperand();
    if (!endToken) {
        printMessage(stderr, "%s", "ERROR- Sample loop missing end offset\n");
        return 1;
    }
    uint32_t end = 0;
    if (parseFixed16(&end, endToken) != 0)
        return 1;
    // Only the integer parts count; a negative offset reads as 32768 or more.
    start >>= 16;
    end >>= 16;
    if (start > 32767 || end > 32768) {
        printMessage(stderr, "%s", kValueOutOfRange);
        return 1;
    }
    if (start >= end) {
        printMessage(stderr, "%s", "ERROR- Sample loop end offset must be greater than the start\n");
        return 1;
    }
    return emitLooping(channel, uint16_t(start), uint16_t(end));
}

// A required fixed-point operand and an optional slide that defaults to 0.
int readValueAndSlide(int (*parse)(uint32_t*, const char*), uint32_t* value, uint32_t* slide)
{
    const char* valueToken = nextOperand();
    if (!valueToken || parse(value, valueToken) != 0)
        return 1;
    *slide = 0;
    const char* slideToken = nextOperand();
    if (slideToken && parse(slide, slideToken) != 0)
        return 1;
    return 0;
}

int handleFrequency(CompiledMacro*, CompiledChannel* channel)
{
    uint32_t frequency = 0, slide = 0;
    if (readValueAndSlide(parseFixed16, &frequency, &slide) != 0)
        return 1;
    return emitFrequency(channel, frequency, slide);
}

int handleVolume(CompiledMacro*, CompiledChannel* channel)
{
    uint32_t level = 0, slide = 0;
    if (readValueAndSlide(parseFixed8, &level, &slide) != 0)
        return 1;
    return emitVolume(channel, level, slide);
}

int handleLoop(CompiledMacro*, CompiledChannel* channel)
{
    const char* token = nextOperand();
    int32_t count = 0;
    if (!token || parseInteger(token, &count) != 0)
        return 1;
    if (count < -128 || count > 127) {
        printMessage(stderr, "%s", kValueOutOfRange);
        return 1;
    }
    return emitLoop(channel, int8_t(count));
}

int handleEndLoop(CompiledMacro*, CompiledChannel* channel)
{
    return emitEndLoop(channel);
}

// "wait" and "rest" alike.
int handleWait(CompiledMacro*, CompiledChannel* channel)
{
    const char* token = nextOperand();
    int32_t ticks = 0;
    if (!token || parseInteger(token, &ticks) != 0)
        return 1;
    return emitWait(channel, ticks);
}

int handleNoteOff(CompiledMacro* macro, CompiledChannel* channel)
{
    if (!macro->isInstrument) {
        printMessage(stderr, "%s%s\n", "ERROR- Note off assigned for sound effect : ",
                     macro->label);
        return 1;
    }
    if (macro->noteOffSet) {
        printMessage(stderr, "%s%s\n", "ERROR- Multiple note off assignments for : ",
                     macro->label);
        return 1;
    }
    macro->noteOffSet = true;
    macro->noteOffOffset = channel->code.length;
    return 0;
}

int handleEnd(CompiledMacro*, CompiledChannel* channel)
{
    return emitEnd(channel);
}

struct MacroCommand {
    const char* longKeyword;
    const char* shortKeyword;
    bool flow; // allowed only inside a channel block
    bool joinsWaits;
    int (*handler)(CompiledMacro*, CompiledChannel*);
};

const MacroCommand kMacroCommands[] = {
    {"sample", "s", false, false, handleSample},
    {"mode", "m", false, false, handleMode},
    {"frequency", "f", false, false, handleFrequency},
    {"volume", "v", false, false, handleVolume},
    {"loop", "l", true, false, handleLoop},
    {"endloop", "el", true, false, handleEndLoop},
    {"wait", "w", true, true, handleWait},
    {"rest", "r", true, true, handleWait},
    {"noteoff", "n", true, false, handleNoteOff},
    {"end", "e", true, false, handleEnd},
};

const MacroCommand* findCommand(const char* token)
{
    for (const MacroCommand& command : kMacroCommands)
        if (std::strcmp(token, command.longKeyword) == 0 ||
            std::strcmp(token, command.shortKeyword) == 0)
            return &command;
    return nullptr;
}

} // namespace

bool scanDecimal(const char* token, int64_t* value)
{
    const char* p = token;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p)))
        return false;
    int64_t magnitude = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
        if (magnitude <= INT64_C(0xFFFFFFFF))
            magnitude = magnitude * 10 + (*p - '0');
    *value = negative ? -magnitude : magnitude;
    return true;
}

int compileMacroCommand(CompiledMacro* macro, const char* token, bool* inChannel)
{
    CompiledChannel* channel = &macro->channels[macro->currentChannel];
    if (*inChannel && std::strcmp(token, "}") == 0) {
        if (!channel->sampleSet)
            printMessage(stderr, "%s%s,%u\n", "WARNING- No sample set for channel of : ",
                         macro->label, macro->currentChannel);
        if (macro->isInstrument && !macro->noteOffSet)
            printMessage(stderr, "%s%s\n", "WARNING- No note off point defined for instrument : ",
                         macro->label);
        channel->closed = true;
        *inChannel = false;
        return 0;
    }
    if (!*inChannel && channel->closed) {
        if (macro->isInstrument) {
            printAtLine("ERROR- Instrument uses more than one channel in : ");
            return -1;
        }
        if (openChannel(macro, macro->currentChannel + 1) != 0)
            return -1;
        channel = &macro->channels[macro->currentChannel];
    }
    if (!*inChannel && std::strcmp(token, "{") == 0) {
        *inChannel = true;
        return 0;
    }

    const MacroCommand* command = findCommand(token);
    if (!command) {
        printSubjectAtLine("ERROR- Invalid command : ", token);
        return -1;
    }
    if (command->flow && !*inChannel) {
        printSubjectAtLine("ERROR- Flow command outside of script header : ", token);
        return -1;
    }
    if (!command->joinsWaits)
        closeWaitRun(&channel->waitRun);
    int result = command->handler(macro, channel);
    if (result > 0)
        printAtLine(kInvalidCommandSyntax);
    return result;
}

int parseMacroScript(FILE* file, const char* fileName, bool soundEffectDialect,
                     bool sampleLookupOff)
{
    releaseMacros();
    printMessage(stdout, "%s%s\n", "Parsing macro script file : ", fileName);
    parser.soundEffects = soundEffectDialect;
    parser.sampleLookupOff = sampleLookupOff;
    parser.lineBuffer = static_cast<char*>(std::malloc(kLineBufferSize));
    parser.fileName = strdup(fileName);
    if (!parser.lineBuffer || !parser.fileName) {
        printMessage(stderr, "%s", kOutOfMemory);
        return -1;
    }
    if (growArray(&parser.macros, &parser.capacity, kInitialMacroCapacity) != 0)
        return -1;
    if (prepareRecord() != 0)
        return -1;

    for (parser.lineNumber = 1; readSourceLine(file, parser.lineBuffer); ++parser.lineNumber)
        if (handleLine(parser.lineBuffer) != 0)
            return -1;
    if (checkSourceRead(file, fileName) != 0)
        return -1;

    if (parser.inMacro) {
        printAtLine("ERROR- Unexpected end of macro in : ");
        return -1;
    }
    if (parser.count == 0)
        printMessage(stderr, "%s", "WARNING- No macros defined, are you sure about this?\n");
    return 0;
}

int findMacro(const char* label, uint32_t* index, CompiledMacro** record)
{
    uint32_t found = 0;
    if (!findName(&parser.labels, label, &found))
        return -1;
    if (index)
        *index = found;
    if (record)
        *record = &parser.macros[found];
    return 0;
}

uint32_t macroCount()
{
    return parser.count;
}

const CompiledMacro* macroList()
{
    return parser.macros;
}

const char* macroScriptPath()
{
    return parser.fileName;
}

void releaseMacros()
{
    if (parser.macros) {
        // The prepared record after the finished ones is released as well.
        uint32_t records = parser.count < parser.capacity ? parser.count + 1 : parser.count;
        for (uint32_t i = 0; i < records; ++i)
            releaseMacro(&parser.macros[i]);
        std::free(parser.macros);
    }
    freeNameIndex(&parser.labels);
    for (uint32_t i = 0; i < parser.foldedCount; ++i)
        std::free(parser.foldedLabels[i]);
    std::free(parser.foldedLabels);
    freeNameIndex(&parser.foldedIndex);
    std::free(parser.lineBuffer);
    std::free(parser.fileName);
    parser = MacroParser{};
}

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

// The macro stage of the run: the one script's macros and where the parser is in it.
struct MacroStage {
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
    char* fileName;  // owned; `at` names it in messages
    SourcePosition at;
    bool soundEffects;
    bool sampleLookupOff;

    bool inMacro;
    bool outerBraceSeen;
    bool inChannel;
    bool shortForm;
};

MacroStage stage;

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
    CompiledMacro* macro = &stage.macros[stage.count];
    *macro = CompiledMacro{};
    macro->isInstrument = !stage.soundEffects;
    if (growArray(&macro->channels, &macro->channelCapacity, kInitialChannelCapacity) != 0)
        return -1;
    return openChannel(macro, 0);
}

int finishMacro()
{
    stage.inMacro = false;
    if (growArray(&stage.macros, &stage.capacity, stage.count + 2) != 0)
        return -1;
    if (addName(&stage.labels, stage.macros[stage.count].label, stage.count) != 0)
        return -1;
    ++stage.count;
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
        stage.at.printSubjectAtLine(kEffectLabelFolder, label);
        return -1;
    }
    if (growArray(&stage.foldedLabels, &stage.foldedCapacity, stage.foldedCount + 1) != 0)
        return -1;
    char* folded = strdup(label);
    if (!folded) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    for (char* p = folded; *p; ++p)
        *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    stage.foldedLabels[stage.foldedCount++] = folded;
    if (findName(&stage.foldedIndex, folded, nullptr)) {
        stage.at.printSubjectAtLine(kEffectLabelCase, label);
        return -1;
    }
    if (addName(&stage.foldedIndex, folded, stage.count) != 0)
        return -1;
    if (!isIdentifier(label))
        stage.at.printSubjectAtLine(kEffectLabelNotIdentifier, label);
    return 0;
}

// The header line: LABEL [PRIORITY]. A sound effect's PRIORITY is -128 to 127 (127, with a
// warning, when not given); an instrument has none.
int parseHeader(CompiledMacro* macro, const char* label)
{
    const char* priorityToken = stage.at.nextOperand();
    if (priorityToken) {
        int64_t priority = 0;
        if (!scanDecimal(priorityToken, &priority)) {
            stage.at.printAtLine(kInvalidMacroLabel);
            return -1;
        }
        if (priority < -128 || priority > 127) {
            stage.at.printAtLine(kPriorityOutOfRange);
            return -1;
        }
        if (!stage.soundEffects) {
            stage.at.printAtLine(kPriorityForInstrument);
            return -1;
        }
        macro->priority = int32_t(priority);
    } else if (stage.soundEffects) {
        stage.at.printAtLine(kNoEffectPriority);
        macro->priority = 127;
    }
    if (findMacro(label, nullptr, nullptr) == 0) {
        stage.at.printSubjectAtLine(kMacroAlreadyDefined, label);
        return -1;
    }
    if (stage.soundEffects && checkEffectLabel(label) != 0)
        return -1;
    macro->label = strdup(label);
    if (!macro->label) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    stage.inMacro = true;
    stage.outerBraceSeen = false;
    stage.inChannel = false;
    stage.shortForm = false;
    return stage.at.checkEndOfLine();
}

int handleLine(char* line)
{
    const char* token = stage.at.firstToken(line);
    if (!token)
        return 0;
    CompiledMacro* macro = &stage.macros[stage.count];
    if (!stage.inMacro)
        return parseHeader(macro, token);

    if (!stage.outerBraceSeen) {
        if (!stage.shortForm && std::strcmp(token, "{") == 0) {
            stage.outerBraceSeen = true;
            return stage.at.checkEndOfLine();
        }
        // Short form: header commands, then the one channel block.
        if (compileMacroCommand(macro, token, &stage.inChannel) != 0 || stage.at.checkEndOfLine() != 0)
            return -1;
        bool channelZeroClosed = macro->channels[0].closed;
        stage.shortForm = !channelZeroClosed;
        return channelZeroClosed ? finishMacro() : 0;
    }

    if (!stage.inChannel && std::strcmp(token, "}") == 0) {
        if (stage.at.checkEndOfLine() != 0)
            return -1;
        return finishMacro();
    }
    if (compileMacroCommand(macro, token, &stage.inChannel) != 0)
        return -1;
    return stage.at.checkEndOfLine();
}

// ---- command handlers: read the operands, emit the bytecode ----
//
// Each returns 0, 1 for a missing or bad operand (the caller adds "Invalid command syntax") or
// -1 after any other message. Above each, the command as the guide writes it: keyword, short
// form, operands (capitals; brackets for an optional one).

// sample (s) NAME: the channel's sample, by its label in the descriptor; once per channel.
int handleSample(CompiledMacro* macro, CompiledChannel* channel)
{
    const char* name = stage.at.nextOperand();
    if (!name)
        return 1;
    int32_t index = kNoSampleIndex;
    if (!stage.sampleLookupOff) {
        uint32_t found = 0;
        if (findSample(name, &found, nullptr) != 0) {
            stage.at.printSubjectAtLine(kSampleNotFound, name);
            return 1;
        }
        index = int32_t(found);
    }
    if (channel->sampleSet) {
        stage.at.printSubjectAtLine(kMultipleSamples,
                                    macro->label);
        return 1;
    }
    channel->sampleIndex = index;
    channel->sampleSet = true;
    return 0;
}

// mode (m) singleshot
// mode (m) looping START END: START 0 to 32767, END above START and at most 32768.
int handleMode(CompiledMacro*, CompiledChannel* channel)
{
    if (!channel->sampleSet) {
        printMessage(stderr, kFormatMessage, kModeBeforeSample);
        return 1;
    }
    const char* word = stage.at.nextOperand();
    if (!word)
        return 1;
    if (std::strcmp(word, "singleshot") == 0)
        return emitSingleShot(channel);
    if (std::strcmp(word, "looping") != 0) {
        printMessage(stderr, kFormatSubject, kInvalidSamplingMode, word);
        return 1;
    }
    const char* startToken = stage.at.nextOperand();
    if (!startToken) {
        printMessage(stderr, kFormatMessage, kLoopMissingStart);
        return 1;
    }
    uint32_t start = 0;
    if (parseFixed16(&start, startToken) != 0)
        return 1;
    const char* endToken = stage.at.nextOperand();
    if (!endToken) {
        printMessage(stderr, kFormatMessage, kLoopMissingEnd);
        return 1;
    }
    uint32_t end = 0;
    if (parseFixed16(&end, endToken) != 0)
        return 1;
    // Only the integer parts count; a negative offset reads as 32768 or more.
    start >>= 16;
    end >>= 16;
    if (start > 32767 || end > 32768) {
        printMessage(stderr, kFormatMessage, kValueOutOfRange);
        return 1;
    }
    if (start >= end) {
        printMessage(stderr, kFormatMessage, kLoopEndNotAfterStart);
        return 1;
    }
    return emitLooping(channel, uint16_t(start), uint16_t(end));
}

// frequency (f) FREQ [SLIDE]: 16.16 values.
int handleFrequency(CompiledMacro*, CompiledChannel* channel)
{
    uint32_t frequency = 0, slide = 0;
    if (readValueAndSlide(stage.at, parseFixed16, &frequency, &slide) != 0)
        return 1;
    return emitFrequency(channel, frequency, slide);
}

// volume (v) LEVEL [SLIDE]: 8.8 values.
int handleVolume(CompiledMacro*, CompiledChannel* channel)
{
    uint32_t level = 0, slide = 0;
    if (readValueAndSlide(stage.at, parseFixed8, &level, &slide) != 0)
        return 1;
    return emitVolume(channel, level, slide);
}

// loop (l) COUNT: COUNT -128 to 127.
int handleLoop(CompiledMacro*, CompiledChannel* channel)
{
    int8_t count = 0;
    if (readSignedByte(stage.at, &count) != 0)
        return 1;
    return emitLoop(channel, count);
}

// endloop (el)
int handleEndLoop(CompiledMacro*, CompiledChannel* channel)
{
    return emitEndLoop(channel);
}

// wait (w) TICKS
// rest (r) TICKS: the same as wait.
int handleWait(CompiledMacro*, CompiledChannel* channel)
{
    int32_t ticks = 0;
    if (readInteger(stage.at, &ticks) != 0)
        return 1;
    return emitWait(channel, ticks);
}

// noteoff (n): instruments only, once.
int handleNoteOff(CompiledMacro* macro, CompiledChannel* channel)
{
    if (!macro->isInstrument) {
        printMessage(stderr, kFormatSubject, kNoteOffForEffect, macro->label);
        return 1;
    }
    if (macro->noteOffSet) {
        printMessage(stderr, kFormatSubject, kMultipleNoteOffs, macro->label);
        return 1;
    }
    macro->noteOffSet = true;
    macro->noteOffOffset = channel->code.length;
    return 0;
}

// end (e)
int handleEnd(CompiledMacro*, CompiledChannel* channel)
{
    return emitEnd(channel);
}

struct MacroCommand {
    const char* longKeyword;
    const char* shortKeyword;
    bool flow;          // allowed only inside a channel block
    bool keepsWaitRun;  // "wait" and "rest" join the wait run before them
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

}  // namespace

int compileMacroCommand(CompiledMacro* macro, const char* token, bool* inChannel)
{
    CompiledChannel* channel = &macro->channels[macro->currentChannel];
    if (*inChannel && std::strcmp(token, "}") == 0) {
        if (!channel->sampleSet)
            printMessage(stderr, kFormatSubjectNumber, kNoSampleForChannel, macro->label,
                         macro->currentChannel);
        if (macro->isInstrument && !macro->noteOffSet)
            printMessage(stderr, kFormatSubject, kNoNoteOffPoint, macro->label);
        channel->closed = true;
        *inChannel = false;
        return 0;
    }
    if (!*inChannel && channel->closed) {
        if (macro->isInstrument) {
            stage.at.printAtLine(kInstrumentChannels);
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

    const MacroCommand* command = findCommand(kMacroCommands, token);
    if (!command) {
        stage.at.printSubjectAtLine(kInvalidCommand, token);
        return -1;
    }
    if (command->flow && !*inChannel) {
        stage.at.printSubjectAtLine(kFlowOutsideChannel, token);
        return -1;
    }
    if (!command->keepsWaitRun)
        closeWaitRun(&channel->waitRun);
    int result = command->handler(macro, channel);
    if (result > 0)
        stage.at.printAtLine(kInvalidCommandSyntax);
    return result;
}

int parseMacroScript(FILE* file, const char* fileName, bool soundEffectDialect,
                     bool sampleLookupOff)
{
    releaseMacros();
    printMessage(stdout, kFormatSubject, kParsingMacroScript, fileName);
    stage.soundEffects = soundEffectDialect;
    stage.sampleLookupOff = sampleLookupOff;
    stage.lineBuffer = static_cast<char*>(std::malloc(kLineBufferSize));
    stage.fileName = strdup(fileName);
    stage.at = SourcePosition{stage.fileName, 1, kScriptDelimiters, nullptr};
    if (!stage.lineBuffer || !stage.fileName) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    if (growArray(&stage.macros, &stage.capacity, kInitialMacroCapacity) != 0)
        return -1;
    if (prepareRecord() != 0)
        return -1;

    for (; readSourceLine(file, stage.lineBuffer); ++stage.at.lineNumber)
        if (handleLine(stage.lineBuffer) != 0)
            return -1;
    if (checkSourceRead(file, fileName) != 0)
        return -1;

    if (stage.inMacro) {
        stage.at.printAtLine(kUnexpectedEndOfMacro);
        return -1;
    }
    if (stage.count == 0)
        printMessage(stderr, kFormatMessage, kNoMacrosDefined);
    return 0;
}

int findMacro(const char* label, uint32_t* index, CompiledMacro** record)
{
    return findRecord(&stage.labels, stage.macros, label, index, record);
}

uint32_t macroCount()
{
    return stage.count;
}

const CompiledMacro* macroList()
{
    return stage.macros;
}

const char* macroScriptPath()
{
    return stage.fileName;
}

void releaseMacros()
{
    if (stage.macros) {
        // The prepared record after the finished ones is released as well.
        uint32_t records = stage.count < stage.capacity ? stage.count + 1 : stage.count;
        for (uint32_t i = 0; i < records; ++i)
            releaseMacro(&stage.macros[i]);
        std::free(stage.macros);
    }
    freeNameIndex(&stage.labels);
    for (uint32_t i = 0; i < stage.foldedCount; ++i)
        std::free(stage.foldedLabels[i]);
    std::free(stage.foldedLabels);
    freeNameIndex(&stage.foldedIndex);
    std::free(stage.lineBuffer);
    std::free(stage.fileName);
    stage = MacroStage{};
}

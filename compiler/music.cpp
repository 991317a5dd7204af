#include "compiler/music.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "compiler/arrays.h"
#include "compiler/name_index.h"
#include "compiler/macros.h"
#include "compiler/messages.h"
#include "compiler/numbers.h"
#include "compiler/source.h"
#include "formats/opcodes.h"

namespace {

constexpr uint32_t kInitialBlockCapacity = 64;
constexpr uint32_t kInitialReferenceCapacity = 64;
constexpr uint32_t kInitialTrackCapacity = 4;
constexpr uint32_t kInitialStreamCapacity = 1024;
// The "using" operand is one byte.
constexpr uint32_t kMaxInstrument = 255;

// The music stage of the run: it accumulates over the channel scripts of the run.
struct MusicStage {
    bool created;
    // The closed blocks, then the record of the block being read.
    MusicBlock* blocks;
    uint32_t blockCapacity;
    uint32_t blockCount;
    NameIndex labels;
    BlockReference* references;
    uint32_t referenceCapacity;
    uint32_t referenceCount;
    // The finished scripts' entries, then the entry of the script being read.
    TrackEntry* tracks;
    uint32_t trackCapacity;
    uint32_t trackCount;
    char** scripts;  // every script's name, for the linker's messages
    uint32_t scriptCapacity;
    uint32_t scriptCount;

    // The common code stream; its length is the code position.
    CodeBuffer stream;
    WaitRun waitRun;  // of the block being read
    bool noteSounding;

    char* lineBuffer;
    SourcePosition at;  // in the script being read
    bool inBlock;
    bool braceSeen;
};

MusicStage stage;

// One instruction into the stream, laid out as the bytecode table says.
int emit(uint8_t opcode, int32_t first = 0, int32_t second = 0)
{
    return appendInstruction(&stage.stream, bs_musicOpcode(opcode), first, second);
}

int emitNoteOff()
{
    stage.noteSounding = false;
    return emit(MUSIC_NOTE_OFF);
}

// ---- command handlers ----
//
// Each returns 0, 1 for a missing or bad operand (the caller adds "Invalid command syntax") or
// -1 after any other message. Above each, the command as the guide writes it: keyword, short
// form, operands (capitals; brackets for an optional one).

// using (u) NAME: an instrument of the instruments file, among its first 256.
int handleUsing()
{
    const char* name = stage.at.nextOperand();
    if (!name)
        return 1;
    uint32_t instrument = 0;
    if (findMacro(name, &instrument, nullptr) != 0) {
        printMessage(stderr, kFormatSubject, kInstrumentNotFound, name);
        return -1;
    }
    if (instrument > kMaxInstrument) {
        // The operand is one byte: a higher number would pick another instrument.
        printMessage(stderr, kFormatMessage, kValueOutOfRange);
        return 1;
    }
    return emit(MUSIC_USING, int32_t(instrument));
}

// priority (pr) P: P -128 to 127.
int handlePriority()
{
    int8_t priority = 0;
    if (readSignedByte(stage.at, &priority) != 0)
        return 1;
    return emit(MUSIC_PRIORITY, priority);
}

// pan (p) LEFT RIGHT: each -128 to 127.
int handlePan()
{
    int8_t left = 0, right = 0;
    if (readSignedByte(stage.at, &left) != 0 || readSignedByte(stage.at, &right) != 0)
        return 1;
    return emit(MUSIC_PAN, left, right);
}

// pitch (pt) OFFSET [SLIDE]: 16.16 values.
int handlePitch()
{
    uint32_t offset = 0, slide = 0;
    if (readValueAndSlide(stage.at, parseFixed16, &offset, &slide) != 0)
        return 1;
    return emit(MUSIC_PITCH, int32_t(offset), int32_t(slide));
}

// loop (l) COUNT: COUNT -128 to 127; -128 is the call frame's mark.
int handleLoop()
{
    int8_t count = 0;
    if (readSignedByte(stage.at, &count) != 0)
        return 1;
    if (count == MUSIC_CALL_FRAME)
        printMessage(stderr, kFormatMessage, kLoopCountReserved);
    return emit(MUSIC_LOOP, count);
}

// endloop (el)
int handleEndLoop()
{
    return emit(MUSIC_ENDLOOP);
}

// call (c) LABEL: a block of any script of the run.
int handleCall()
{
    const char* label = stage.at.nextOperand();
    if (!label)
        return 1;
    // The reference is to the operand, which the linker fills in.
    if (appendCode(&stage.stream, MUSIC_CALL) != 0 || addBlockReference(label) != 0)
        return -1;
    return appendOperands(&stage.stream, bs_musicOpcode(MUSIC_CALL));
}

// return (rt)
int handleReturn()
{
    return emit(MUSIC_RETURN);
}

// break (b)
int handleBreak()
{
    return emit(MUSIC_BREAK);
}

// wait (w) TICKS: the sounding note goes on.
int handleWait()
{
    int32_t ticks = 0;
    if (readInteger(stage.at, &ticks) != 0)
        return 1;
    return emitWait(&stage.stream, &stage.waitRun, ticks);
}

// rest (r) TICKS: releases a sounding note first; otherwise it is a wait and joins the run.
int handleRest()
{
    int32_t ticks = 0;
    if (readInteger(stage.at, &ticks) != 0)
        return 1;
    if (stage.noteSounding) {
        closeWaitRun(&stage.waitRun);
        if (emitNoteOff() != 0)
            return -1;
    }
    return emitWait(&stage.stream, &stage.waitRun, ticks);
}

// end (e): the priority 0, after releasing a sounding note.
int handleEnd()
{
    if (stage.noteSounding && emitNoteOff() != 0)
        return -1;
    return emit(MUSIC_PRIORITY, 0);
}

struct MusicCommand {
    const char* longKeyword;
    const char* shortKeyword;
    bool keepsWaitRun;  // "wait" and "rest" decide themselves
    int (*handler)();
};

const MusicCommand kMusicCommands[] = {
    {"using", "u", false, handleUsing},
    {"priority", "pr", false, handlePriority},
    {"pan", "p", false, handlePan},
    {"pitch", "pt", false, handlePitch},
    {"loop", "l", false, handleLoop},
    {"endloop", "el", false, handleEndLoop},
    {"call", "c", false, handleCall},
    {"return", "rt", false, handleReturn},
    {"break", "b", false, handleBreak},
    {"wait", "w", true, handleWait},
    {"rest", "r", true, handleRest},
    {"end", "e", false, handleEnd},
};

// ---- notes ----

struct NoteName {
    char text[3];
    uint32_t semitone;
};

// clang-format off
const NoteName kNoteNames[] = {
    {"c.", 0}, {"cs", 1}, {"d.", 2},  {"ds", 3},  {"e.", 4},  {"f.", 5},
    {"fs", 6}, {"g.", 7}, {"gs", 8},  {"a.", 9},  {"as", 10}, {"b.", 11},
};
// clang-format on

constexpr uint32_t kHighestNote = 127;

// ---- blocks and scripts ----

int closeBlock()
{
    MusicBlock* block = &stage.blocks[stage.blockCount];
    block->codeLength = stage.stream.length - block->startPosition;
    // Growing may move the list: look the block up again afterwards.
    if (growArray(&stage.blocks, &stage.blockCapacity, stage.blockCount + 2) != 0 ||
        addName(&stage.labels, stage.blocks[stage.blockCount].label, stage.blockCount) != 0)
        return -1;
    ++stage.blockCount;
    stage.blocks[stage.blockCount] = MusicBlock{};
    stage.inBlock = false;
    return 0;
}

// A block's label line: LABEL [PRIORITY]. The PRIORITY (-128 to 127) makes it the script's main
// block.
int parseLabelLine(const char* label)
{
    TrackEntry* track = &stage.tracks[stage.trackCount];
    const char* priorityToken = stage.at.nextOperand();
    if (priorityToken) {
        int64_t priority = 0;
        if (!scanDecimal(priorityToken, &priority)) {
            stage.at.printAtLine(kInvalidBlockLabel);
            return -1;
        }
        if (priority < -128 || priority > 127) {
            stage.at.printAtLine(kBlockPriorityOutOfRange);
            return -1;
        }
        if (track->hasMain) {
            stage.at.printAtLine(kSecondMainBlock);
            return -1;
        }
        track->hasMain = true;
        track->priority = int32_t(priority);
        track->startPosition = stage.stream.length;
    }
    if (findBlock(label, nullptr, nullptr) == 0) {
        stage.at.printSubjectAtLine(kBlockAlreadyDefined, label);
        return -1;
    }
    MusicBlock* block = &stage.blocks[stage.blockCount];
    block->label = strdup(label);
    if (!block->label) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    block->startPosition = stage.stream.length;
    stage.waitRun = WaitRun{};
    stage.noteSounding = false;
    stage.inBlock = true;
    stage.braceSeen = false;
    return stage.at.checkEndOfLine();
}

int handleLine(char* line)
{
    const char* token = stage.at.firstToken(line);
    if (!token)
        return 0;
    if (!stage.inBlock)
        return parseLabelLine(token);
    if (!stage.braceSeen) {
        if (std::strcmp(token, "{") != 0) {
            stage.at.printAtLine(kExpectingBrace);
            return -1;
        }
        stage.braceSeen = true;
        return stage.at.checkEndOfLine();
    }
    if (std::strcmp(token, "}") == 0) {
        if (stage.at.checkEndOfLine() != 0)
            return -1;
        return closeBlock();
    }

    int result;
    const MusicCommand* command = findCommand(kMusicCommands, token);
    if (command) {
        if (!command->keepsWaitRun)
            closeWaitRun(&stage.waitRun);
        result = command->handler();
    } else {
        closeWaitRun(&stage.waitRun);
        result = compileNote(token);
    }
    if (result > 0)
        stage.at.printAtLine(kInvalidCommandSyntax);
    if (result != 0)
        return -1;
    return stage.at.checkEndOfLine();
}

// Creates the lists on the first script of a run.
int createMusicState()
{
    stage.lineBuffer = static_cast<char*>(std::malloc(kLineBufferSize));
    if (!stage.lineBuffer) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    if (growArray(&stage.blocks, &stage.blockCapacity, kInitialBlockCapacity) != 0 ||
        growArray(&stage.references, &stage.referenceCapacity, kInitialReferenceCapacity) != 0 ||
        growArray(&stage.tracks, &stage.trackCapacity, kInitialTrackCapacity) != 0 ||
        growArray(&stage.scripts, &stage.scriptCapacity, kInitialTrackCapacity) != 0 ||
        growArray(&stage.stream.bytes, &stage.stream.capacity, kInitialStreamCapacity) != 0)
        return -1;
    stage.blocks[0] = MusicBlock{};
    stage.created = true;
    return 0;
}

int startScript(const char* fileName)
{
    if (growArray(&stage.scripts, &stage.scriptCapacity, stage.scriptCount + 1) != 0)
        return -1;
    char* name = strdup(fileName);
    if (!name) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    stage.scripts[stage.scriptCount++] = name;
    stage.at = SourcePosition{name, 1, kScriptDelimiters, nullptr};
    stage.tracks[stage.trackCount] = TrackEntry{};
    stage.noteSounding = false;
    stage.inBlock = false;
    stage.braceSeen = false;
    return 0;
}

}  // namespace

// NOTE TICKS: a note name (c. cs d. ds e. f. fs g. gs a. as b.) with its octave, c.0 to g.10,
// then how long it sounds.
int compileNote(const char* token)
{
    const NoteName* name = nullptr;
    int64_t octave = 0;
    if (std::strlen(token) > 2) {
        for (const NoteName& candidate : kNoteNames)
            if (std::strncmp(token, candidate.text, 2) == 0)
                name = &candidate;
    }
    // The octave is read like a "%u" scan: a negative one wraps to a huge one, out of range.
    if (!name || !scanDecimal(token + 2, &octave)) {
        printMessage(stderr, kFormatSubject, kUnableToParseNote, token);
        return -1;
    }
    const int64_t note = name->semitone + 12 * octave;
    if (octave < 0 || note > kHighestNote) {
        printMessage(stderr, kFormatMessage, kNoteOutOfRange);
        return -1;
    }
    if (emit(MUSIC_NOTE, int32_t(note)) != 0)
        return -1;
    // The duration is a wait that following waits join.
    int32_t ticks = 0;
    if (readInteger(stage.at, &ticks) != 0)
        return 1;
    int result = emitWait(&stage.stream, &stage.waitRun, ticks);
    if (result == 0)
        stage.noteSounding = true;
    return result;
}

int addBlockReference(const char* label)
{
    if (growArray(&stage.references, &stage.referenceCapacity, stage.referenceCount + 1) != 0)
        return -1;
    BlockReference* reference = &stage.references[stage.referenceCount];
    reference->label = strdup(label);
    if (!reference->label) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    reference->position = stage.stream.length;
    reference->script = stage.scriptCount - 1;
    reference->lineNumber = stage.at.lineNumber;
    ++stage.referenceCount;
    return 0;
}

int findBlock(const char* label, uint32_t* index, MusicBlock** record)
{
    return findRecord(&stage.labels, stage.blocks, label, index, record);
}

int parseMusicScript(FILE* file, const char* fileName)
{
    printMessage(stdout, kFormatSubject, kParsingMusicScript, fileName);
    if (!stage.created && createMusicState() != 0)
        return -1;
    if (startScript(fileName) != 0)
        return -1;

    for (; readSourceLine(file, stage.lineBuffer); ++stage.at.lineNumber)
        if (handleLine(stage.lineBuffer) != 0)
            return -1;
    if (checkSourceRead(file, fileName) != 0)
        return -1;
    if (stage.inBlock) {
        stage.at.printAtLine(kUnexpectedEndOfBlock);
        return -1;
    }
    if (!stage.tracks[stage.trackCount].hasMain)
        printMessage(stderr, kFormatSubject, kNoMainBlock, fileName);
    if (growArray(&stage.tracks, &stage.trackCapacity, stage.trackCount + 2) != 0)
        return -1;
    ++stage.trackCount;
    return 0;
}

const CodeBuffer* musicCodeStream()
{
    return &stage.stream;
}

uint32_t blockCount()
{
    return stage.blockCount;
}

const MusicBlock* blockList()
{
    return stage.blocks;
}

uint32_t trackCount()
{
    return stage.trackCount;
}

const TrackEntry* trackList()
{
    return stage.tracks;
}

uint32_t referenceCount()
{
    return stage.referenceCount;
}

const BlockReference* referenceList()
{
    return stage.references;
}

const char* musicScriptName(uint32_t script)
{
    return script < stage.scriptCount ? stage.scripts[script] : "";
}

void releaseMusic()
{
    if (stage.blocks) {
        // The record of an unfinished block holds a label too.
        uint32_t records = stage.created && stage.blockCount < stage.blockCapacity
                               ? stage.blockCount + 1
                               : stage.blockCount;
        for (uint32_t i = 0; i < records; ++i)
            std::free(stage.blocks[i].label);
        std::free(stage.blocks);
    }
    for (uint32_t i = 0; i < stage.referenceCount; ++i)
        std::free(stage.references[i].label);
    std::free(stage.references);
    for (uint32_t i = 0; i < stage.scriptCount; ++i)
        std::free(stage.scripts[i]);
    std::free(stage.scripts);
    std::free(stage.tracks);
    std::free(stage.stream.bytes);
    std::free(stage.lineBuffer);
    freeNameIndex(&stage.labels);
    stage = MusicStage{};
}

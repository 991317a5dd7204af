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

// Process-wide music compiler state: it accumulates over the channel scripts
// of one run.
struct MusicCompiler {
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
    char** scripts; // every script's name, for the linker's messages
    uint32_t scriptCapacity;
    uint32_t scriptCount;

    // The common code stream; its length is the code position.
    CodeBuffer stream;
    WaitRun waitRun; // of the block being read
    bool noteSounding;

    char* lineBuffer;
    uint32_t lineNumber;
    char* tokenState;
    bool inBlock;
    bool braceSeen;
};

MusicCompiler music;

const char* currentFileName()
{
    return music.scripts[music.scriptCount - 1];
}

const char* nextOperand()
{
    return nextToken(nullptr, kScriptDelimiters, &music.tokenState);
}

void printAtLine(const char* message)
{
    printMessage(stderr, "%s%s,%u\n", message, currentFileName(), music.lineNumber);
}

int checkEndOfLine()
{
    if (!nextOperand())
        return 0;
    printAtLine(kGarbageAtEndOfLine);
    return -1;
}

// One instruction into the stream, laid out as the bytecode table says.
int emit(uint8_t opcode, int32_t first = 0, int32_t second = 0)
{
    return appendInstruction(&music.stream, bs_musicOpcode(opcode), first, second);
}

int emitNoteOff()
{
    music.noteSounding = false;
    return emit(MUSIC_NOTE_OFF);
}

// An integer operand in -128..127. 0, or 1 after the parser's or the range
// message.
int readSignedByte(int8_t* value)
{
    const char* token = nextOperand();
    int32_t number = 0;
    if (!token || parseInteger(token, &number) != 0)
        return 1;
    if (number < -128 || number > 127) {
        printMessage(stderr, "%s", kValueOutOfRange);
        return 1;
    }
    *value = int8_t(number);
    return 0;
}

int readTicks(int32_t* ticks)
{
    const char* token = nextOperand();
    if (!token || parseInteger(token, ticks) != 0)
        return 1;
    return 0;
}

// ---- command handlers ----

int handleUsing()
{
    const char* name = nextOperand();
    if (!name)
        return 1;
    uint32_t instrument = 0;
    if (findMacro(name, &instrument, nullptr) != 0) {
        printMessage(stderr, "%s%s\n", "ERROR- Instrument not found : ", name);
        return -1;
    }
    if (instrument > kMaxInstrument) {
        // The operand is one byte: a higher number would pick another instrument.
        printMessage(stderr, "%s", kValueOutOfRange);
        return 1;
    }
    return emit(MUSIC_USING, int32_t(instrument));
}

int handlePriority()
{
    int8_t priority = 0;
    if (readSignedByte(&priority) != 0)
        return 1;
    return emit(MUSIC_PRIORITY, priority);
}

int handlePan()
{
    int8_t left = 0, right = 0;
    if (readSignedByte(&left) != 0 || readSignedByte(&right) != 0)
        return 1;
    return emit(MUSIC_PAN, left, right);
}

int handlePitch()
{
    const char* offsetToken = nextOperand();
    uint32_t offset = 0, slide = 0;
    if (!offsetToken || parseFixed16(&offset, offsetToken) != 0)
        return 1;
    const char* slideToken = nextOperand();
    if (slideToken && parseFixed16(&slide, slideToken) != 0)
        return 1;
    return emit(MUSIC_PITCH, int32_t(offset), int32_t(slide));
}

int handleLoop()
{
    int8_t count = 0;
    if (readSignedByte(&count) != 0)
        return 1;
    if (count == MUSIC_CALL_FRAME)
        printMessage(stderr, "%s", "WARNING- Loop count of -128 reserved for CALLs\n");
    return emit(MUSIC_LOOP, count);
}

int handleEndLoop()
{
    return emit(MUSIC_ENDLOOP);
}

int handleCall()
{
    const char* label = nextOperand();
    if (!label)
        return 1;
    // The reference is to the operand, which the linker fills in.
    if (appendCode(&music.stream, MUSIC_CALL) != 0 || addBlockReference(label) != 0)
        return -1;
    return appendOperands(&music.stream, bs_musicOpcode(MUSIC_CALL));
}

int handleReturn()
{
    return emit(MUSIC_RETURN);
}

int handleBreak()
{
    return emit(MUSIC_BREAK);
}

int handleWait()
{
    int32_t ticks = 0;
    if (readTicks(&ticks) != 0)
        return 1;
    return emitWait(&music.stream, &music.waitRun, ticks);
}

// Releases a sounding note first; otherwise it is a wait and joins the run.
int handleRest()
{
    int32_t ticks = 0;
    if (readTicks(&ticks) != 0)
        return 1;
    if (music.noteSounding) {
        closeWaitRun(&music.waitRun);
        if (emitNoteOff() != 0)
            return -1;
    }
    return emitWait(&music.stream, &music.waitRun, ticks);
}

// "end" is the priority 0, after releasing a sounding note.
int handleEnd()
{
    if (music.noteSounding && emitNoteOff() != 0)
        return -1;
    return emit(MUSIC_PRIORITY, 0);
}

struct MusicCommand {
    const char* longKeyword;
    const char* shortKeyword;
    int (*handler)();
    bool keepsWaitRun; // "wait" and "rest" decide themselves
};

const MusicCommand kMusicCommands[] = {
    {"using", "u", handleUsing, false},
    {"priority", "pr", handlePriority, false},
    {"pan", "p", handlePan, false},
    {"pitch", "pt", handlePitch, false},
    {"loop", "l", handleLoop, false},
    {"endloop", "el", handleEndLoop, false},
    {"call", "c", handleCall, false},
    {"return", "rt", handleReturn, false},
    {"break", "b", handleBreak, false},
    {"wait", "w", handleWait, true},
    {"rest", "r", handleRest, true},
    {"end", "e", handleEnd, false},
};

const MusicCommand* findCommand(const char* token)
{
    for (const MusicCommand& command : kMusicCommands)
        if (std::strcmp(token, command.longKeyword) == 0 ||
            std::strcmp(token, command.shortKeyword) == 0)
            return &command;
    return nullptr;
}

// ---- notes ----

struct NoteName {
    char text[3];
    uint32_t semitone;
};

const NoteName kNoteNames[] = {
    {"c.", 0}, {"cs", 1}, {"d.", 2},  {"ds", 3},  {"e.", 4},  {"f.", 5},
    {"fs", 6}, {"g.", 7}, {"gs", 8},  {"a.", 9},  {"as", 10}, {"b.", 11},
};

constexpr uint32_t kHighestNote = 127;

// The octave after the note name, read as an unsigned decimal like a "%u"
// scan: white space and a sign may lead, anything after the digits is
// ignored. A negative octave wraps to a huge one, as the scan would give.
bool scanOctave(const char* text, uint64_t* octave)
{
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    if (!std::isdigit(static_cast<unsigned char>(*text)))
        return false;
    uint64_t value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*text)); ++text)
        if (value <= UINT32_MAX)
            value = value * 10 + uint64_t(*text - '0');
    *octave = negative && value != 0 ? UINT32_MAX : value;
    return true;
}

// ---- blocks and scripts ----

int closeBlock()
{
    MusicBlock* block = &music.blocks[music.blockCount];
    block->codeLength = music.stream.length - block->startPosition;
    // Growing may move the list: look the block up again afterwards.
    if (growArray(&music.blocks, &music.blockCapacity, music.blockCount + 2) != 0 ||
        addName(&music.labels, music.blocks[music.blockCount].label, music.blockCount) != 0)
        return -1;
    ++music.blockCount;
    music.blocks[music.blockCount] = MusicBlock{};
    music.inBlock = false;
    return 0;
}

// A block's label line; the main block's also carries the priority.
int parseLabelLine(const char* label)
{
    TrackEntry* track = &music.tracks[music.trackCount];
    const char* priorityToken = nextOperand();
    if (priorityToken) {
        int64_t priority = 0;
        if (!scanDecimal(priorityToken, &priority)) {
            printAtLine("ERROR- Invalid music block label in : ");
            return -1;
        }
        if (priority < -128 || priority > 127) {
            printAtLine("ERROR- Music block priority out of range in : ");
            return -1;
        }
        if (track->hasMain) {
            printAtLine("ERROR- Second main block declaration in : ");
            return -1;
        }
        track->hasMain = true;
        track->priority = int32_t(priority);
        track->startPosition = music.stream.length;
    }
    if (findBlock(label, nullptr, nullptr) == 0) {
        printMessage(stderr, "%s%s in : %s,%u\n", "ERROR- Block already defined with label : ",
                     label, currentFileName(), music.lineNumber);
        return -1;
    }
    MusicBlock* block = &music.blocks[music.blockCount];
    block->label = strdup(label);
    if (!block->label) {
        printMessage(stderr, "%s", kOutOfMemory);
        return -1;
    }
    block->startPosition = music.stream.length;
    music.waitRun = WaitRun{};
    music.noteSounding = false;
    music.inBlock = true;
    music.braceSeen = false;
    return checkEndOfLine();
}

int handleLine(char* line)
{
    collapseDelimiters(line, ";", '\0');
    const char* token = nextToken(line, kScriptDelimiters, &music.tokenState);
    if (!token)
        return 0;
    if (!music.inBlock)
        return parseLabelLine(token);
    if (!music.braceSeen) {
        if (std::strcmp(token, "{") != 0) {
            printAtLine("ERROR- Expecting '{' at block start : ");
            return -1;
        }
        music.braceSeen = true;
        return checkEndOfLine();
    }
    if (std::strcmp(token, "}") == 0) {
        if (checkEndOfLine() != 0)
            return -1;
        return closeBlock();
    }

    int result;
    const MusicCommand* command = findCommand(token);
    if (command) {
        if (!command->keepsWaitRun)
            closeWaitRun(&music.waitRun);
        result = command->handler();
    } else {
        closeWaitRun(&music.waitRun);
        result = compileNote(token);
    }
    if (result > 0)
        printAtLine(kInvalidCommandSyntax);
    if (result != 0)
        return -1;
    return checkEndOfLine();
}

// Creates the lists on the first script of a run.
int createMusicState()
{
    music.lineBuffer = static_cast<char*>(std::malloc(kLineBufferSize));
    if (!music.lineBuffer) {
        printMessage(stderr, "%s", kOutOfMemory);
        return -1;
    }
    if (growArray(&music.blocks, &music.blockCapacity, kInitialBlockCapacity) != 0 ||
        growArray(&music.references, &music.referenceCapacity, kInitialReferenceCapacity) != 0 ||
        growArray(&music.tracks, &music.trackCapacity, kInitialTrackCapacity) != 0 ||
        growArray(&music.scripts, &music.scriptCapacity, kInitialTrackCapacity) != 0 ||
        growArray(&music.stream.bytes, &music.stream.capacity, kInitialStreamCapacity) != 0)
        return -1;
    music.blocks[0] = MusicBlock{};
    music.created = true;
    return 0;
}

int startScript(const char* fileName)
{
    if (growArray(&music.scripts, &music.scriptCapacity, music.scriptCount + 1) != 0)
        return -1;
    char* name = strdup(fileName);
    if (!name) {
        printMessage(stderr, "%s", kOutOfMemory);
        return -1;
    }
    music.scripts[music.scriptCount++] = name;
    music.tracks[music.trackCount] = TrackEntry{};
    music.noteSounding = false;
    music.inBlock = false;
    music.braceSeen = false;
    return 0;
}

} // namespace

int compileNote(const char* token)
{
    const NoteName* name = nullptr;
    uint64_t octave = 0;
    if (std::strlen(token) > 2) {
        for (const NoteName& candidate : kNoteNames)
            if (std::strncmp(token, candidate.text, 2) == 0)
                name = &candidate;
    }
    if (!name || !scanOctave(token + 2, &octave)) {
        printMessage(stderr, "%s%s\n", "ERROR- Unable to parse note : ", token);
        return -1;
    }
    uint64_t note = name->semitone + 12 * octave;
    if (note > kHighestNote) {
        printMessage(stderr, "%s", "ERROR- Note frequency out of range (c.0 to g.10)\n");
        return -1;
    }
    if (emit(MUSIC_NOTE, int32_t(note)) != 0)
        return -1;
    // The duration is a wait that following waits join.
    int32_t ticks = 0;
    if (readTicks(&ticks) != 0)
        return 1;
    int result = emitWait(&music.stream, &music.waitRun, ticks);
    if (result == 0)
        music.noteSounding = true;
    return result;
}

int addBlockReference(const char* label)
{
    if (growArray(&music.references, &music.referenceCapacity, music.referenceCount + 1) != 0)
        return -1;
    BlockReference* reference = &music.references[music.referenceCount];
    reference->label = strdup(label);
    if (!reference->label) {
        printMessage(stderr, "%s", kOutOfMemory);
        return -1;
    }
    reference->position = music.stream.length;
    reference->script = music.scriptCount - 1;
    reference->lineNumber = music.lineNumber;
    ++music.referenceCount;
    return 0;
}

int findBlock(const char* label, uint32_t* index, MusicBlock** record)
{
    uint32_t found = 0;
    if (!findName(&music.labels, label, &found))
        return -1;
    if (index)
        *index = found;
    if (record)
        *record = &music.blocks[found];
    return 0;
}

int parseMusicScript(FILE* file, const char* fileName)
{
    printMessage(stdout, "%s%s\n", "Parsing music script file : ", fileName);
    if (!music.created && createMusicState() != 0)
        return -1;
    if (startScript(fileName) != 0)
        return -1;

    for (music.lineNumber = 1; readSourceLine(file, music.lineBuffer); ++music.lineNumber)
        if (handleLine(music.lineBuffer) != 0)
            return -1;
    if (checkSourceRead(file, fileName) != 0)
        return -1;
    if (music.inBlock) {
        printAtLine("ERROR- Unexpected end of music block in : ");
        return -1;
    }
    if (!music.tracks[music.trackCount].hasMain)
        printMessage(stderr, "%s%s\n", "WARNING- No main block found for channel : ", fileName);
    if (growArray(&music.tracks, &music.trackCapacity, music.trackCount + 2) != 0)
        return -1;
    ++music.trackCount;
    return 0;
}

const CodeBuffer* musicCodeStream()
{
    return &music.stream;
}

uint32_t blockCount()
{
    return music.blockCount;
}

const MusicBlock* blockList()
{
    return music.blocks;
}

uint32_t trackCount()
{
    return music.trackCount;
}

const TrackEntry* trackList()
{
    return music.tracks;
}

uint32_t referenceCount()
{
    return music.referenceCount;
}

const BlockReference* referenceList()
{
    return music.references;
}

const char* musicScriptName(uint32_t script)
{
    return script < music.scriptCount ? music.scripts[script] : "";
}

void releaseMusic()
{
    if (music.blocks) {
        // The record of an unfinished block holds a label too.
        uint32_t records = music.created && music.blockCount < music.blockCapacity
                               ? music.blockCount + 1
                               : music.blockCount;
        for (uint32_t i = 0; i < records; ++i)
            std::free(music.blocks[i].label);
        std::free(music.blocks);
    }
    for (uint32_t i = 0; i < music.referenceCount; ++i)
        std::free(music.references[i].label);
    std::free(music.references);
    for (uint32_t i = 0; i < music.scriptCount; ++i)
        std::free(music.scripts[i]);
    std::free(music.scripts);
    std::free(music.tracks);
    std::free(music.stream.bytes);
    std::free(music.lineBuffer);
    freeNameIndex(&music.labels);
    music = MusicCompiler{};
}

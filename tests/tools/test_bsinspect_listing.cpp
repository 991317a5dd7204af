// bsinspect's reading of packages: values written as scripts write them, the PCM files that
// rebuild a sample pack, what it says it cannot write, and its verdict on every hostile package
// of the tools' fuzz corpus.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "package_builder.h"
#include "tools/bsinspect/disassembly.h"
#include "tools/bsinspect/script_numbers.h"

using namespace bsinspect;
using namespace testing_packages;

extern "C" uint32_t bs_test_readInstructionInC(int music, const uint8_t* code, int32_t* operands);
extern "C" uint32_t bs_test_writeInstructionInC(int music, uint8_t opcode, const int32_t* operands, uint8_t* out);

namespace {

struct Instruction {
    bool music;
    Bytes bytes;
    std::vector<int32_t> operands;  // empty: no opcode
};

// The bytecode tables, read and written from C: each operand's size, order and sign.
TEST(BytecodeTable, ReadsAndWritesEveryLayoutFromC)
{
    const Instruction cases[] = {
        {false, {MACRO_END}, {0, 0}},
        {false, {MACRO_LOOPING, 0x00, 0x00, 0x00, 0x80}, {0, 32768}},
        {false, {MACRO_VOLUME, 0x40, 0x40, 0xFF}, {64, -192}},
        {false, {MACRO_FREQUENCY, 0, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0xFF}, {0x10000, -1}},
        {false, {MACRO_LOOP, 0xFF}, {-1, 0}},
        {false, {MACRO_NOP}, {0, 0}},
        {false, {0x08}, {}},
        {true, {MUSIC_PRIORITY, 0xFF}, {-1, 0}},
        {true, {MUSIC_PAN, 0x80, 0x7F}, {-128, 127}},
        {true, {MUSIC_USING, 0xFF}, {255, 0}},
        {true, {MUSIC_NOTE, 0x7F}, {127, 0}},
        {true, {MUSIC_PITCH, 0x00, 0x80, 0xFF, 0xFF, 0x00, 0x01, 0, 0}, {-0x8000, 0x100}},
        {true, {MUSIC_CALL, 0xFE, 0xFF, 0xFF, 0xFF}, {-2, 0}},
        {true, {MUSIC_NOP}, {0, 0}},
        {true, {0x0C}, {}},
    };
    for (const Instruction& c : cases) {
        SCOPED_TRACE(int(c.bytes[0]));
        Bytes code = c.bytes;
        code.resize(BS_MAX_INSTRUCTION_BYTES);
        int32_t operands[BS_MAX_OPERANDS] = {};
        const uint32_t length = bs_test_readInstructionInC(c.music, code.data(), operands);
        if (c.operands.empty()) {
            EXPECT_EQ(length, 0u);
            continue;
        }
        EXPECT_EQ(length, c.bytes.size());
        EXPECT_EQ(std::vector<int32_t>(operands, operands + BS_MAX_OPERANDS), c.operands);
        uint8_t written[BS_MAX_INSTRUCTION_BYTES] = {};
        ASSERT_EQ(bs_test_writeInstructionInC(c.music, c.bytes[0], c.operands.data(), written), length);
        EXPECT_EQ(Bytes(written, written + length), c.bytes);
    }
}

TEST(ScriptNumbers, AreWrittenAsScriptsWriteThem)
{
    EXPECT_EQ(fixed16Text(0x00018000), "1.32768");
    EXPECT_EQ(fixed16Text(-5), "-0.5");
    EXPECT_EQ(fixed16Text(-0x18000), "-1.32768");
    EXPECT_EQ(fixed16Text(INT32_MIN), "-32768");
    EXPECT_EQ(fixed16Text(0x10000), "1");
    EXPECT_EQ(fixed8Text(-0xC0), "-0.192");
    EXPECT_EQ(fixed8Text(INT16_MIN), "-128");
    EXPECT_EQ(noteText(48), "c.4");
    EXPECT_EQ(noteText(10), "as0");
    EXPECT_EQ(noteText(127), "g.10");
    // Frequencies: the fewest decimals that bscomp stores as the same 16.16 bits.
    EXPECT_EQ(hertzText(0x0105A147), "261.63");
    EXPECT_EQ(hertzText(0x56220000), "22050");
    EXPECT_EQ(hertzText(0x1F408000), "8000.5");
    EXPECT_EQ(hertzText(0x00010001), "1.00002");
    EXPECT_EQ(hertzText(0xFFFFFFFF), "65535.99999");
    EXPECT_EQ(hertzText(0x0000FFFF), "");  // below 1 Hz: no descriptor gives it
}

// A sample pack of `data` with entries (offset into the data, length).
Bytes pack(const std::vector<std::pair<uint32_t, uint32_t>>& entries, uint32_t dataSize)
{
    Bytes out = header(BS_MAGIC_SAMPLES, uint32_t(entries.size()));
    const uint32_t start = BS_HEADER_SIZE + BS_SAMPLE_ENTRY_SIZE * uint32_t(entries.size());
    for (const auto& [offset, length] : entries) {
        putU32(out, start + offset);
        putU32(out, length);
        putU32(out, 22050u << 16);
        putU32(out, 440u << 16);
    }
    out.resize(out.size() + dataSize, 0x40);
    return out;
}

struct LayoutCase {
    const char* what;
    std::vector<std::pair<uint32_t, uint32_t>> entries;
    uint32_t dataSize;
    std::vector<uint32_t> fileSizes;  // empty: not rebuilt exactly
};

TEST(SampleLayout, CutsTheDataIntoFilesADescriptorNames)
{
    const LayoutCase cases[] = {
        {"one file each", {{0, 100}, {100, 50}}, 150, {100, 50}},
        {"a tail no sample plays stays with its file", {{0, 100}, {100, 50}}, 400, {100, 300}},
        {"stretches of one file", {{0, 2000}, {1200, 600}, {2000, 4000}}, 6000, {2000, 4000}},
        {"a file that begins before its first sample", {{500, 100}}, 600, {600}},
        {"a long sample ends its file", {{0, 40000}, {100, 100}, {40000, 10}}, 40010, {40000, 10}},
        {"samples that cross do not split", {{0, 100}, {200, 100}, {50, 200}}, 300, {300}},
        {"a sample before the first one, in its file", {{100, 50}, {0, 100}}, 150, {150}},
        {"an empty sample", {{0, 100}, {100, 0}}, 100, {}},
        {"a sample past the data", {{0, 200}}, 100, {}},
        {"a start too far into the data", {{40000, 10}}, 40010, {}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes bytes = pack(c.entries, c.dataSize);
        const SampleLayout layout = layOutSamples(bytes.data(), uint32_t(bytes.size()));
        ASSERT_EQ(layout.samples.size(), c.entries.size());
        if (c.fileSizes.empty()) {
            EXPECT_NE(layout.inexact, "");
            EXPECT_EQ(layout.files.size(), c.entries.size());  // a file of its own each
            continue;
        }
        EXPECT_EQ(layout.inexact, "");
        std::vector<uint32_t> sizes;
        for (const PcmFile& file : layout.files)
            sizes.push_back(file.size);
        EXPECT_EQ(sizes, c.fileSizes);
    }
}

// The scripts of a package disassembled alone, as one: their text and all their notes.
Script scriptOf(const Bytes& bytes)
{
    std::vector<Package> packages;
    packages.push_back(packageFromBytes("p.sfx", bytes.data(), bytes.size()));
    Sources sources;
    std::string error;
    EXPECT_TRUE(disassemble(packages, nullptr, &sources, &error)) << error;
    Script all;
    for (const Script& script : sources.scripts) {
        all.text += script.text;
        all.notes.insert(all.notes.end(), script.notes.begin(), script.notes.end());
    }
    return all;
}

struct NotWritable {
    const char* what;
    Bytes package;
    const char* note;  // part of the note bsinspect gives
};

TEST(Disassembly, SaysWhatBscompCannotWrite)
{
    const Bytes apart = {0xFF, 0xFF, 0xFF, 0xFF, 0x81, MACRO_END};
    Bytes swapped = instrumentPack({{0, {MACRO_END}}, {0, {MACRO_END, MACRO_END}}});
    bs_writeU32(swapped.data() + 12, 33);  // the first entry's code after the second's
    bs_writeU32(swapped.data() + 24, 32);
    Bytes shared = instrumentPack({{0, {MACRO_END}}, {0, {MACRO_END}}, {0, {MACRO_END}}});
    bs_writeU32(shared.data() + 36, 44);  // the third entry's code is the first's
    const NotWritable cases[] = {
        {"a macro opcode no script writes", instrumentPack({{0, {MACRO_NOP, MACRO_END}}}), "no script writes"},
        {"a byte that is no opcode", soundEffect({{0, {0x2A, MACRO_END}}}), "bytes 2A 00"},
        {"an instruction cut off", soundEffect({{0, {MACRO_FREQUENCY, 1, 2}}}), "the 3 bytes 04 01 02"},
        {"a mode without a sample", soundEffect({{kNoSample, {MACRO_SINGLESHOT}}}), "without a sample"},
        {"a loop ending before it starts", soundEffect({{0, {MACRO_LOOPING, 9, 0, 9, 0}}}), "from 9 to 9"},
        {"wait runs nothing keeps apart", soundEffect({{kNoSample, apart}}), "bscomp joins"},
        {"a wait in more bytes than it takes", soundEffect({{0, {0x85, 0x80, MACRO_END}}}), "more bytes"},
        {"a note-off point inside an instruction", instrumentPack({{0, {MACRO_LOOP, 2, MACRO_END}, 1}}),
         "inside an instruction"},
        {"code out of entry order", swapped, "back to back"},
        {"code two entries share", shared, "which it shares with instrument_0"},
        {"a release with no note", musicTrack({{10, {MUSIC_NOTE_OFF, MUSIC_PRIORITY, 0}}}), "no note sounding"},
        {"a note above g.10", musicTrack({{10, {MUSIC_NOTE, 200, 0x81, MUSIC_PRIORITY, 0}}}), "note 200"},
        {"a music opcode no script writes", musicTrack({{10, {MUSIC_NOP}}}), "no script writes"},
        {"a call into an instruction", musicTrack({{10, {MUSIC_CALL, 0xFC, 0xFF, 0xFF, 0xFF}}}),
         "into an instruction"},
        {"tracks out of order", musicTrack({{10, {0x81}}, {10, {0x82}}}), "before the code of an earlier track"},
    };
    for (const NotWritable& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes package = c.package;
        if (std::string(c.what) == "tracks out of order") {
            bs_writeU32(package.data() + 9, 19);  // track 0 starts at track 1's code
            bs_writeU32(package.data() + 14, 18);
        }
        const Script script = scriptOf(package);
        ASSERT_FALSE(script.notes.empty()) << script.text;
        bool found = false;
        for (const std::string& note : script.notes)
            found = found || note.find(c.note) != std::string::npos;
        EXPECT_TRUE(found) << script.notes[0];
        EXPECT_NE(script.text.find("; NOT REBUILT: "), std::string::npos);
    }
}

TEST(Disassembly, KeepsWaitRunsApartWithTheSampleLine)
{
    // Two runs side by side: bscomp writes them only with a line between that emits nothing.
    const Script script = scriptOf(soundEffect({{3, {0xFF, 0xFF, 0xFF, 0xFF, 0x81, MACRO_SINGLESHOT}}}));
    EXPECT_TRUE(script.notes.empty());
    EXPECT_NE(script.text.find("        wait 268435455\n        sample sample_3\n        wait 1\n"
                               "        mode singleshot\n"),
              std::string::npos)
        << script.text;
}

// Every package of the tools' fuzz corpus: read, checked and disassembled without a fault, and
// each one that is no usable package says so.
TEST(Disassembly, ReadsEveryHostilePackage)
{
    size_t refused = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PACKAGE_CORPUS_DIR)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::vector<Package> packages;
        packages.push_back(packageFromBytes(entry.path().filename().string(), bytes.data(), bytes.size()));
        checkPackages(packages);
        const Package& package = packages[0];
        if (!package.kind || !package.check.ok()) {
            ++refused;
            EXPECT_FALSE(package.problem.empty() && package.check.error.empty()) << entry.path();
        }
        Sources sources;
        std::string error;
        ASSERT_TRUE(disassemble(packages, nullptr, &sources, &error)) << error;
        EXPECT_EQ(sources.scripts.empty(), !package.kind || !package.tableRead) << entry.path();
    }
    EXPECT_GT(refused, 50u);
}

}  // namespace

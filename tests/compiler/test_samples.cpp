// Sample descriptor parsing and sample pack building, through the real bscomp binary
// (messages, streams, exit status, package bytes) and in process (the sample table).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bscomp_test_support.h"
#include "compiler/samples.h"

using bscomp_test::memorySource;
using bscomp_test::MessageCapture;
using bscomp_test::RunResult;
using bscomp_test::TempDir;
using bscomp_test::u32At;
using bscomp_test::u32Bytes;

namespace {

std::string pcm(size_t size, unsigned seed = 1)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + seed * 31 + (i >> 8)) & 0xFF);
    return bytes;
}

std::string entry(uint32_t offset, uint32_t length, uint32_t rate, uint32_t frequency)
{
    return u32Bytes(offset) + u32Bytes(length) + u32Bytes(rate) + u32Bytes(frequency);
}

std::string header(uint32_t count)
{
    return "BSMP" + u32Bytes(count);
}

constexpr uint32_t hz(uint32_t integer, uint32_t fraction = 0)
{
    return (integer << 16) | fraction;
}

class SamplePack : public ::testing::Test {
protected:
    RunResult compile(const std::string& descriptor)
    {
        dir.write("samples.txt", descriptor);
        return bscomp_test::runBscomp(dir.path(), {"-smp", "out.smp", "samples.txt"});
    }

    static std::string successOut(uint32_t bytes, uint32_t samples, uint32_t files)
    {
        return "SMP Mode...\nParsing sample descriptor file : samples.txt\nSaving sample package to : out.smp\n"
               "\nSuccess! " +
               std::to_string(bytes) + " Bytes written to : out.smp\nTotal Samples : " +
               std::to_string(samples) + ", Included Files : " + std::to_string(files) + "\n";
    }

    // A descriptor that fails while parsing: nothing is saved and no pack appears.
    void expectParseError(const std::string& descriptor, const std::string& message)
    {
        RunResult r = compile(descriptor);
        EXPECT_EQ(r.err, message) << descriptor;
        EXPECT_EQ(r.out, "SMP Mode...\nParsing sample descriptor file : samples.txt\n") << descriptor;
        EXPECT_EQ(r.status, 1) << descriptor;
        EXPECT_FALSE(dir.exists("out.smp")) << descriptor;
    }

    // A descriptor that parses but whose pack cannot be built.
    void expectBuildError(const std::string& descriptor, const std::string& message)
    {
        RunResult r = compile(descriptor);
        EXPECT_EQ(r.err, message) << descriptor;
        EXPECT_EQ(r.out,
                  "SMP Mode...\nParsing sample descriptor file : samples.txt\nSaving sample package to : out.smp\n")
            << descriptor;
        EXPECT_EQ(r.status, 1) << descriptor;
        EXPECT_FALSE(dir.exists("out.smp")) << descriptor;
    }

    TempDir dir;
};

TEST_F(SamplePack, SharesOneCopyOfAFileNamedTwice)
{
    const std::string data = pcm(3000);
    dir.write("drums.raw", data);
    RunResult r = compile(
        "; two stretches of one recording\n"
        "low:  drums.raw (8000, 261.63) [0, 1000]\n"
        "high: drums.raw (22050.5, 440)  [500, 2000]\n");
    const uint32_t base = 8 + 2 * 16;
    const std::string expected = header(2) + entry(base, 1000, hz(8000), hz(261, 0xA147)) +
                                 entry(base + 500, 1500, hz(22050, 0x8000), hz(440)) + data;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, successOut(static_cast<uint32_t>(expected.size()), 2, 1));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dir.read("out.smp"), expected);
}

TEST_F(SamplePack, StoresFilesInFirstNamedOrderAndAFileReachedTwoWaysTwice)
{
    const std::string a = pcm(10, 1), b = pcm(7, 2);
    dir.write("a.raw", a);
    dir.write("b.raw", b);
    RunResult r = compile(
        "one a.raw 100 100\n"
        "two b.raw 100 100 2\n"
        "three ./a.raw 100 100 1 3\n"
        "four b.raw 100 100\n");
    const uint32_t base = 8 + 4 * 16;
    const std::string expected = header(4) + entry(base, 10, hz(100), hz(100)) +
                                 entry(base + 10 + 2, 5, hz(100), hz(100)) +
                                 entry(base + 17 + 1, 2, hz(100), hz(100)) +
                                 entry(base + 10, 7, hz(100), hz(100)) + a + b + a;
    EXPECT_EQ(r.out, successOut(static_cast<uint32_t>(expected.size()), 4, 3));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dir.read("out.smp"), expected);
}

TEST_F(SamplePack, ConvertsFrequenciesTo16Dot16)
{
    dir.write("s.raw", pcm(4));
    RunResult r = compile(
        "max s.raw 65535.99 1.0\n"
        "hz s.raw 22050Hz 1e3\n"
        "tiny s.raw +1.00001 261.63\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string pack = dir.read("out.smp");
    EXPECT_EQ(u32At(pack, 8 + 8), hz(65535, 64880));
    EXPECT_EQ(u32At(pack, 8 + 12), hz(1));
    EXPECT_EQ(u32At(pack, 24 + 8), hz(22050));
    EXPECT_EQ(u32At(pack, 24 + 12), hz(1000));
    EXPECT_EQ(u32At(pack, 40 + 8), hz(1, 0));  // 0.00001 * 65536 truncates to 0
    EXPECT_EQ(pack.substr(40 + 12, 4), std::string("\x47\xA1\x05\x01", 4));
}

TEST_F(SamplePack, EmptyDescriptorWarnsAndWritesAnEmptyPack)
{
    RunResult r = compile("; nothing yet\n\nlonely_label\n");
    EXPECT_EQ(r.err, "WARNING- No samples defined, are you sure about this?\n");
    EXPECT_EQ(r.out, successOut(8, 0, 0));
    EXPECT_EQ(r.status, 0);  // a warning is not a failure
    EXPECT_EQ(dir.read("out.smp"), header(0));
}

TEST_F(SamplePack, UsesTheWholeFileWithoutOffsetsWhateverItsSize)
{
    const std::string data = pcm(70000);
    dir.write("long.raw", data);
    RunResult r = compile("long long.raw 44100 440 ; no offsets\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("out.smp"), header(1) + entry(24, 70000, hz(44100), hz(440)) + data);

    r = compile("tail long.raw 44100 440 32767\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(u32At(dir.read("out.smp"), 12), 70000u - 32767u);
}

TEST_F(SamplePack, ManyDefinitionsMakeAValidPack)
{
    dir.write("s.raw", pcm(2));
    std::string descriptor;
    for (int i = 0; i < 257; ++i) {
        descriptor += 's';
        descriptor += std::to_string(i);
        descriptor += " s.raw 100 100\n";
    }
    RunResult r = compile(descriptor);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, successOut(8 + 257 * 16 + 2, 257, 1));
    const std::string pack = dir.read("out.smp");
    EXPECT_EQ(u32At(pack, 4), 257u);
    EXPECT_EQ(u32At(pack, 8 + 256 * 16), 8u + 257 * 16);
}

TEST_F(SamplePack, ReportsEachDefinitionProblemWithItsLineAndFormat)
{
    dir.write("s.raw", pcm(100));
    const std::string ok = "fine s.raw 100 100\n";
    struct Case {
        std::string line;
        std::string message;
    } cases[] = {
        {"fine s.raw 1 1\n", "ERROR- Sample already defined with label : fine in : samples.txt,2\n"},
        {"x s.raw\n", "ERROR- No sample frequency for definition of : x in : samples.txt,2\n"},
        {"x s.raw fast 100\n",
         "ERROR- Unable to parse sample frequency : fast of : x in : samples.txt,2\n"},
        {"x s.raw 0.5 100\n",
         "ERROR- Sample frequency out of range (1.0 - 65535.99) : 0.5 of : x in : samples.txt,2\n"},
        {"x s.raw 65536 100\n",
         "ERROR- Sample frequency out of range (1.0 - 65535.99) : 65536 of : x in : samples.txt,2\n"},
        {"x s.raw nan 100\n", "ERROR- Unable to parse sample frequency : nan of : x in : samples.txt,2\n"},
        {"x s.raw 0x10 100\n",
         "ERROR- Sample frequency out of range (1.0 - 65535.99) : 0x10 of : x in : samples.txt,2\n"},
        {"x s.raw 1e999 100\n",
         "ERROR- Sample frequency out of range (1.0 - 65535.99) : 1e999 of : x in : samples.txt,2\n"},
        {"x s.raw 100\n", "ERROR- No content frequency for definition of : x in : samples.txt,2\n"},
        {"x s.raw 100 .\n", "ERROR- Unable to parse content frequency : . of : x in : samples.txt,2\n"},
        {"x s.raw 100 -3\n",
         "ERROR- Content frequency out of range (1.0 - 65535.99) : -3 of : x in : samples.txt,2\n"},
        {"x s.raw 100 100 start\n", "ERROR- Unable to parse start offset : start of : x in : samples.txt,2\n"},
        {"x s.raw 100 100 -1\n",
         "ERROR- Start offset out of range (0 - 65535) : -1 of : x in : samples.txt,2\n"},
        {"x s.raw 100 100 32768\n",
         "ERROR- Start offset out of range (0 - 65535) : 32768 of : x in : samples.txt,2\n"},
        {"x s.raw 100 100 0 end\n", "ERROR- Unable to parse end offset : end of : x in : samples.txt,2\n"},
        {"x s.raw 100 100 0 99999999999999999999\n",
         "ERROR- End offset out of range (0 - 65535) : 99999999999999999999 of : x in : samples.txt,2\n"},
        {"x s.raw 100 100 200 100\n", "ERROR- Sample start and end offsets reversed in : samples.txt,2\n"},
        {"x s.raw 100 100 100 100\n", "ERROR- Sample start and end offsets equal in : samples.txt,2\n"},
        {"x s.raw 100 100 0 10 20\n", "ERROR- Garbage at end of line in : samples.txt,2\n"},
        {"x s.raw 100 100 0 10 junk ; comment\n", "ERROR- Garbage at end of line in : samples.txt,2\n"},
    };
    for (const Case& c : cases) expectParseError(ok + c.line + ok, c.message);
}

TEST_F(SamplePack, LabelsAreCaseSensitive)
{
    dir.write("s.raw", pcm(10));
    RunResult r = compile("kick s.raw 100 100\nKick s.raw 100 100\n");
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(SamplePack, OffsetsMustLieInsideTheFile)
{
    dir.write("s.raw", pcm(100));
    dir.write("empty.raw", "");
    expectBuildError("x s.raw 100 100 100\n",
                     "ERROR- Sample start and end offsets out of range for : s.raw\n");
    expectBuildError("x s.raw 100 100 0 101\n",
                     "ERROR- Sample start and end offsets out of range for : s.raw\n");
    expectBuildError("ok s.raw 100 100\nshared s.raw 100 100 50 101\n",
                     "ERROR- Sample start and end offsets out of range for : s.raw\n");
    expectBuildError("x empty.raw 100 100\n",
                     "ERROR- Sample start and end offsets out of range for : empty.raw\n");
    RunResult r = compile("x s.raw 100 100 99 100\n");
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(SamplePack, PcmFilesThatCannotBeReadAreNamed)
{
    dir.write("s.raw", pcm(10));
    expectBuildError("a s.raw 100 100\nb missing.raw 100 100\n", "ERROR- Can't open source file : missing.raw\n");
    std::filesystem::create_directory(dir / "folder.raw");
    expectBuildError("a folder.raw 100 100\n", "ERROR- Can't open source file : folder.raw\n");
#if defined(_WIN32)
    expectBuildError("a NUL 100 100\n", "ERROR- Can't open source file : NUL\n");
#else
    expectBuildError("a /dev/zero 100 100\n", "ERROR- Can't open source file : /dev/zero\n");
    ASSERT_EQ(mkfifo((dir / "pipe.raw").c_str(), 0644), 0);
    expectBuildError("a pipe.raw 100 100\n", "ERROR- Can't open source file : pipe.raw\n");
#endif
}

TEST_F(SamplePack, HugePcmFilesAreTakenWholeUpToThePacksLimit)
{
    // Sparse files: no disk space or time is spent on their zeros.
    const uint64_t hundredMegabytes = uint64_t{100} << 20;
    ASSERT_TRUE(dir.writeSparse("big.raw", hundredMegabytes));
    RunResult r = compile("big big.raw 48000 100\npart big.raw 48000 100 16 32\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, successOut(static_cast<uint32_t>(8 + 32 + hundredMegabytes), 2, 1));
    EXPECT_EQ(std::filesystem::file_size(dir / "out.smp"), 8 + 32 + hundredMegabytes);
    FILE* pack = fopen((dir / "out.smp").c_str(), "rb");
    ASSERT_NE(pack, nullptr);
    std::string head(40, '\0');
    ASSERT_EQ(fread(head.data(), 1, head.size(), pack), head.size());
    fclose(pack);
    EXPECT_EQ(head, header(2) + entry(40, 100u << 20, hz(48000), hz(100)) + entry(56, 16, hz(48000), hz(100)));
    std::filesystem::remove(dir / "out.smp");

    // Package offsets are 32-bit: a pack beyond 4 GB is refused before anything is read.
    ASSERT_TRUE(dir.writeSparse("huge.raw", uint64_t{5} << 30));
    expectBuildError("huge huge.raw 48000 100\n", "ERROR- Sample pack would exceed 4 GB with : huge.raw\n");
}

TEST_F(SamplePack, LongLinesAreSplitAndEachPartCounts)
{
    dir.write("s.raw", pcm(10));
    // 2047 characters of one token, then the rest of the line as its own part (line 2).
    std::string descriptor = std::string(2047, 'x') + " y s.raw zz\nok s.raw 100 100\n";
    expectParseError(descriptor, "ERROR- Unable to parse sample frequency : zz of : y in : samples.txt,2\n");
}

TEST_F(SamplePack, HostileDescriptorsEndCleanly)
{
    dir.write("s.raw", pcm(10));
    // A 10 MB line of one repeated token: 5000-odd parts of one token each, all skipped.
    RunResult r = compile(std::string(10u << 20, 'a'));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "WARNING- No samples defined, are you sure about this?\n");

    // NUL bytes are ignored, so the definition reads as if they were absent.
    static const char withNuls[] = "k\0ick s.\0raw 100 100\0\n";
    r = compile(std::string(withNuls, sizeof withNuls - 1));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("out.smp").substr(0, 8), header(1));

    // Binary garbage: some error (or none), never a crash.
    std::string garbage;
    uint32_t state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245 + 12345;
        garbage += static_cast<char>(state >> 24);
    }
    r = compile(garbage);
    EXPECT_TRUE(r.status == 0 || r.status == 1) << r.status;
    EXPECT_TRUE(r.err.rfind("ERROR- ", 0) == 0 || r.err.rfind("WARNING- ", 0) == 0) << r.err.substr(0, 300);
}

TEST_F(SamplePack, CrLfDescriptorGivesTheSamePackAndMessages)
{
    dir.write("s.raw", pcm(50));
    RunResult lf = compile("a: s.raw (100, 200) [1, 20]\nb s.raw 300 400\n");
    const std::string pack = dir.read("out.smp");
    RunResult crlf = compile("a: s.raw (100, 200) [1, 20]\r\nb s.raw 300 400\r\n");
    EXPECT_EQ(crlf.out, lf.out);
    EXPECT_EQ(crlf.status, 0);
    EXPECT_EQ(dir.read("out.smp"), pack);

    // Messages name the same lines and tokens.
    RunResult bad = compile("a s.raw 100 200\r\nb s.raw 300 x4\r\n");
    EXPECT_EQ(bad.err, "ERROR- Unable to parse content frequency : x4 of : b in : samples.txt,2\n");
}

// The sample table in process: lookups for the macro stage and the state a failure leaves.
TEST(SampleTable, FindsLabelsInDefinitionOrder)
{
    MessageCapture messages;
    FILE* file = memorySource("kick a.raw 100 100\nsnare b.raw 100 100\n\nhat a.raw 100 100 5\n");
    ASSERT_EQ(parseSampleDescriptor(file, "mem.txt"), 0);
    fclose(file);
    EXPECT_EQ(messages.out(), "Parsing sample descriptor file : mem.txt\n");
    EXPECT_EQ(sampleCount(), 3u);

    uint32_t index = 99;
    SampleDefinition* record = nullptr;
    ASSERT_EQ(findSample("hat", &index, &record), 0);
    EXPECT_EQ(index, 2u);
    EXPECT_STREQ(record->fileName, "a.raw");
    EXPECT_EQ(record->start, 5u);
    EXPECT_EQ(record->end, kEndNotGiven);
    EXPECT_EQ(findSample("snare", &index, nullptr), 0);
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(findSample("kick", nullptr, nullptr), 0);
    EXPECT_EQ(findSample("Kick", &index, &record), -1);
    EXPECT_EQ(findSample(nullptr, &index, &record), -1);

    freeSamples();
    EXPECT_EQ(findSample("kick", &index, &record), -1);
    EXPECT_EQ(sampleCount(), 0u);
    freeSamples();  // a second release does nothing
}

TEST(SampleTable, AFailedLineStaysCounted)
{
    MessageCapture messages;
    FILE* file = memorySource("a x.raw 100 100\nb y.raw 100\nc z.raw 100 100\n");
    EXPECT_EQ(parseSampleDescriptor(file, "mem.txt"), -1);
    fclose(file);
    EXPECT_EQ(messages.err(), "ERROR- No content frequency for definition of : b in : mem.txt,2\n");
    EXPECT_EQ(sampleCount(), 2u);
    EXPECT_EQ(findSample("b", nullptr, nullptr), 0);
    EXPECT_EQ(findSample("c", nullptr, nullptr), -1);
    freeSamples();
}

TEST(SampleTable, LargeDescriptorsStayFast)
{
    // Label lookups must not grow with the table: 200000 definitions parse in moments.
    std::string text;
    for (int i = 0; i < 200000; ++i) text += "label" + std::to_string(i) + " f" + std::to_string(i % 7) + ".raw 100 100\n";
    MessageCapture messages;
    FILE* file = memorySource(text);
    EXPECT_EQ(parseSampleDescriptor(file, "mem.txt"), 0);
    fclose(file);
    EXPECT_EQ(sampleCount(), 200000u);
    uint32_t index = 0;
    EXPECT_EQ(findSample("label199999", &index, nullptr), 0);
    EXPECT_EQ(index, 199999u);
    freeSamples();
}

}  // namespace

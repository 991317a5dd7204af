// The priority header that "bscomp -sfx" writes, as the tools read it.
#include <gtest/gtest.h>

#include "cli_support.h"
#include "tools/common/priority_header.h"

using namespace bs;

TEST(PriorityHeader, ReadsEveryDefinitionAndPassesOverOtherLines)
{
    PriorityTable table;
    std::string error;
    ASSERT_TRUE(parsePriorityHeader("#ifndef FX_H\n"
                                    "#define FX_H\n"
                                    "#define BPRI_coin\t\t40\r\n"
                                    "// a comment\n"
                                    "\n"
                                    "   \t\n"
                                    "#define OTHER 3\n"
                                    "#define BPRI_boom\t\t-5\n"
                                    "  # define  BPRI_laser 100 /* loud */\n"
                                    "#define BPRI_coin\t\t41 // the later one counts\n"
                                    "#endif\n"
                                    "#define BPRI_last +7",
                                    &table, &error))
        << error;
    const PriorityTable expected = {{"coin", 41}, {"boom", -5}, {"laser", 100}, {"last", 7}};
    EXPECT_EQ(table, expected);
    table.clear();
    EXPECT_TRUE(parsePriorityHeader("", &table, &error));
    EXPECT_TRUE(table.empty());
}

TEST(PriorityHeader, RefusesADefinitionWithoutAUsablePriority)
{
    for (const char* text : {"#define BPRI_x\n", "#define BPRI_x\t\t128\n", "#define BPRI_x\t\t-129\n",
                             "#define BPRI_x\t\tloud\n", "\n#define BPRI_x\t\t12abc\n", "#define BPRI_x 12 13\n",
                             "#define BPRI_x 99999999999999999999\n", "#define BPRI_x // none\n"}) {
        PriorityTable table;
        std::string error;
        EXPECT_FALSE(parsePriorityHeader(text, &table, &error)) << text;
        EXPECT_EQ(error.rfind("No usable priority for BPRI_x on line ", 0), 0u) << error;
    }
    PriorityTable table;
    std::string error;
    EXPECT_FALSE(parsePriorityHeader("#define BPRI_a 1\n\n#define BPRI_b\n", &table, &error));
    EXPECT_EQ(error, "No usable priority for BPRI_b on line 3 (it takes a whole number from -128 to 127)");
    EXPECT_FALSE(parsePriorityHeader("#define BPRI_ 5\n", &table, &error));
    EXPECT_EQ(error, "A BPRI_ definition without a label on line 1");
}

namespace {
class PriorityHeaderFile : public cli_support::ScratchTest {};
}  // namespace

TEST_F(PriorityHeaderFile, NamesTheFileItCannotRead)
{
    PriorityTable table;
    std::string error;
    EXPECT_FALSE(loadPriorityHeader("/nonexistent/fx.h", &table, &error));
    EXPECT_EQ(error, "Can't open file : /nonexistent/fx.h (No such file or directory)");
    EXPECT_FALSE(loadPriorityHeader(dir.string(), &table, &error));
#if defined(_WIN32)  // where a folder does not even open
    EXPECT_EQ(error, "Can't open file : " + dir.string() + " (Is a directory)");
#else
    EXPECT_EQ(error, "Can't read file : " + dir.string() + " (Is a directory)");
#endif
    const auto bad = dir / "bad.h";
    cli_support::writeText(bad, "#define BPRI_a\t\t1\n#define BPRI_b\t\toops\n");
    EXPECT_FALSE(loadPriorityHeader(bad.string(), &table, &error));
    EXPECT_EQ(error, "No usable priority for BPRI_b on line 2 (it takes a whole number from -128 to 127) : " +
                         bad.string());
    const auto big = dir / "big.h";
    cli_support::writeText(big, std::string((1u << 20) + 1, '\n'));
    EXPECT_FALSE(loadPriorityHeader(big.string(), &table, &error));
    EXPECT_EQ(error, "Too large to be a priority header (more than 1 MiB) : " + big.string());
}

TEST(PriorityHeader, EffectLabelIsTheFileNameWithoutFolderAndExtension)
{
    EXPECT_EQ(effectLabel("fx/boom.sfx"), "boom");
    EXPECT_EQ(effectLabel("C:\\game\\fx\\click.sfx"), "click");
    EXPECT_EQ(effectLabel("plain"), "plain");
    EXPECT_EQ(effectLabel("dir.d/noext"), "noext");
    EXPECT_EQ(effectLabel("a.b.sfx"), "a.b");
    EXPECT_EQ(effectLabel(".hidden"), ".hidden");
}

TEST(PriorityHeader, AnEffectTakesThePriorityOfItsLabel)
{
    const PriorityTable table = {{"boom", -5}, {"silent", 0}};
    int8_t priority = 99;
    std::string problem;
    EXPECT_TRUE(effectPriority(table, "fx/boom.sfx", &priority, &problem));
    EXPECT_EQ(priority, -5);
    EXPECT_FALSE(effectPriority(table, "fx/click.sfx", &priority, &problem));
    EXPECT_EQ(problem, "No BPRI_click for fx/click.sfx");
    EXPECT_FALSE(effectPriority(table, "silent.sfx", &priority, &problem));
    EXPECT_EQ(problem, "BPRI_silent is 0, which plays nothing");
    EXPECT_EQ(priority, -5);
}

// The priority header that "bscomp -sfx" writes, as bsrender reads it.
#include <gtest/gtest.h>

#include "tools/bsrender/priority_header.h"

using namespace bsrender;

TEST(PriorityHeader, ReadsEveryDefinitionAndSkipsOtherLines)
{
    PriorityTable table;
    std::string error;
    ASSERT_TRUE(parsePriorityHeader("#define BPRI_coin\t\t40\r\n"
                                    "// a comment\n"
                                    "#define OTHER 3\n"
                                    "#define BPRI_boom\t\t-5\n"
                                    "#define BPRI_coin\t\t41\n",
                                    &table, &error))
        << error;
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table["coin"], 41);  // the later line wins, as it would in a C compiler
    EXPECT_EQ(table["boom"], -5);
}

TEST(PriorityHeader, RefusesADefinitionWithoutAUsablePriority)
{
    for (const char* text : {"#define BPRI_x\n", "#define BPRI_x\t\t128\n", "#define BPRI_x\t\tloud\n",
                             "\n#define BPRI_x\t\t12abc\n"}) {
        PriorityTable table;
        std::string error;
        EXPECT_FALSE(parsePriorityHeader(text, &table, &error)) << text;
        EXPECT_NE(error.find("No usable priority for BPRI_x on line"), std::string::npos) << error;
    }
}

TEST(PriorityHeader, NamesTheFileItCannotOpen)
{
    PriorityTable table;
    std::string error;
    EXPECT_FALSE(loadPriorityHeader("/nonexistent/fx.h", &table, &error));
    EXPECT_EQ(error.rfind("Can't open file : /nonexistent/fx.h (", 0), 0u) << error;
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

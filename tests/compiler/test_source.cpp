// Line reading, comment cutting and tokenizing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bscomp_test_support.h"
#include "compiler/source.h"

using bscomp_test::memorySource;
using bscomp_test::MessageCapture;

namespace {

std::vector<std::string> readParts(const std::string& text)
{
    std::vector<std::string> parts;
    FILE* file = memorySource(text);
    char buffer[kLineBufferSize];
    while (readSourceLine(file, buffer)) parts.emplace_back(buffer);
    fclose(file);
    return parts;
}

// Cuts the comment and tokenizes one line, as the stages do.
std::vector<std::string> tokens(std::string line, const char* delimiters)
{
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    collapseDelimiters(buffer.data(), ";", '\0');
    std::vector<std::string> found;
    char* state = nullptr;
    for (char* t = nextToken(buffer.data(), delimiters, &state); t; t = nextToken(nullptr, delimiters, &state))
        found.emplace_back(t);
    return found;
}

std::string collapsed(std::string text, const char* set, char replacement)
{
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    EXPECT_EQ(collapseDelimiters(buffer.data(), set, replacement), 0);
    return std::string(buffer.data());
}

using Parts = std::vector<std::string>;

TEST(ReadSourceLine, ReturnsLinesWithTheirLineFeedAndTheLastWithout)
{
    EXPECT_EQ(readParts("one\ntwo\n\nthree"), (Parts{"one\n", "two\n", "\n", "three"}));
    EXPECT_EQ(readParts(""), Parts{});
}

TEST(ReadSourceLine, SplitsLongLinesInto2047CharacterParts)
{
    std::string line(3000, 'x');
    Parts parts = readParts(line + "\nnext\n");
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0], std::string(2047, 'x'));
    EXPECT_EQ(parts[1], std::string(953, 'x') + "\n");
    EXPECT_EQ(parts[2], "next\n");

    // 2046 characters and the line feed fill one part exactly.
    EXPECT_EQ(readParts(std::string(2046, 'y') + "\nz"), (Parts{std::string(2046, 'y') + "\n", "z"}));
}

TEST(ReadSourceLine, CrLfReadsExactlyLikeLf)
{
    EXPECT_EQ(readParts("a b\r\nc\r\n\r\n"), readParts("a b\nc\n\n"));
    // Also when the CR falls on the last place of a full part.
    std::string body(2046, 'q');
    EXPECT_EQ(readParts(body + "\r\nnext\r\n"), readParts(body + "\nnext\n"));
    // A CR that is not followed by a line feed is kept.
    EXPECT_EQ(readParts("a\rb\n"), (Parts{"a\rb\n"}));
    EXPECT_EQ(readParts("end\r"), (Parts{"end\r"}));
}

TEST(ReadSourceLine, IgnoresNulBytes)
{
    EXPECT_EQ(readParts(std::string("ab\0cd\n\0\0\n", 9)), (Parts{"abcd\n", "\n"}));
    EXPECT_EQ(readParts(std::string(5000, '\0')), (Parts{""}));
    // Also between the CR and the LF of a line end, as in a UTF-16 text read byte by byte.
    EXPECT_EQ(readParts(std::string("end\r\0\n\0x\r\0\0", 12)), (Parts{"end\n", "x\r"}));
}

TEST(ReadSourceLine, LargeSourcesReadTheSameAcrossEveryBufferBoundary)
{
    // Lines of every length up to the limit, with CR LF ends, lone CRs and NUL bytes falling on
    // all positions of the stream's buffer: the parts are the text with NULs removed and CR LF
    // turned into LF, cut after each LF.
    std::string text;
    std::string expected;
    Parts lines;
    uint32_t state = 2024;
    auto next = [&state](uint32_t range) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % range;
    };
    for (int i = 0; i < 400; ++i) {
        std::string line;
        const uint32_t length = next(2046);
        while (line.size() < length) {
            const uint32_t pick = next(20);
            char c = pick == 0 ? '\r' : static_cast<char>('a' + pick);
            if (pick == 1) text += '\0';
            text += c;
            line += c;
        }
        if (!line.empty() && line.back() == '\r') line.back() = 'z', text.back() = 'z';
        text += next(2) ? "\r\n" : "\n";
        lines.push_back(line + "\n");
    }
    EXPECT_EQ(readParts(text), lines);
}

TEST(CollapseDelimiters, CutsTheCommentAtTheFirstSemicolon)
{
    EXPECT_EQ(collapsed("abc;def", ";", '\0'), "abc");
    EXPECT_EQ(collapsed("abc ;; def", ";", '\0'), "abc ");
    EXPECT_EQ(collapsed("; only a comment\n", ";", '\0'), "");
}

TEST(CollapseDelimiters, ReplacesEachRunByOneCharacterAndDropsATrailingOne)
{
    EXPECT_EQ(collapsed("a  \t b,,c", " \t,", '_'), "a_b_c");
    EXPECT_EQ(collapsed("  lead and trail  ", " ", '_'), "_lead_and_trail");
    EXPECT_EQ(collapsed("   ", " ", '_'), "");
    EXPECT_EQ(collapsed("", " ", '_'), "");
}

TEST(CollapseDelimiters, MissingArgumentsAreReported)
{
    MessageCapture messages;
    char text[] = "x";
    EXPECT_EQ(collapseDelimiters(nullptr, ";", '\0'), -1);
    EXPECT_EQ(collapseDelimiters(text, nullptr, '\0'), -1);
    EXPECT_EQ(messages.err(), "ERROR- Unexpected NULL.\nERROR- Unexpected NULL.\n");
    EXPECT_TRUE(errorReported());
}

TEST(Tokenizer, DescriptorDelimitersAreAllEquivalent)
{
    EXPECT_EQ(tokens("kick: drums/kick.raw (22050, 261.63) [0, 1000]\n", kDescriptorDelimiters),
              (Parts{"kick", "drums/kick.raw", "22050", "261.63", "0", "1000"}));
    EXPECT_EQ(tokens("{a}{b}\t[c]:(d)", kDescriptorDelimiters), (Parts{"a", "b", "c", "d"}));
}

TEST(Tokenizer, ScriptDelimitersKeepPunctuationInsideTokens)
{
    EXPECT_EQ(tokens("  note c-4, 12 ;comment\n", kScriptDelimiters), (Parts{"note", "c-4", "12"}));
    EXPECT_EQ(tokens("label: {x}", kScriptDelimiters), (Parts{"label:", "{x}"}));
}

TEST(Tokenizer, CommentsAndDelimiterOnlyLinesYieldNothing)
{
    EXPECT_EQ(tokens("; all comment", kDescriptorDelimiters), Parts{});
    EXPECT_EQ(tokens(" :{}()[], \t\n", kDescriptorDelimiters), Parts{});
    EXPECT_EQ(tokens("abc;def", kScriptDelimiters), Parts{"abc"});
    EXPECT_EQ(tokens("abc ;; def", kScriptDelimiters), Parts{"abc"});
}

TEST(Tokenizer, StaysAtTheEndOnceTheLineIsUsedUp)
{
    char line[] = "one";
    char* state = nullptr;
    EXPECT_STREQ(nextToken(line, " ", &state), "one");
    EXPECT_EQ(nextToken(nullptr, " ", &state), nullptr);
    EXPECT_EQ(nextToken(nullptr, " ", &state), nullptr);
    EXPECT_EQ(nextToken(line, " ", nullptr), nullptr);
}

}  // namespace

// The option loop the tools share: what it takes for an option, a value and a plain argument.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/common/option_reader.h"

namespace {

// Walks `args` (without the program name) and describes each step: "opt:NAME", "opt:NAME=VALUE"
// for the options listed in `valued`, "arg:TEXT" otherwise, "error:..." where it stops.
std::string walk(std::vector<const char*> args, const std::vector<std::string>& valued = {"-o", "--out"})
{
    args.insert(args.begin(), "tool");
    bs::OptionReader reader(int(args.size()), args.data());
    std::string steps;
    std::string error;
    while (reader.next()) {
        if (!reader.isOption()) {
            steps += "arg:" + reader.name() + " ";
            continue;
        }
        bool takesValue = false;
        for (const std::string& name : valued) takesValue = takesValue || name == reader.name();
        std::string value;
        if (takesValue ? !reader.value(&value, &error) : !reader.noValue(&error)) return steps + "error:" + error;
        steps += "opt:" + reader.name() + (takesValue ? "=" + value : "") + " ";
    }
    return steps;
}

TEST(OptionReader, TellsOptionsValuesAndArguments)
{
    const struct {
        std::vector<const char*> args;
        std::string steps;
    } cases[] = {
        {{}, ""},
        {{"a", "-", "-q"}, "arg:a arg:- opt:-q "},
        {{"-o", "x", "b"}, "opt:-o=x arg:b "},
        {{"--out=x=y", "--out=", "-o", "-q"}, "opt:--out=x=y opt:--out= opt:-o=-q "},
        {{"--", "-q", "--out=x"}, "arg:-q arg:--out=x "},
        {{"a", "--", "--"}, "arg:a arg:-- "},
        {{"-o=x"}, "opt:-o=x "},  // only a long option carries "=value": this is a name of its own
        {{"-o"}, "error:Option -o needs a value"},
        {{"--quiet=yes"}, "error:Option --quiet takes no value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        EXPECT_EQ(walk(c.args), c.steps);
    }
}

}  // namespace

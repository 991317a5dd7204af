// Support for the end-to-end tests of macro and music scripts: a folder with a
// sample descriptor, and runs of bscomp in "-ins", "-sfx" and "-mus" mode.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "bscomp_test_support.h"

namespace script_test {

using bscomp_test::RunResult;
using bscomp_test::u32At;

// Bytes from a list of values, for comparing package contents.
inline std::string bytes(std::initializer_list<int> values)
{
    std::string result;
    for (int value : values)
        result.push_back(static_cast<char>(value));
    return result;
}

// Readable form of binary data in assertion messages.
inline std::string hex(const std::string& data)
{
    std::string text;
    char byte[4];
    for (unsigned char c : data) {
        std::snprintf(byte, sizeof byte, "%02X ", c);
        text += byte;
    }
    return text;
}

// A temporary folder holding samples.txt with the samples piano (0), bass (1)
// and drum (2).
class ScriptFolder : public bscomp_test::TempDir {
public:
    ScriptFolder()
    {
        write("piano.raw", std::string(64, '\x10'));
        write("samples.txt", "piano piano.raw 22050 261.63\n"
                             "bass piano.raw 22050 65.41 0 32\n"
                             "drum piano.raw 11025 100\n");
    }

    RunResult run(const std::vector<std::string>& arguments) const
    {
        return bscomp_test::runBscomp(path(), arguments);
    }

    // "-ins out.ins samples.txt instruments.txt" with `script` as instruments.txt.
    RunResult instruments(const std::string& script) const
    {
        write("instruments.txt", script);
        return run({"-ins", "out.ins", "samples.txt", "instruments.txt"});
    }

    // "-sfx samples.txt <name>" with `script` as the file `name`.
    RunResult effects(const std::string& script, const std::string& name = "effects.txt") const
    {
        write(name, script);
        return run({"-sfx", "samples.txt", name});
    }

    // "-mus out.mus instruments.txt channel0.txt ..." with the given scripts.
    RunResult music(const std::string& instrumentScript,
                    const std::vector<std::string>& channels) const
    {
        write("instruments.txt", instrumentScript);
        std::vector<std::string> arguments{"-mus", "out.mus", "instruments.txt"};
        for (size_t i = 0; i < channels.size(); ++i) {
            std::string name = "channel" + std::to_string(i) + ".txt";
            write(name, channels[i]);
            arguments.push_back(name);
        }
        return run(arguments);
    }
};

}  // namespace script_test

// Running the real tools from tests: a scratch folder per test, and a command runner that
// keeps standard output, standard error and the exit status apart.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "test_programs.h"

namespace cli_support {

namespace fs = std::filesystem;

using ToolRun = test_programs::ProgramRun;
using test_programs::haveProgram;

// A text file as written on this system: CR LF line ends, those of Windows, read as LF.
inline std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return test_programs::textOf({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
}

inline std::vector<uint8_t> readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string quote(const std::string& arg)
{
    std::string q = "'";
    for (char c : arg)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// A fresh folder named after the running test, removed afterwards.
class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() / (std::string("bs_") + info->test_suite_name() + "_" + info->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        if (!HasFailure())
            fs::remove_all(dir);
    }

    // Runs `program` (a program of the build, or one on the PATH) with `args` in the scratch
    // folder, reading nothing. `prefix` goes before the program on a POSIX shell's command line:
    // variables of the environment, or a program that runs it such as "timeout".
    ToolRun run(const std::string& program, const std::vector<std::string>& args,
                const std::string& prefix = "") const
    {
        const std::string path = program.find_first_of("/\\") == std::string::npos
                                     ? program
                                     : test_programs::builtProgram(program);
        if (prefix.empty())
            return test_programs::runProgram(path, args, dir.string());
#if defined(_WIN32)
        ADD_FAILURE() << "no shell to run \"" << prefix << "\" in";
        return {};
#else
        std::string command = prefix + " " + quote(path);
        for (const std::string& a : args)
            command.append(" ").append(quote(a));
        return test_programs::runProgram("/bin/sh", {"-c", command}, dir.string());
#endif
    }

    fs::path dir;
};

}  // namespace cli_support

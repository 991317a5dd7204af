// Running the real tools from tests: a scratch folder per test, and a command runner that
// keeps standard output, standard error and the exit status apart.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace cli_support {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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

    // Runs `program` with `args` in the scratch folder, reading nothing (standard input is
    // /dev/null). `prefix` goes before the program on the shell's command line: variables of the
    // environment, or a program that runs it such as "timeout".
    ToolRun run(const std::string& program, const std::vector<std::string>& args,
                const std::string& prefix = "") const
    {
        std::string command = "cd ";
        command.append(quote(dir.string())).append(" && ").append(prefix).append(" ").append(quote(program));
        for (const std::string& a : args)
            command.append(" ").append(quote(a));
        command.append(" </dev/null >").append(quote((dir / ".stdout").string()));
        command.append(" 2>").append(quote((dir / ".stderr").string()));
        ToolRun r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = readText(dir / ".stdout");
        r.err = readText(dir / ".stderr");
        fs::remove(dir / ".stdout");
        fs::remove(dir / ".stderr");
        return r;
    }

    fs::path dir;
};

// Whether a program is on the PATH (for optional checks with sox).
inline bool haveProgram(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace cli_support

// bsinspect's round trip: packages disassembled into scripts and PCM files, then compiled by
// bscomp with the commands bsinspect gives, come out byte for byte the same.
#pragma once

#include <sstream>

#include "cli_support.h"

namespace roundtrip {

namespace fs = std::filesystem;
using cli_support::readBytes;
using cli_support::readText;

// The bscomp runs bsinspect lists after extracting, one line each after its heading.
inline std::vector<std::vector<std::string>> listedCommands(const std::string& out)
{
    std::vector<std::vector<std::string>> commands;
    std::istringstream lines(out.substr(std::min(out.size(), out.find("bscomp compiles the packages with:"))));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("  bscomp ", 0) != 0)
            continue;
        std::istringstream words(line.substr(9));
        commands.emplace_back();
        for (std::string word; words >> word;)
            commands.back().push_back(word);
    }
    return commands;
}

// Disassembles `packages` (names in `dir`) into dir/rebuilt, compiles them there and expects
// every package, and the priority header when one is given, to come out the same; bsinspect
// must have found everything writable. `given` are sources bsinspect was not given the
// packages of (name, text), written beside its own.
inline void expectRoundTrip(const fs::path& dir, const std::vector<std::string>& packages,
                            const std::string& header = "",
                            const std::vector<std::pair<std::string, std::string>>& given = {})
{
    const fs::path rebuilt = dir / "rebuilt";
    fs::remove_all(rebuilt);
    std::vector<std::string> args = {"-x", "rebuilt"};
    if (!header.empty())
        args.insert(args.end(), {"-p", header});
    args.insert(args.end(), packages.begin(), packages.end());
    const auto inspect = test_programs::runProgram(test_programs::builtProgram(BSINSPECT_PATH), args, dir.string());
    ASSERT_LE(inspect.status, 1) << inspect.err;
    EXPECT_EQ(inspect.err.find("Not rebuilt"), std::string::npos) << inspect.err;
    for (const auto& [name, text] : given)
        cli_support::writeText(rebuilt / name, text);
    const auto commands = listedCommands(inspect.out);
    ASSERT_FALSE(commands.empty()) << inspect.out;
    for (const auto& command : commands) {
        const auto run = test_programs::runProgram(test_programs::builtProgram(BSCOMP_PATH), command, rebuilt.string());
        ASSERT_EQ(run.status, 0) << run.out << run.err;
    }
    for (const std::string& package : packages) {
        EXPECT_EQ(readBytes(rebuilt / fs::path(package).filename()), readBytes(dir / package)) << package;
    }
    if (!header.empty()) {
        EXPECT_EQ(readText(rebuilt / fs::path(header).filename()), readText(dir / header));
    }
}

}  // namespace roundtrip

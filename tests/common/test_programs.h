// Running the real programs from tests, and scratch files, alike on POSIX and on Windows (the
// Windows build's tests run under Wine).
#ifndef BS_TESTS_TEST_PROGRAMS_H
#define BS_TESTS_TEST_PROGRAMS_H

#include <cstdio>
#include <string>
#include <vector>

namespace test_programs {

struct ProgramRun {
    int status = -1;  // exit status; 128 + the signal's number if one killed it; -1 if it never ran
    std::string out;
    std::string err;
    std::string outBytes;  // standard output exactly as written (binary output compares with this)
};

// Runs `program` (a path, or a name looked up on the PATH) with `arguments` in `folder`, with
// nothing on standard input. Standard output and standard error are kept apart, or with
// `oneStream` go to one file in the order they were written (`out` holds both), as in a build
// log. A Windows program's CR LF line ends read back as LF in `out` and `err`.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder, bool oneStream = false);

// Where a program of the build is, given the path the build gives: that path itself on POSIX;
// on Windows the same file name beside the running test program, since every .exe of the build
// lies in one folder (and the build's path is a Linux path that Wine may not reach).
std::string builtProgram(const std::string& buildPath);

// Whether a program is on the PATH (for optional checks with sox).
bool haveProgram(const std::string& name);

// A temporary file open for update in binary mode, removed when closed.
std::FILE* scratchStream();

// The text that `bytes` hold as this system writes text: on Windows, CR LF line ends read as LF.
std::string textOf(const std::string& bytes);

// Everything in `stream`, from its start; it is left positioned at its end, ready for writing.
std::string streamText(std::FILE* stream);

#if defined(_WIN32)
// A value of the version resource of a program or DLL ("FileVersion", "OriginalFilename", ...),
// in its US English string table; empty when there is none.
std::string versionValue(const std::string& file, const std::string& name);
// The path of a DLL the running program has loaded, such as "Brimsel.dll"; empty if none.
std::string loadedModule(const std::string& name);
#endif

}  // namespace test_programs

#endif

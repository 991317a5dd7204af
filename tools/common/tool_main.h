// The part of a command-line tool's main that every tool shares: UTF-8 arguments, the options
// read (a wrong command line exits with 2 and a hint), --help and --version, and no exception
// let out of main (out of memory and the like exit with `failureStatus` and a message).
#pragma once

#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "files/command_line.h"

namespace bs {

inline void printToolError(const std::string& text)
{
    std::fprintf(stderr, "ERROR- %s\n", text.c_str());
}

// `Options` has showHelp and showVersion; `parse(argc, argv, &options, &error)` reads them;
// `run(options)` does the work and returns the exit status.
template <typename Options, typename Parse, typename Run>
int runToolMain(int argc, char** argv, const char* name, const char* version, const char* usage,
                int failureStatus, Parse parse, Run run)
{
    try {
        startCommandLine(&argc, &argv);
        Options options;
        std::string error;
        if (!parse(argc, argv, &options, &error)) {
            printToolError(error);
            std::fprintf(stderr, "Try \"%s --help\".\n", name);
            return 2;
        }
        if (options.showHelp) {
            std::fputs(usage, stdout);
            return 0;
        }
        if (options.showVersion) {
            std::printf("%s %s\n", name, version);
            return 0;
        }
        return run(options);
    } catch (const std::bad_alloc&) {
        printToolError("Out of memory");
    } catch (const std::exception& failure) {
        printToolError(failure.what());
    }
    return failureStatus;
}

}  // namespace bs

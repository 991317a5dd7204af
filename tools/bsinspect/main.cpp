// bsinspect: shows what is inside packages, checks them, and writes them back as sources.
#include <cstdio>
#include <string>
#include <vector>

#include "files/open_file.h"
#include "tools/bsinspect/disassembly.h"
#include "tools/bsinspect/extract.h"
#include "tools/bsinspect/options.h"
#include "tools/bsinspect/package.h"
#include "tools/bsinspect/report.h"
#include "tools/common/tool_main.h"
#include "tools/common/priority_header.h"

using namespace bsinspect;

namespace {

constexpr int kExitProblem = 1;
constexpr int kExitUsage = 2;

void printError(const std::string& text)
{
    bs::printToolError(text);
}

// The priority header: its priorities, and its text for the order of its lines.
bool readPriorityHeader(const std::string& path, PriorityHeader* header, std::string* error)
{
    header->path = path;
    if (!bs::loadPriorityHeader(path, &header->priorities, error))
        return false;
    if (std::FILE* file = openFile(path.c_str(), "rb")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            header->text.append(buffer, got);
        std::fclose(file);
    }
    return true;
}

// The scripts one after the other, each begun by a comment naming it, then how to compile them.
void printScripts(const Sources& sources)
{
    for (const Script& script : sources.scripts)
        std::printf("; ==== %s ====\n%s\n", script.name.c_str(), script.text.c_str());
    std::printf("; ==== bscomp compiles the packages from these files with: ====\n");
    for (const std::vector<std::string>& command : sources.commands)
        std::printf(";   %s\n", commandLine(command).c_str());
    for (const std::string& note : sources.notes)
        std::printf("; %s\n", note.c_str());
}

void printExtracted(const std::string& folder, const Sources& sources)
{
    std::printf("Wrote %zu scripts and %zu PCM files to %s\n", sources.scripts.size(), sources.pcm.size(),
                folder.c_str());
    std::printf("There, bscomp compiles the packages with:\n");
    for (const std::vector<std::string>& command : sources.commands)
        std::printf("  %s\n", commandLine(command).c_str());
    for (const std::string& note : sources.notes)
        std::printf("Note: %s\n", note.c_str());
}

int run(const Options& options)
{
    std::vector<Package> packages;
    for (const std::string& path : options.files)
        packages.push_back(readPackage(path));
    checkPackages(packages);
    bool problems = false;
    for (const Package& package : packages)
        problems = problems || package.hasProblems();
    PriorityHeader header;
    std::string error;
    if (!options.prioritiesPath.empty() && !readPriorityHeader(options.prioritiesPath, &header, &error)) {
        printError(error);
        return kExitProblem;
    }
    if (!options.disassemble) {
        if (options.json)
            std::fputs(jsonReport(packages, nullptr).c_str(), stdout);
        else
            printSummary(stdout, packages);
        return problems ? kExitProblem : 0;
    }

    Sources sources;
    if (!disassemble(packages, options.prioritiesPath.empty() ? nullptr : &header, &sources, &error)) {
        printError(error);
        return kExitUsage;
    }
    // Standard output carries the scripts: the problems go beside them.
    printProblems(stderr, packages);
    for (const Script& script : sources.scripts)
        for (const std::string& note : script.notes)
            std::fprintf(stderr, "WARNING- Not rebuilt exactly from %s: %s\n", script.name.c_str(), note.c_str());
    if (!options.extractDir.empty()) {
        std::vector<std::string> inputs = options.files;
        inputs.push_back(options.prioritiesPath);
        if (!extractSources(options.extractDir, sources, inputs, &error)) {
            printError(error);
            return kExitProblem;
        }
    }
    if (options.json)
        std::fputs(jsonReport(packages, &sources).c_str(), stdout);
    else if (!options.extractDir.empty())
        printExtracted(options.extractDir, sources);
    else
        printScripts(sources);
    return problems ? kExitProblem : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    return bs::runToolMain<Options>(
        argc, argv, "bsinspect", BSINSPECT_VERSION, usageText(), kExitProblem,
        [](int count, char** values, Options* options, std::string* error) {
            return parseOptions(count, values, options, error);
        },
        run);
}

#include "compiler/depfile.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "compiler/filenames.h"
#include "compiler/messages.h"
#include "compiler/output.h"

namespace {

const char* gDependencyFile = nullptr;
std::vector<std::string> gDependencies;

std::string absoluteName(const char* name)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path path = fs::absolute(fs::path(reinterpret_cast<const char8_t*>(name)), error);
    if (error) return name;
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

// Make's quoting: a space or '#' behind a backslash, '$' doubled. A line end cannot be quoted.
bool appendQuoted(std::string* line, const std::string& name)
{
    for (char c : name) {
        if (c == '\n' || c == '\r') return false;
        if (c == ' ' || c == '\t' || c == '#') *line += '\\';
        if (c == '$') *line += '$';
        *line += c;
    }
    return true;
}

}  // namespace

int takeDependencyFileOption(int* argc, char** argv)
{
    if (*argc < 2 || std::strcmp(argv[1], "-MF") != 0) return 0;
    if (*argc < 3) {
        printMessage(stderr, kFormatMessage, kMissingDependencyFile);
        return -1;
    }
    gDependencyFile = argv[2];
    for (int i = 3; i <= *argc; ++i) argv[i - 2] = argv[i];  // argv[argc] is the null pointer
    *argc -= 2;
    return 0;
}

int noteDependency(const char* path)
{
    if (!gDependencyFile) return 0;
    try {
        std::string name = absoluteName(path);
        for (const std::string& known : gDependencies) {
            if (known == name) return 0;
        }
        gDependencies.push_back(std::move(name));
        return 0;
    } catch (const std::bad_alloc&) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
}

int writeDependencyFile(const ModeEntry& entry, char** argv)
{
    if (!gDependencyFile) return 0;
    std::string target;
    if (entry.hasOutput) {
        target = absoluteName(argv[entry.outputIndex]);
    } else {
        char* header = nullptr;
        if (deriveFileName(argv[entry.firstSource + 1], &header, ".h", kScriptPathSeparators) != 0) return -1;
        target = absoluteName(header);
        std::free(header);
    }
    std::string text;
    bool quoted = appendQuoted(&text, target);
    text += ":";
    for (const std::string& name : gDependencies) {
        text += " \\\n  ";
        if (!appendQuoted(&text, name)) {
            printMessage(stderr, kFormatSubject, kUnwritableDependency, name.c_str());
            return -1;
        }
    }
    text += "\n";
    if (!quoted) {
        printMessage(stderr, kFormatSubject, kUnwritableDependency, target.c_str());
        return -1;
    }
    OutputFile out{};
    if (openOutputFile(&out, gDependencyFile, false) != 0) {
        printMessage(stderr, kFormatSubject, kCantWriteDestination, gDependencyFile);
        return -1;
    }
    if (replacesInputFile(gDependencyFile) || fputs(text.c_str(), out.stream) < 0) {
        const bool isSource = replacesInputFile(gDependencyFile);
        discardOutputFile(&out);
        printMessage(stderr, kFormatSubject, isSource ? kOutputIsSource : kCantWriteDestination,
                     gDependencyFile);
        return -1;
    }
    return commitOutputFile(&out);
}

void releaseDependencies()
{
    gDependencyFile = nullptr;
    gDependencies.clear();
}

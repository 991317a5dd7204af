#include "tools/common/priority_header.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/open_file.h"

namespace bs {

namespace {

// Anything larger is not a header of priorities (30000 effects would fit in it).
constexpr size_t kMaxHeaderBytes = 1u << 20;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

size_t skipBlanks(const std::string& line, size_t at)
{
    while (at < line.size() && isBlank(line[at]))
        ++at;
    return at;
}

size_t skipWord(const std::string& line, size_t at)
{
    while (at < line.size() && !isBlank(line[at]))
        ++at;
    return at;
}

// A priority, -128 to 127, followed by nothing but blanks or a comment.
bool readPriority(const std::string& line, size_t at, int8_t* priority)
{
    const std::string word = line.substr(at, skipWord(line, at) - at);
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || errno != 0 || value < -128 || value > 127)
        return false;
    const size_t rest = skipBlanks(line, at + word.size());
    if (rest < line.size() && line.compare(rest, 2, "//") != 0 && line.compare(rest, 2, "/*") != 0)
        return false;
    *priority = static_cast<int8_t>(value);
    return true;
}

}  // namespace

bool parsePriorityHeader(const std::string& text, PriorityTable* table, std::string* error)
{
    static const std::string kPrefix = "BPRI_";
    size_t start = 0;
    unsigned number = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        // "#define", or "# define", then the name.
        size_t at = skipBlanks(line, 0);
        if (at >= line.size() || line[at] != '#')
            continue;
        at = skipBlanks(line, at + 1);
        if (line.compare(at, 6, "define") != 0 || at + 6 >= line.size() || !isBlank(line[at + 6]))
            continue;
        at = skipBlanks(line, at + 6);
        if (line.compare(at, kPrefix.size(), kPrefix) != 0)
            continue;
        const size_t labelStart = at + kPrefix.size();
        const size_t labelEnd = skipWord(line, labelStart);
        const std::string label = line.substr(labelStart, labelEnd - labelStart);
        if (label.empty()) {
            *error = "A BPRI_ definition without a label on line " + std::to_string(number);
            return false;
        }
        int8_t priority = 0;
        if (!readPriority(line, skipBlanks(line, labelEnd), &priority)) {
            *error = "No usable priority for BPRI_" + label + " on line " + std::to_string(number) +
                     " (it takes a whole number from -128 to 127)";
            return false;
        }
        (*table)[label] = priority;
    }
    return true;
}

bool loadPriorityHeader(const std::string& path, PriorityTable* table, std::string* error)
{
    std::FILE* file = openFile(path.c_str(), "rb");
    if (!file) {
        *error = "Can't open file : " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    std::string text;
    char chunk[4096];
    size_t got = 0;
    while (text.size() <= kMaxHeaderBytes && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    const int code = errno;
    std::fclose(file);
    if (failed) {
        *error = "Can't read file : " + path + " (" + std::strerror(code) + ")";
        return false;
    }
    if (text.size() > kMaxHeaderBytes) {
        *error = "Too large to be a priority header (more than 1 MiB) : " + path;
        return false;
    }
    std::string detail;
    if (!parsePriorityHeader(text, table, &detail)) {
        *error = detail + " : " + path;
        return false;
    }
    return true;
}

std::string effectLabel(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

bool effectPriority(const PriorityTable& table, const std::string& path, int8_t* priority,
                    std::string* problem)
{
    const std::string label = effectLabel(path);
    const auto found = table.find(label);
    if (found == table.end()) {
        *problem = "No BPRI_" + label + " for " + path;
        return false;
    }
    if (found->second == 0) {
        *problem = "BPRI_" + label + " is 0, which plays nothing";
        return false;
    }
    *priority = found->second;
    return true;
}

}  // namespace bs

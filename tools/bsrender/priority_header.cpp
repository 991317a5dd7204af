#include "tools/bsrender/priority_header.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace bsrender {

bool parsePriorityHeader(const std::string& text, PriorityTable* table, std::string* error)
{
    std::istringstream lines(text);
    std::string line;
    unsigned number = 0;
    while (std::getline(lines, line)) {
        ++number;
        std::istringstream words(line);
        std::string directive;
        std::string name;
        std::string value;
        if (!(words >> directive >> name) || directive != "#define" || name.rfind("BPRI_", 0) != 0)
            continue;
        words >> value;
        const std::string label = name.substr(5);
        char* end = nullptr;
        errno = 0;
        const long priority = value.empty() ? 0 : std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || errno != 0 || priority < -128 || priority > 127) {
            *error = "No usable priority for " + name + " on line " + std::to_string(number);
            return false;
        }
        (*table)[label] = static_cast<int8_t>(priority);
    }
    return true;
}

bool loadPriorityHeader(const std::string& path, PriorityTable* table, std::string* error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *error = "Can't open file : " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    std::string text;
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 && text.size() < (1u << 20))
        text.append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        *error = "Can't read file : " + path;
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

}  // namespace bsrender

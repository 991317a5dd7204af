#include "tools/bsinspect/extract.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "files/input_files.h"
#include "files/safe_output.h"

namespace bsinspect {

namespace {

namespace fs = std::filesystem;

// Names are UTF-8 on every system.
fs::path pathOf(const std::string& name)
{
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(name.data()), name.size()));
}

std::string nameOf(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

bool writeFile(const fs::path& path, const uint8_t* bytes, size_t size, const InputFiles& inputs, std::string* error)
{
    const std::string name = nameOf(path);
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec) {
        *error = "Can't make the folder : " + nameOf(path.parent_path()) + " (" + ec.message() + ")";
        return false;
    }
    if (inputs.contains(name.c_str())) {
        *error = "The output would overwrite one of the input files : " + name;
        return false;
    }
    SafeOutputFile out;
    int code = out.open(name.c_str(), true, "bsinspect");
    if (code == 0 && size > 0 && std::fwrite(bytes, 1, size, out.stream()) != size)
        code = errno ? errno : EIO;
    if (code == 0)
        code = out.commit();
    if (code != 0) {
        *error = "Can't write to destination file : " + name + " (" + std::strerror(code) + ")";
        return false;
    }
    return true;
}

}  // namespace

bool extractSources(const std::string& folder, const Sources& sources, const std::vector<std::string>& inputs,
                    std::string* error)
{
    InputFiles inputFiles;
    for (const std::string& input : inputs)
        inputFiles.add(input.c_str());
    const fs::path base = pathOf(folder);
    for (const Script& script : sources.scripts)
        if (!writeFile(base / pathOf(script.name), reinterpret_cast<const uint8_t*>(script.text.data()),
                       script.text.size(), inputFiles, error))
            return false;
    for (const PcmOutput& pcm : sources.pcm) {
        const uint8_t silence = 0;
        const uint8_t* bytes = pcm.file.silent ? &silence : pcm.package->data() + pcm.file.offset;
        if (!writeFile(base / pathOf(pcm.file.name), bytes, pcm.file.silent ? 1 : pcm.file.size, inputFiles, error))
            return false;
    }
    return true;
}

std::string commandLine(const std::vector<std::string>& arguments)
{
    std::string line = "bscomp";
    for (const std::string& argument : arguments) {
        bool plain = !argument.empty();
        for (const char c : argument)
            plain = plain && (std::isalnum(static_cast<unsigned char>(c)) || std::strchr("._/-+", c));
        if (plain) {
            line += " " + argument;
            continue;
        }
        line += " '";
        for (const char c : argument)
            line += c == '\'' ? std::string("'\\''") : std::string(1, c);
        line += "'";
    }
    return line;
}

}  // namespace bsinspect

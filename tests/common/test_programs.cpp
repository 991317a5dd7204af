#include "test_programs.h"

#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#  include <windows.h>

#  include "files/windows/wide_name.h"
#else
#  include <fcntl.h>
#  include <sys/wait.h>
#  include <unistd.h>

#  include <filesystem>
#endif

namespace test_programs {

std::string textOf(const std::string& bytes)
{
    std::string text = bytes;
#if defined(_WIN32)
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
#endif
    return text;
}

std::string streamText(std::FILE* stream)
{
    std::string text;
    std::fflush(stream);
    std::rewind(stream);
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0)
        text.append(chunk, got);
    std::fseek(stream, 0, SEEK_END);
    return text;
}

#if defined(_WIN32)

namespace {

std::wstring wide(const std::string& text)
{
    const WideName name(text.c_str());
    return name.get() ? std::wstring(name.get()) : std::wstring();
}

// Quoted so that the C runtime's parser gives the argument back unchanged.
std::wstring quoted(const std::string& argument)
{
    const std::wstring text = wide(argument);
    if (!text.empty() && text.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return text;
    std::wstring result = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        result.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        result += c;
    }
    result.append(2 * backslashes, L'\\');
    return result + L"\"";
}

// A file for a child's output, inherited by it and removed when the last handle closes.
HANDLE outputFile()
{
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"bst", 0, name))
        return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

std::string readBack(HANDLE file)
{
    std::string bytes;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    return bytes;
}

}  // namespace

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder, bool oneStream)
{
    ProgramRun result;
    std::wstring commandLine = quoted(program);
    for (const std::string& argument : arguments)
        commandLine += L" " + quoted(argument);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING,
                               0, nullptr);
    HANDLE out = outputFile();
    HANDLE err = oneStream ? out : outputFile();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const std::wstring directory = wide(folder);
    if (input != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       directory.empty() ? nullptr : directory.c_str(), &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code))
            result.status = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        result.outBytes = readBack(out);
        result.out = textOf(result.outBytes);
        result.err = oneStream ? std::string() : textOf(readBack(err));
    } else {
        result.err = "cannot start " + program + " (error " + std::to_string(GetLastError()) + ")";
    }
    for (HANDLE handle : {input, out, oneStream ? INVALID_HANDLE_VALUE : err}) {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    return result;
}

std::string builtProgram(const std::string& buildPath)
{
    wchar_t self[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)
        return buildPath;
    std::wstring folder(self, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    char* utf8 = utf8FromWide(folder.c_str());
    std::string path = utf8 ? utf8 : "";
    std::free(utf8);
    return path + buildPath.substr(buildPath.find_last_of("\\/") + 1);
}

bool haveProgram(const std::string& name)
{
    wchar_t found[MAX_PATH + 1];
    return SearchPathW(nullptr, wide(name).c_str(), L".exe", MAX_PATH + 1, found, nullptr) != 0;
}

std::string versionValue(const std::string& file, const std::string& name)
{
    const std::wstring path = wide(file);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<char> info(size);
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = L"\\StringFileInfo\\040904B0\\" + wide(name);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, info.data()) ||
        !VerQueryValueW(info.data(), key.c_str(), &value, &length) || length == 0)
        return "";
    char* utf8 = utf8FromWide(static_cast<const wchar_t*>(value));
    const std::string text = utf8 ? utf8 : "";
    std::free(utf8);
    return text;
}

std::string loadedModule(const std::string& name)
{
    const HMODULE module = GetModuleHandleW(wide(name).c_str());
    wchar_t path[MAX_PATH + 1];
    const DWORD length = module ? GetModuleFileNameW(module, path, MAX_PATH + 1) : 0;
    if (length == 0 || length > MAX_PATH)
        return "";
    char* utf8 = utf8FromWide(path);
    const std::string text = utf8 ? utf8 : "";
    std::free(utf8);
    return text;
}

std::FILE* scratchStream()
{
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"bst", 0, name))
        return nullptr;
    // "D": removed when closed.
    return _wfopen(name, L"w+bD");
}

#else

namespace {

// A file for a child's output, named, because a program may reach its standard output by name
// (/dev/stdout) and replace it: what it leaves there is read back by that name.
struct OutputFile {
    std::string path;
    int fd = -1;

    OutputFile()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "bs-output-XXXXXX").string();
        fd = mkstemp(pattern.data());
        if (fd >= 0)
            path = pattern;
    }
    ~OutputFile()
    {
        if (fd >= 0) {
            close(fd);
            unlink(path.c_str());
        }
    }
    std::string text() const
    {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file)
            return "";
        std::string bytes = streamText(file);
        std::fclose(file);
        return bytes;
    }
};

}  // namespace

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder, bool oneStream)
{
    ProgramRun result;
    const OutputFile out;
    const OutputFile err;
    if (out.fd < 0 || err.fd < 0)
        return result;
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(out.fd, STDOUT_FILENO);
        dup2(oneStream ? out.fd : err.fd, STDERR_FILENO);
        const int nothing = open("/dev/null", O_RDONLY);
        if (nothing >= 0)
            dup2(nothing, STDIN_FILENO);
        if (!folder.empty() && chdir(folder.c_str()) != 0)
            _exit(127);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child)
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = result.outBytes = out.text();
    if (!oneStream)
        result.err = err.text();
    return result;
}

std::string builtProgram(const std::string& buildPath)
{
    return buildPath;
}

bool haveProgram(const std::string& name)
{
    return std::system(("command -v '" + name + "' >/dev/null 2>&1").c_str()) == 0;
}

std::FILE* scratchStream()
{
    return std::tmpfile();
}

#endif

}  // namespace test_programs

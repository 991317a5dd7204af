#include "compiler/output.h"

#include <cstdlib>
#include <cstring>

#include "compiler/messages.h"
#include "files/input_files.h"

namespace {

InputFiles gInputs;

void release(OutputFile* out)
{
    free(out->path);
    out->path = nullptr;
    out->stream = nullptr;
}

}  // namespace

int openOutputFile(OutputFile* out, const char* path, bool binary)
{
    if (!out) return -1;
    out->file.discard();
    release(out);
    if (!path) return -1;
    size_t length = strlen(path) + 1;
    out->path = static_cast<char*>(malloc(length));
    if (!out->path || out->file.open(path, binary, "bscomp") != 0) {
        release(out);
        return -1;
    }
    memcpy(out->path, path, length);
    out->stream = out->file.stream();
    return 0;
}

int commitOutputFile(OutputFile* out)
{
    if (!out || !out->stream) return -1;
    const bool ok = out->file.commit() == 0;
    if (!ok) printMessage(stderr, kFormatSubject, kCouldntWriteOutput, out->path);
    release(out);
    return ok ? 0 : -1;
}

void discardOutputFile(OutputFile* out)
{
    if (!out) return;
    out->file.discard();
    release(out);
}

int noteInputFile(FILE* file)
{
    if (gInputs.add(file)) return 0;
    printMessage(stderr, kFormatMessage, kOutOfMemory);
    return -1;
}

int noteInputName(const char* path)
{
    if (gInputs.add(path)) return 0;
    printMessage(stderr, kFormatMessage, kOutOfMemory);
    return -1;
}

bool replacesInputFile(const char* path)
{
    return gInputs.contains(path);
}

void releaseInputFiles()
{
    gInputs.clear();
}

int writePackageImage(FILE* stream, const char* name, const void* image, size_t size,
                      const char* failure)
{
    // Every input of the run has been opened or named by now.
    if (replacesInputFile(name)) {
        printMessage(stderr, kFormatSubject, kOutputIsSource, name);
        return -1;
    }
    if (fwrite(image, 1, size, stream) != size || fflush(stream) != 0) {
        printMessage(stderr, kFormatSubject, failure, name);
        return -1;
    }
    return 0;
}

int writeBuiltPackage(FILE* stream, const char* name, uint8_t* image, uint32_t size, const char* failure)
{
    const int result = writePackageImage(stream, name, image, size, failure);
    free(image);
    if (result != 0) return -1;
    printMessage(stdout, kSuccessLine, size, name);
    return 0;
}

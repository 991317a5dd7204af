#include "compiler/messages.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

bool gErrorReported = false;
FILE* gStandardOutput = nullptr;
FILE* gStandardError = nullptr;

constexpr char kErrorPrefix[] = "ERROR- ";
constexpr size_t kErrorPrefixLength = sizeof kErrorPrefix - 1;

FILE* resolve(FILE* stream)
{
    if (stream == stdout && gStandardOutput) return gStandardOutput;
    if (stream == stderr && gStandardError) return gStandardError;
    return stream;
}

}  // namespace

int printMessage(FILE* stream, const char* format, ...)
{
    if (!stream || !format) return -1;
    // Progress lines wait in standard output's buffer when it is a file or a pipe; flushing them
    // first keeps a problem after the lines that lead up to it when both streams share a log.
    if (stream == stderr) {
        FILE* progress = resolve(stdout);
        if (progress != resolve(stderr)) fflush(progress);
    }
    stream = resolve(stream);

    // Format first, so that the text can be checked for the error prefix. Most messages fit
    // the stack buffer; long tokens and paths take a heap block.
    char local[512];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = vsnprintf(local, sizeof local, format, args);
    va_end(args);
    if (length < 0) {
        va_end(again);
        return length;
    }

    const char* text = local;
    char* heap = nullptr;
    if (static_cast<size_t>(length) >= sizeof local) {
        heap = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
        if (heap) {
            vsnprintf(heap, static_cast<size_t>(length) + 1, format, again);
            text = heap;
        }
    }
    va_end(again);

    if (strncmp(text, kErrorPrefix, kErrorPrefixLength) == 0) gErrorReported = true;

    int written;
    if (heap || static_cast<size_t>(length) < sizeof local) {
        written = fwrite(text, 1, static_cast<size_t>(length), stream) == static_cast<size_t>(length) ? length : -1;
    } else {
        // No memory for the long text: print it directly, untruncated.
        va_list direct;
        va_start(direct, format);
        written = vfprintf(stream, format, direct);
        va_end(direct);
    }
    free(heap);
    return written;
}

bool errorReported()
{
    return gErrorReported;
}

void clearErrorReported()
{
    gErrorReported = false;
}

void setMessageStreams(FILE* standardOutput, FILE* standardError)
{
    gStandardOutput = standardOutput;
    gStandardError = standardError;
}

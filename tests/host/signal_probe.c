/* A program that uses nothing but host.h and keeps the default action of a
 * signal: it starts the host on the two packs named on its command line,
 * sends itself that signal while the host runs, and should die of it.  It
 * exits 0 if it is still alive five seconds later. */
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "host/host.h"

static uint8_t* readAll(const char* path, uint32_t* size)
{
    FILE* file = fopen(path, "rb");
    uint8_t* bytes = malloc(1 << 20); /* malloc's alignment suits the engine */
    *size = 0;
    if (file != NULL && bytes != NULL)
        *size = (uint32_t)fread(bytes, 1, 1 << 20, file);
    if (file != NULL)
        fclose(file);
    return bytes;
}

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    int signalNumber = atoi(argv[3]);
    signal(signalNumber, SIG_DFL);
    uint32_t samplesSize = 0;
    uint32_t instrumentsSize = 0;
    uint8_t* samples = readAll(argv[1], &samplesSize);
    uint8_t* instruments = readAll(argv[2], &instrumentsSize);
    HXRESULT result = hx_initSized(NULL, samples, samplesSize, instruments, instrumentsSize);
    if (HX_FAILED(result)) {
        printf("%s\n", hx_resultText(result));
        return 3;
    }
    usleep(200000); /* the device's thread is up and playing */
    kill(getpid(), signalNumber);
    for (int i = 0; i < 5; ++i)
        sleep(1);
    hx_close();
    free(samples);
    free(instruments);
    return 0;
}

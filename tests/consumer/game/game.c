/* A minimal game loop on the Brimsel engine: load the packs, start the song,
 * fire a sound effect from the game's logic, and render the engine's ticks
 * for the audio output. Here the output is a file of raw 16-bit stereo
 * samples, so that the test beside it can compare it with bsrender's render;
 * a game hands the blocks to its sound device instead, or lets the host
 * library (host/host.h) clock the engine and stream it for it.
 *
 *   game AUDIO_DIR SECONDS OUTPUT.raw
 *
 * AUDIO_DIR is where brimsel_add_audio put the packages. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "engine/engine.h"
#include "effects.h" /* bscomp's priority header: BPRI_coin and the others */

/* A whole package file in memory. malloc's blocks suit the engine, which
 * wants the two packs at addresses that are multiples of 4. */
typedef struct {
    uint8_t* data;
    uint32_t size;
} Package;

static int loadPackage(const char* dir, const char* name, Package* package)
{
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", dir, name);
    FILE* file = fopen(path, "rb");
    long size = -1;
    if (file && fseek(file, 0, SEEK_END) == 0) size = ftell(file);
    if (size <= 0 || size > 0x7FFFFFFF || fseek(file, 0, SEEK_SET) != 0 ||
        !(package->data = malloc((size_t)size)) ||
        fread(package->data, 1, (size_t)size, file) != (size_t)size) {
        fprintf(stderr, "game: cannot read %s\n", path);
        if (file) fclose(file);
        return -1;
    }
    fclose(file);
    package->size = (uint32_t)size;
    return 0;
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: game AUDIO_DIR SECONDS OUTPUT.raw\n");
        return 2;
    }
    const char* dir = argv[1];
    const long ticks = atol(argv[2]) * BS_TICK_RATE;
    Package samples = {0}, instruments = {0}, song = {0}, coin = {0};
    if (loadPackage(dir, "demo_audio.smp", &samples) || loadPackage(dir, "demo_audio.ins", &instruments) ||
        loadPackage(dir, "song.mus", &song) || loadPackage(dir, "coin.sfx", &coin))
        return 1;
    FILE* output = fopen(argv[3], "wb");
    if (!output) {
        fprintf(stderr, "game: cannot write %s\n", argv[3]);
        return 1;
    }

    /* The Sized calls check every read against the files' sizes: packages
     * from disk are untrusted. */
    if (bs_initSized(samples.data, samples.size, instruments.data, instruments.size) != 0) {
        fprintf(stderr, "game: the engine refused the packs\n");
        return 1;
    }
    bs_playMusicSized(song.data, song.size);

    int16_t block[BS_BLOCK_VALUES];
    for (long tick = 0; tick < ticks; ++tick) {
        /* The game's logic: one second in, the player picks up a coin. The
         * effect starts at the next tick, on the channels its priority wins. */
        if (tick == BS_TICK_RATE)
            bs_playSFXSized(coin.data, coin.size, BPRI_coin, 127, 127);
        /* One tick: 200 stereo frames (1/240 s) for the audio output. */
        bs_update(block);
        if (fwrite(block, sizeof block, 1, output) != 1) {
            fprintf(stderr, "game: cannot write %s\n", argv[3]);
            return 1;
        }
    }

    /* Stop everything before freeing what the engine reads. */
    bs_stopAll();
    bs_update(block);
    free(samples.data);
    free(instruments.data);
    free(song.data);
    free(coin.data);
    return fclose(output) == 0 ? 0 : 1;
}

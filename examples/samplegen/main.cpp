// bs_make_samples: writes the demo's raw 8-bit signed PCM files into a folder.
//
//   bs_make_samples OUTPUT_FOLDER
//
// The output is the same on every run and every machine: the recipes use integers only.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "examples/samplegen/recipes.h"

namespace {

bool writeFile(const std::string& path, const std::vector<int8_t>& pcm)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "ERROR- Can't write to destination file : %s (%s)\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const bool ok = std::fwrite(pcm.data(), 1, pcm.size(), file) == pcm.size();
    if (std::fclose(file) != 0 || !ok) {
        std::fprintf(stderr, "ERROR- Couldn't write to output file : %s\n", path.c_str());
        std::remove(path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage : bs_make_samples OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    using namespace samplegen;
    // clang-format off
    const struct {
        const char* name;
        std::vector<int8_t> (*make)();
    } files[] = {
        {"lead.pcm", makeLead},   {"bass.pcm", makeBass},   {"pad.pcm", makePad},
        {"pluck.pcm", makePluck}, {"drums.pcm", makeDrums}, {"crash.pcm", makeCrash},
        {"noise.pcm", makeNoise}, {"square.pcm", makeSquare},
    };
    // clang-format on
    for (const auto& file : files)
        if (!writeFile(folder + "/" + file.name, file.make()))
            return 1;
    return 0;
}

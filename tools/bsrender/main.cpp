// bsrender: renders packages through the engine into a WAV file, without a sound device.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "files/file_identity.h"
#include "files/input_files.h"
#include "tools/bsrender/options.h"
#include "tools/bsrender/progress.h"
#include "tools/bsrender/renderer.h"
#include "tools/common/tool_main.h"
#include "tools/common/package_file.h"
#include "tools/common/priority_header.h"
#include "tools/common/wav_file.h"

#if defined(_WIN32)
#  include <fcntl.h>
#  include <io.h>
#endif

using namespace bsrender;

namespace {

constexpr int kExitFailure = 1;

void printError(const std::string& text)
{
    bs::printToolError(text);
}

// "1.500 s"; a minute or more also as "(1:02.504)", an hour or more as "(1:00:02.504)".
std::string formatDuration(uint64_t ticks, bool withMinutes = true)
{
    const uint64_t millis = (ticks * 1000 + kTicksPerSecond / 2) / kTicksPerSecond;
    const auto seconds = static_cast<unsigned long long>(millis / 1000);
    const auto fraction = static_cast<unsigned long long>(millis % 1000);
    char text[80];
    if (withMinutes && seconds >= 3600)
        std::snprintf(text, sizeof text, "%llu.%03llu s (%llu:%02llu:%02llu.%03llu)", seconds, fraction, seconds / 3600,
                      seconds / 60 % 60, seconds % 60, fraction);
    else if (withMinutes && seconds >= 60)
        std::snprintf(text, sizeof text, "%llu.%03llu s (%llu:%02llu.%03llu)", seconds, fraction, seconds / 60,
                      seconds % 60, fraction);
    else
        std::snprintf(text, sizeof text, "%llu.%03llu s", seconds, fraction);
    return text;
}

// Whether writing to `path` writes to standard output ("-", /dev/stdout, or the file standard
// output is redirected to): then the summary goes to standard error, out of the audio's way.
bool isStandardOutput(const std::string& path)
{
    return path == "-" || isOpenFile(path.c_str(), stdout);
}

// Resolves each --sfx request into a cue; false after printing what is wrong.
bool buildCues(const Options& options, bs::PackageLoader& packages, std::vector<bs::PackageImage>& effects,
               RenderJob& job)
{
    bs::PriorityTable priorities;
    if (!options.priorityHeaderPath.empty()) {
        std::string error;
        if (!bs::loadPriorityHeader(options.priorityHeaderPath, &priorities, &error)) {
            printError(error);
            return false;
        }
    }
    // Images are loaded once per file, however often the file is played.
    std::map<std::string, size_t> loaded;
    effects.reserve(options.effects.size());
    for (const EffectRequest& request : options.effects) {
        if (!loaded.count(request.path)) {
            bs::PackageImage image;
            if (!packages.load(request.path, bs::PackageKind::Effect, &image))
                return false;
            loaded[request.path] = effects.size();
            effects.push_back(std::move(image));
        }
        EffectCue cue;
        cue.image = &effects[loaded[request.path]];
        cue.tick = request.tick;
        cue.left = request.left;
        cue.right = request.right;
        if (request.priority) {
            cue.priority = *request.priority;
        } else if (!options.priorityHeaderPath.empty()) {
            std::string problem;
            if (!bs::effectPriority(priorities, request.path, &cue.priority, &problem)) {
                printError(problem + " (give a priority after its time) : " + options.priorityHeaderPath);
                return false;
            }
        }
        if (cue.tick >= options.limitTicks) {
            std::fprintf(stderr, "WARNING- Starts at or after the limit of %s and is never heard : %s\n",
                         formatDuration(options.limitTicks).c_str(), request.path.c_str());
            continue;
        }
        job.effects.push_back(cue);
    }
    std::map<uint32_t, size_t> perTick;
    for (const EffectCue& cue : job.effects) {
        if (++perTick[cue.tick] > kMaxEffectsPerTick) {
            printError("More than " + std::to_string(kMaxEffectsPerTick) + " sound effects start at " +
                       formatDuration(cue.tick) + "; the engine takes at most that many in one tick");
            return false;
        }
    }
    return true;
}

// Every file the render reads; the output must be none of them, under any name.
InputFiles inputFiles(const Options& options)
{
    InputFiles inputs;
    for (const std::string* path : {&options.samplePath, &options.instrumentPath, &options.musicPath,
                                    &options.priorityHeaderPath})
        inputs.add(path->c_str());
    for (const EffectRequest& request : options.effects)
        inputs.add(request.path.c_str());
    return inputs;
}

int run(const Options& options)
{
    if (options.outputPath != "-" && inputFiles(options).contains(options.outputPath.c_str())) {
        printError("The output would overwrite one of the input files : " + options.outputPath);
        return kExitFailure;
    }
    bs::PackageLoader packages("ERROR- ", "WARNING- ");
    bs::PackageImage samplePack;
    bs::PackageImage instrumentPack;
    if (!packages.load(options.samplePath, bs::PackageKind::Samples, &samplePack) ||
        !packages.load(options.instrumentPath, bs::PackageKind::Instruments, &instrumentPack))
        return kExitFailure;

    RenderJob job;
    job.samples = &samplePack;
    job.instruments = &instrumentPack;
    job.attenuation = options.attenuation;
    job.limitTicks = options.limitTicks;
    bs::PackageImage music;
    if (!options.musicPath.empty()) {
        if (!packages.load(options.musicPath, bs::PackageKind::Music, &music))
            return kExitFailure;
        job.music = &music;
    }
    std::vector<bs::PackageImage> effects;
    if (!buildCues(options, packages, effects, job))
        return kExitFailure;

    const bool toStdout = options.outputPath == "-";
    bs::WavWriter output;
    std::string error;
    if (toStdout) {
#if defined(_WIN32)
        _setmode(_fileno(stdout), _O_BINARY);  // no line-end translation in the audio
#endif
        output.openStream(stdout, "standard output");
    } else if (!output.open(options.outputPath, &error)) {
        printError(error);
        return kExitFailure;
    }
    const auto refused = [&] {
        printError("The engine refused the sample pack or the instrument pack : " + options.samplePath + ", " +
                   options.instrumentPath);
        return kExitFailure;
    };
    if (output.streaming()) {
        // A pipe or a device cannot be rewound for the header, which states the length first:
        // a silent pass measures it (the engine is fast, and the same job gives the same audio).
        const RenderResult measured = render(job, [](const int16_t*) { return true; });
        if (measured.reason == StopReason::EngineRefused)
            return refused();
        if (!output.startStream(measured.ticks * uint32_t(BS_BLOCK_BYTES), &error)) {
            printError(error);
            return kExitFailure;
        }
    }
    ProgressLine progress(!options.quiet && ProgressLine::stderrIsTerminal());
    const RenderResult result = render(
        job, [&](const int16_t* block) { return output.append(block, BS_BLOCK_VALUES, &error); },
        [&](uint32_t ticks) { progress.update(ticks); });
    progress.finish();
    if (result.reason == StopReason::EngineRefused)
        return refused();
    if (result.reason == StopReason::SinkFailed || !output.commit(&error)) {
        printError(error);
        return kExitFailure;
    }

    if (result.reason == StopReason::LimitReached && !options.limitGiven)
        std::fprintf(stderr, "WARNING- Render stopped at the limit of %s; raise it with --limit : %s\n",
                     formatDuration(options.limitTicks).c_str(), options.outputPath.c_str());
    if (options.quiet)
        return 0;
    std::string how;
    if (result.reason == StopReason::LimitReached)
        how = job.music && result.musicEndTick < 0 ? "stopped at the limit, the music still playing"
                                                   : "stopped at the limit, channels still sounding";
    else if (job.music)
        how = "the music ended at " + formatDuration(uint64_t(result.musicEndTick), false);
    else
        how = "every effect ended";
    // Standard output may be carrying the WAV file itself.
    std::FILE* summary = isStandardOutput(options.outputPath) ? stderr : stdout;
    std::fprintf(summary, "%s : %s, %s\n", toStdout ? "standard output" : options.outputPath.c_str(),
                 formatDuration(result.ticks).c_str(), how.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    return bs::runToolMain<Options>(
        argc, argv, "bsrender", BSRENDER_VERSION, usageText(), kExitFailure,
        [](int count, char** values, Options* options, std::string* error) {
            return parseOptions(count, values, options, error);
        },
        run);
}

#include "player.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "files/file_identity.h"
#include "formats/wav.h"
#include "host/host.h"
#include "host_window.h"
#include "terminal.h"
#include "tools/common/package_file.h"
#include "tools/common/priority_header.h"

namespace bsplay {

namespace {

const char kNothingToPlay[] = "nothing to play: give a music track, an effect, or --seconds";

constexpr int8_t kDefaultPriority = 64;
// After the last block that matters is rendered, the device still has the
// ring and its own lead to play: about 40 ms, with room to spare.
constexpr auto kDrainTime = std::chrono::milliseconds(150);

volatile std::sig_atomic_t interrupted = 0;

void onSignal(int)
{
    interrupted = 1;
}

struct Effect {
    bs::PackageImage package;
    int8_t priority = kDefaultPriority;
};

struct Snapshot {
    MacroChannel channels[BS_CHANNELS];
    uint32_t blocks = 0;
    int32_t running = 0;
};

Snapshot snapshot()
{
    Snapshot s;
    hx_copyState(nullptr, s.channels, nullptr, &s.running, &s.blocks, nullptr);
    return s;
}

int busyChannels(const Snapshot& s)
{
    int busy = 0;
    for (const MacroChannel& channel : s.channels)
        busy += channel.priority != 0;
    return busy;
}

bool effectSounds(const Snapshot& s, int priority)
{
    for (const MacroChannel& channel : s.channels)
        if (channel.noteMode == 0 && channel.priority == priority)
            return true;
    return false;
}

std::string clock(uint32_t blocks)
{
    uint32_t hundredths = static_cast<uint32_t>(static_cast<uint64_t>(blocks) * 100 / BS_TICK_RATE);
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u.%02u", hundredths / 6000, hundredths / 100 % 60,
                  hundredths % 100);
    return text;
}

void fail(const std::string& message)
{
    Terminal::endStatus();
    std::fprintf(stderr, "bsplay: %s\n", message.c_str());
}

bool loadEffects(const Options& options, bs::PackageLoader& packages,
                 std::vector<Effect>* effects)
{
    bs::PriorityTable priorities;
    std::string error;
    if (!options.priorityHeader.empty() &&
        !bs::loadPriorityHeader(options.priorityHeader, &priorities, &error)) {
        fail(error);
        return false;
    }
    for (const EffectOption& option : options.effects) {
        Effect effect;
        if (!packages.load(option.path, bs::PackageKind::Effect, &effect.package))
            return false;
        if (option.priority != 0) {
            effect.priority = static_cast<int8_t>(option.priority);
        } else if (!options.priorityHeader.empty() &&
                   !bs::effectPriority(priorities, option.path, &effect.priority, &error)) {
            fail(error + " (give one as FILE@PRIORITY) : " + options.priorityHeader);
            return false;
        }
        effects->push_back(std::move(effect));
    }
    return true;
}

// The WAV log replaces its file, so it must not be one that the run reads,
// under any name.
bool logReplacesAnInput(const Options& options)
{
    std::vector<const std::string*> inputs = {&options.samples, &options.instruments,
                                              &options.music, &options.priorityHeader};
    for (const EffectOption& effect : options.effects)
        inputs.push_back(&effect.path);
    for (const std::string* input : inputs) {
        if (!input->empty() && sameFile(options.wavLog.c_str(), input->c_str())) {
            fail("the WAV log " + options.wavLog + " would overwrite the input file " + *input);
            return true;
        }
    }
    return false;
}

std::string errorText(int32_t error)
{
    return error != 0 ? std::string(" (") + std::strerror(error) + ")" : "";
}

// Once the host is closed: whether the WAV log holds everything played, and
// if not, what it does hold.
bool logIsWhole(const Options& options)
{
    uint32_t bytes = 0;
    uint32_t blocks = 0;
    int32_t error = 0;
    int32_t stop = hx_getLogState(nullptr, &bytes, &blocks, &error);
    const std::string& log = options.wavLog;
    std::string warning = "bsplay: warning: the WAV log " + log;
    if (stop == HX_LOG_COMPLETE) {
        if (!options.quiet)
            std::printf("wrote %s\n", log.c_str());
        return true;
    }
    if (stop == HX_LOG_HEADER_FAILED) {
        warning += " is not a valid WAV file: its header could not be written" + errorText(error);
    } else if (bytes == 0) {
        warning += " was removed: no audio could be written to it" + errorText(error);
    } else {
        uint32_t logged = (bytes - BS_WAV_HEADER_SIZE) / BS_BLOCK_BYTES;
        warning += " was cut short" +
                   (stop == HX_LOG_CAPPED ? std::string(" at its 1 GiB limit") : errorText(error)) +
                   ": it holds the first " + clock(logged) + " of the " + clock(blocks) + " played";
    }
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", warning.c_str());
    return false;
}

int startStatus(HXRESULT result)
{
    if (result == HX_E_NODEVICE || result == HX_E_BADFORMAT || result == HX_E_ALLOCATED) {
        fail(std::string("no sound device: ") + hx_resultText(result));
        return kNoDevice;
    }
    if (result == HX_E_FAIL) {
        fail("the engine refused the sample pack or the instrument pack");
        return kBadInput;
    }
    fail(std::string("the host could not start: ") + hx_resultText(result));
    return kHostFailed;
}

class Session {
public:
    Session(const Options& options, const bs::PackageImage* music, std::vector<Effect>& effects)
        : options_(options), music_(music), effects_(effects)
    {
    }

    int run();

private:
    void playMusic();
    void handleKey(int key, Terminal& terminal);
    bool finished(const Snapshot& now);
    void showStatus(const Snapshot& now);

    const Options& options_;
    const bs::PackageImage* music_;
    std::vector<Effect>& effects_;
    bool waitForMusic_ = false;
    uint32_t musicRequestedAt_ = 0;
    bool paused_ = false;
    int volume_ = 127;
    // Without a terminal and without music, the effects play in turn.
    size_t nextEffect_ = 0;
    bool inTurn_ = false;
    uint32_t effectRequestedAt_ = 0;
    bool quit_ = false;
};

void Session::playMusic()
{
    musicRequestedAt_ = snapshot().blocks;
    hx_playMusicSized(music_->data(), music_->size());
    waitForMusic_ = true;
}

void Session::handleKey(int key, Terminal&)
{
    if (key >= '1' && key <= '9') {
        size_t index = static_cast<size_t>(key - '1');
        if (index < effects_.size()) {
            const Effect& effect = effects_[index];
            hx_playSFXSized(effect.package.data(), effect.package.size(), effect.priority,
                            127, 127);
        }
    } else if (key == '0') {
        for (const Effect& effect : effects_)
            hx_stopSFX(effect.priority);
    } else if (key == 'p' || key == ' ') {
        paused_ = !paused_;
        if (paused_)
            hx_pause();
        else
            hx_resume();
    } else if (key == 'm' && music_) {
        playMusic();
    } else if (key == 's' && music_) {
        hx_stopMusic();
        waitForMusic_ = false;  // stopped by hand: keep playing effects
    } else if (key == '+' || key == '=' || key == '-') {
        volume_ += key == '-' ? -16 : 16;
        volume_ = volume_ < 0 ? 0 : volume_ > 127 ? 127
                                                  : volume_;
        hx_attenMusic(static_cast<int8_t>(volume_));
    } else if (key == 'q' || key == 'Q' || key == 27) {
        quit_ = true;
    }
}

bool Session::finished(const Snapshot& now)
{
    // A request reaches the engine with the next tick, which renders at most
    // four blocks: five blocks on, the engine's answer is current.
    if (waitForMusic_ && now.blocks > musicRequestedAt_ + 4 && hx_checkMusic() == 0)
        return true;
    if (inTurn_) {
        if (now.blocks <= effectRequestedAt_ + 4 ||
            effectSounds(now, effects_[nextEffect_ - 1].priority))
            return false;
        inTurn_ = false;
        if (nextEffect_ == effects_.size())
            return true;
    }
    return false;
}

void Session::showStatus(const Snapshot& now)
{
    std::string line = "  " + clock(now.blocks) + "  ticks " + std::to_string(now.blocks) +
                       "  busy " + std::to_string(busyChannels(now)) + "/16";
    if (music_)
        line += hx_checkMusic() ? "  music playing" : "  music stopped";
    if (volume_ != 127)
        line += "  volume " + std::to_string(volume_);
    if (paused_)
        line += "  [paused]";
    if (!options_.wavLog.empty())
        line += "  logging";
    Terminal::showStatus(line);
}

int Session::run()
{
    Terminal terminal;
    bool status = !options_.quiet && Terminal::statusVisible();
    if (terminal.interactive() && !options_.quiet) {
        std::printf("keys: %s p pause, %sq quit\n",
                    effects_.empty() ? "" : ("1-" + std::to_string(effects_.size()) + " effects, 0 stop effects,").c_str(),
                    music_ ? "m music, s stop music, +/- volume, " : "");
        std::fflush(stdout);
    }
    if (music_)
        playMusic();
    bool turns = !music_ && !terminal.interactive();
    if (turns && effects_.empty() && options_.seconds == 0) {
        fail(kNothingToPlay);
        return kUsage;
    }

    auto started = std::chrono::steady_clock::now();
    auto shown = started - std::chrono::seconds(1);
    for (;;) {
        int key = terminal.readKey(20);
        if (key >= 0)
            handleKey(key, terminal);
        if (interrupted || quit_)
            break;
        auto now = std::chrono::steady_clock::now();
        if (options_.seconds > 0 &&
            now - started >= std::chrono::duration<double>(options_.seconds))
            break;
        Snapshot state = snapshot();
        if (turns && !inTurn_ && nextEffect_ < effects_.size()) {
            const Effect& effect = effects_[nextEffect_++];
            effectRequestedAt_ = state.blocks;
            hx_playSFXSized(effect.package.data(), effect.package.size(), effect.priority,
                            127, 127);
            inTurn_ = true;
        }
        if (finished(state)) {
            std::this_thread::sleep_for(kDrainTime);
            break;
        }
        if (status && now - shown >= std::chrono::milliseconds(100)) {
            showStatus(state);
            shown = now;
        }
    }
    Snapshot last = snapshot();
    if (status)
        showStatus(last);
    Terminal::endStatus();
    if (!options_.quiet)
        std::printf("played %s (%u blocks)%s\n", clock(last.blocks).c_str(), last.blocks,
                    interrupted ? ", interrupted" : "");
    return kOk;
}

}  // namespace

int play(const Options& options)
{
    if (hx_getInfo(nullptr, nullptr, nullptr, nullptr, nullptr) != 0) {
        fail("the host and engine libraries do not match");
        return kHostFailed;
    }
    if (!options.wavLog.empty() && logReplacesAnInput(options))
        return kUsage;
    bs::PackageLoader packages("bsplay: ", "bsplay: warning: ");
    bs::PackageImage samples;
    bs::PackageImage instruments;
    bs::PackageImage music;
    std::vector<Effect> effects;
    if (!packages.load(options.samples, bs::PackageKind::Samples, &samples) ||
        !packages.load(options.instruments, bs::PackageKind::Instruments, &instruments) ||
        (!options.music.empty() && !packages.load(options.music, bs::PackageKind::Music, &music)) ||
        !loadEffects(options, packages, &effects))
        return kBadInput;
    // Known before anything starts, so that no log is begun for nothing; the session checks
    // again once it knows whether it took the terminal.
    if (options.music.empty() && options.effects.empty() && options.seconds == 0 &&
        !Terminal::inputIsTerminal()) {
        fail(kNothingToPlay);
        return kUsage;
    }

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    HostWindow window;
    HXRESULT result = hx_initSized(window.handle(), samples.data(), samples.size(),
                                   instruments.data(), instruments.size());
    if (HX_FAILED(result))
        return startStatus(result);
    if (!options.wavLog.empty() && hx_logOutput(options.wavLog.c_str()) != 0) {
        int32_t error = 0;
        hx_getLogState(nullptr, nullptr, nullptr, &error);
        hx_close();
        fail("cannot create the WAV log " + options.wavLog + errorText(error));
        return kBadInput;
    }

    Session session(options, options.music.empty() ? nullptr : &music, effects);
    int status = session.run();
    hx_stopAll();
    hx_close();  // also finishes the WAV log
    if (status == kOk && !options.wavLog.empty() && !logIsWhole(options))
        return kBadInput;
    return status;
}

}  // namespace bsplay

// HostBridge: the host's lifetime, logging and the playback forwards.
#include "app/core/host_bridge.h"

namespace veskar {

HostBridge::HostBridge(void* window, StartFunction start) : window_(window), start_(start) {}

HostBridge::~HostBridge()
{
    shutdown();
}

HXRESULT HostBridge::startHost()
{
    if (running_ || !samplesLoaded() || !instrumentsLoaded())
        return kFail;
    const PackageBuffer& samples = image(Package::Samples);
    const PackageBuffer& instruments = image(Package::Instruments);
    const HXRESULT result = start_(window_, samples.data(), samples.size(), instruments.data(), instruments.size());
    running_ = HX_SUCCEEDED(result);
    return result;
}

void HostBridge::closeHost()
{
    if (!running_)
        return;
    hx_stopAll();
    hx_close();
    running_ = false;
    logging_ = false;
}

HXRESULT HostBridge::logOutput(const std::string& path)
{
    if (!running_ || logging_)
        return kFail;
    if (hx_logOutput(path.c_str()) != 0)
        return kFail;
    logging_ = true;
    return kOk;
}

HXRESULT HostBridge::closeLog()
{
    if (!running_ || !logging_)
        return kFail;
    hx_closeLog();
    logging_ = false;
    return kOk;
}

void HostBridge::pause()
{
    if (running_)
        hx_pause();
}

void HostBridge::resume()
{
    if (running_)
        hx_resume();
}

void HostBridge::stopAll()
{
    if (running_)
        hx_stopAll();
}

void HostBridge::playMusic()
{
    if (running_ && musicLoaded())
        hx_playMusicSized(image(Package::Music).data(), image(Package::Music).size());
}

void HostBridge::stopMusic()
{
    if (running_ && musicLoaded())
        hx_stopMusic();
}

void HostBridge::attenMusic(int level)
{
    if (running_ && musicLoaded())
        hx_attenMusic(static_cast<int8_t>(level));
}

void HostBridge::playSfx(int priority, int left, int right)
{
    if (!running_ || !effectLoaded() || priority == 0)
        return;
    lastEffectPriority_ = priority;
    const PackageBuffer& effect = image(Package::Effect);
    hx_playSFXSized(effect.data(), effect.size(), static_cast<int8_t>(priority), static_cast<int8_t>(left),
                    static_cast<int8_t>(right));
}

void HostBridge::stopSfx()
{
    if (lastEffectPriority_ != 0)
        hx_stopSFX(static_cast<int8_t>(lastEffectPriority_));
}

void HostBridge::shutdown()
{
    closeHost();
    for (Package package : {Package::Effect, Package::Music, Package::Instruments, Package::Samples})
        imageOf(package).reset();
}

bool HostBridge::musicPlaying() const
{
    return hx_checkMusic() != 0;
}

bool HostBridge::readEngineInfo(EngineInfo* info)
{
    return hx_getInfo(&info->channels, &info->renderRate, &info->decodeRate, &info->librarySize,
                      &info->maxSampleLength) == 0;
}

void HostBridge::copyState(HostSnapshot* snapshot)
{
    hx_copyState(snapshot->voices, snapshot->channels, nullptr, nullptr, &snapshot->blocksRendered,
                 snapshot->ring);
}

}  // namespace veskar

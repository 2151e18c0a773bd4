#include "VoiceSettings.hpp"

#include "AudioDevice.hpp"
#include "Voice.hpp"

#include <algorithm>
#include <mutex>

namespace mivra::detail
{
SoundSource::Status voiceStatus(AudioDevice& device, const Voice& voice)
{
    std::lock_guard lock(device.mutex());
    return voice.status;
}

void pauseVoice(AudioDevice& device, Voice& voice)
{
    std::lock_guard lock(device.mutex());
    if (voice.status == SoundSource::Status::Playing)
        voice.status = SoundSource::Status::Paused;
}

void setVoiceLooping(AudioDevice& device, Voice& voice, bool loop)
{
    std::lock_guard lock(device.mutex());
    voice.loop = loop;
}

bool isVoiceLooping(AudioDevice& device, const Voice& voice)
{
    std::lock_guard lock(device.mutex());
    return voice.loop;
}

void setVoiceVolume(AudioDevice& device, Voice& voice, float volume)
{
    std::lock_guard lock(device.mutex());
    voice.volume = std::clamp(volume, 0.f, 100.f) / 100.f;
}

float voiceVolume(AudioDevice& device, const Voice& voice)
{
    std::lock_guard lock(device.mutex());
    return voice.volume * 100.f;
}
} // namespace mivra::detail

#include <mivra/Audio/SoundSource.hpp>

#include "detail/VoiceSettings.hpp"

namespace mivra
{
void SoundSource::setLooping(bool loop)
{
    detail::setVoiceLooping(outputDevice(), mixerVoice(), loop);
}

bool SoundSource::isLooping() const
{
    return detail::isVoiceLooping(outputDevice(), mixerVoice());
}

void SoundSource::setVolume(float volume)
{
    detail::setVoiceVolume(outputDevice(), mixerVoice(), volume);
}

float SoundSource::getVolume() const
{
    return detail::voiceVolume(outputDevice(), mixerVoice());
}
} // namespace mivra

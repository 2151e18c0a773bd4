#pragma once

#include <mivra/Audio/SoundSource.hpp>

namespace mivra::detail
{
class AudioDevice;
class Voice;

// The settings a Sound and a SoundStream handle alike. Each takes the output's lock, since the
// mixer reads the voice on its own thread.
SoundSource::Status voiceStatus(AudioDevice& device, const Voice& voice);
// A playing voice pauses; a stopped one stays stopped.
void pauseVoice(AudioDevice& device, Voice& voice);
void setVoiceLooping(AudioDevice& device, Voice& voice, bool loop);
bool isVoiceLooping(AudioDevice& device, const Voice& voice);
// Volume from 0 to 100, clamped; the voice keeps it as a factor.
void setVoiceVolume(AudioDevice& device, Voice& voice, float volume);
float voiceVolume(AudioDevice& device, const Voice& voice);
} // namespace mivra::detail

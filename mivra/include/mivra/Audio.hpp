#pragma once

#include <mivra/Audio/Music.hpp>
#include <mivra/Audio/Sound.hpp>
#include <mivra/Audio/SoundBuffer.hpp>
#include <mivra/Audio/SoundBufferRecorder.hpp>
#include <mivra/Audio/SoundChannel.hpp>
#include <mivra/Audio/SoundRecorder.hpp>
#include <mivra/Audio/SoundSource.hpp>
#include <mivra/Audio/SoundStream.hpp>
#include <mivra/System.hpp>

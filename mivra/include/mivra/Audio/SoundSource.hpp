#pragma once

#include <mivra/System/Time.hpp>

namespace mivra
{
/// Something that plays on the audio output: a Sound or a SoundStream.
class SoundSource
{
public:
    enum class Status
    {
        Stopped = 0,
        Paused = 1,
        Playing = 2
    };

    virtual ~SoundSource() = default;

    /// Starts or resumes playback and returns at once; the output mixes the source on its own thread.
    virtual void play() = 0;
    virtual void pause() = 0;
    /// Stops playback and rewinds to the start.
    virtual void stop() = 0;
    [[nodiscard]] virtual Status getStatus() const = 0;

protected:
    SoundSource() = default;
};
} // namespace mivra

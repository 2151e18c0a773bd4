#pragma once

#include <mivra/System/Time.hpp>

namespace mivra
{
/// Something that plays on the audio output: a Sound or a SoundStream.
class SoundSource
{
public:
    /// Where playback stands.
    enum class Status
    {
        Stopped = 0, ///< Not playing, at the start.
        Paused = 1, ///< Not playing, at the position where it was paused.
        Playing = 2 ///< Playing.
    };

    /// For derived classes.
    virtual ~SoundSource() = default;

    /// Starts or resumes playback and returns at once; the output mixes the source on its own thread.
    virtual void play() = 0;
    /// Pauses playback, keeping the position; nothing happens when not playing.
    virtual void pause() = 0;
    /// Stops playback and rewinds to the start.
    virtual void stop() = 0;
    /// Where playback stands.
    [[nodiscard]] virtual Status getStatus() const = 0;

protected:
    SoundSource() = default;
};
} // namespace mivra

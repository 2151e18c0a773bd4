#pragma once

#include <mivra/System/Time.hpp>

namespace mivra
{
namespace detail
{
class AudioDevice;
class Voice;
} // namespace detail

/// Something that plays on the audio output: a Sound or a SoundStream.
class SoundSource
{
public:
    /// Where playback stands.
    enum class Status
    {
        Stopped = 0, ///< Not playing, at the start.
        Paused = 1,  ///< Not playing, at the position where it was paused.
        Playing = 2  ///< Playing.
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

    /// Whether playback starts over from the beginning when it reaches the end (off by default).
    void setLooping(bool loop);
    /// Whether the source loops.
    [[nodiscard]] bool isLooping() const;
    /// Volume from 0 (silent) to 100 (unchanged, the default); values outside are clamped.
    void setVolume(float volume);
    /// The volume, 0 to 100.
    [[nodiscard]] float getVolume() const;

protected:
    SoundSource() = default;

private:
    // The output and this source's voice in its mixer, which the settings above change.
    [[nodiscard]] virtual detail::AudioDevice& outputDevice() const = 0;
    [[nodiscard]] virtual detail::Voice& mixerVoice() const = 0;
};
} // namespace mivra

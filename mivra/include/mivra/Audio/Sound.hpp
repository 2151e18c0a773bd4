#pragma once

#include <mivra/Audio/SoundSource.hpp>

#include <memory>

namespace mivra
{
class SoundBuffer;
namespace detail
{
class BufferVoice;
class AudioDevice;
} // namespace detail

/// Plays a SoundBuffer. Several sounds, of one buffer or of several, play at once.
class Sound : public SoundSource
{
public:
    /// A stopped sound of the buffer, which must outlive it. When no audio output device can be
    /// opened, the library reports that once through the diagnostics sink and sounds play on a silent
    /// null output.
    explicit Sound(const SoundBuffer& buffer);
    /// A stopped sound of the same buffer, with the same volume and looping.
    ///@{
    Sound(const Sound& other);
    Sound& operator=(const Sound& other);
    ///@}
    ~Sound() override;

    /// Starts or resumes playback and returns at once; the output mixes the sound on its own thread.
    void play() override;
    /// Pauses playback, keeping the position.
    void pause() override;
    /// Stops playback and rewinds to the start.
    void stop() override;
    /// Where playback stands; a sound that played to its end (not looping) is Stopped.
    [[nodiscard]] Status getStatus() const override;

    /// Plays another buffer, which must outlive the sound; stops the sound first.
    void setBuffer(const SoundBuffer& buffer);
    /// The buffer, or nullptr when it went away.
    [[nodiscard]] const SoundBuffer* getBuffer() const { return m_buffer; }
    /// Moves the playing position; an offset past the end moves it to the end.
    void setPlayingOffset(Time offset);
    /// The playing position from the start.
    [[nodiscard]] Time getPlayingOffset() const;

private:
    friend class SoundBuffer;
    [[nodiscard]] detail::AudioDevice& outputDevice() const override;
    [[nodiscard]] detail::Voice& mixerVoice() const override;
    /// Called by the buffer when it goes away or changes under the sound.
    void detachBuffer();

    const SoundBuffer* m_buffer{};
    std::shared_ptr<detail::AudioDevice> m_device;
    std::shared_ptr<detail::BufferVoice> m_voice;
};
} // namespace mivra

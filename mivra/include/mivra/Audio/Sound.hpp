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

// Plays a SoundBuffer. Several sounds, of one buffer or of several, play at once.
class Sound : public SoundSource
{
public:
    explicit Sound(const SoundBuffer& buffer);
    Sound(const Sound& other);
    Sound& operator=(const Sound& other);
    ~Sound() override;

    void play() override;
    void pause() override;
    void stop() override;
    [[nodiscard]] Status getStatus() const override;

    void setBuffer(const SoundBuffer& buffer);
    [[nodiscard]] const SoundBuffer* getBuffer() const { return m_buffer; }
    void setPlayingOffset(Time offset);
    [[nodiscard]] Time getPlayingOffset() const;

private:
    friend class SoundBuffer;
    [[nodiscard]] detail::AudioDevice& outputDevice() const override;
    [[nodiscard]] detail::Voice& mixerVoice() const override;
    // Called by the buffer when it goes away or changes under the sound.
    void detachBuffer();

    const SoundBuffer* m_buffer{};
    std::shared_ptr<detail::AudioDevice> m_device;
    std::shared_ptr<detail::BufferVoice> m_voice;
};
} // namespace mivra

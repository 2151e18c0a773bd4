#pragma once

#include <mivra/Audio/SoundChannel.hpp>
#include <mivra/System/Time.hpp>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <set>
#include <vector>

namespace mivra
{
class Sound;

/// A whole sound decoded into memory as interleaved signed 16-bit samples.
///
/// Files are read by content (WAV, OGG Vorbis, FLAC, MP3) and written by extension (.wav, .ogg,
/// .flac, .mp3). A buffer must outlive the sounds that play it; destroying or reloading it stops
/// them first.
class SoundBuffer
{
public:
    SoundBuffer() = default;
    /// Loads a file; throws mivra::Exception naming the file and the reason when it cannot.
    explicit SoundBuffer(const std::filesystem::path& filename);
    SoundBuffer(const SoundBuffer& other);
    SoundBuffer& operator=(const SoundBuffer& other);
    ~SoundBuffer();

    /// On failure these keep the previous contents, print one line on stderr and return false.
    [[nodiscard]] bool loadFromFile(const std::filesystem::path& filename);
    /// The bytes of a whole sound file, read the same way (the failure line names "memory").
    [[nodiscard]] bool loadFromMemory(const void* data, std::size_t size);
    [[nodiscard]] bool loadFromSamples(const std::int16_t* samples, std::size_t sampleCount, unsigned int channelCount,
                                       unsigned int sampleRate, const std::vector<SoundChannel>& channelMap);
    [[nodiscard]] bool saveToFile(const std::filesystem::path& filename) const;

    [[nodiscard]] const std::int16_t* getSamples() const { return m_samples.data(); }
    [[nodiscard]] std::size_t getSampleCount() const { return m_samples.size(); }
    [[nodiscard]] unsigned int getSampleRate() const { return m_sampleRate; }
    [[nodiscard]] unsigned int getChannelCount() const { return m_channelCount; }
    [[nodiscard]] const std::vector<SoundChannel>& getChannelMap() const { return m_channelMap; }
    [[nodiscard]] Time getDuration() const;

private:
    friend class Sound;
    void attach(Sound* sound) const;
    void detach(Sound* sound) const;
    void stopAttachedSounds() const;
    void replaceContents(std::vector<std::int16_t> samples, unsigned int channelCount, unsigned int sampleRate,
                         std::vector<SoundChannel> channelMap);

    std::vector<std::int16_t> m_samples;
    unsigned int m_sampleRate{44100};
    unsigned int m_channelCount{1};
    std::vector<SoundChannel> m_channelMap{SoundChannel::Mono};
    mutable std::mutex m_soundsMutex;
    mutable std::set<Sound*> m_sounds;
};
} // namespace mivra

#pragma once

#include <mivra/Audio/SoundChannel.hpp>
#include <mivra/System/Time.hpp>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
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
    /// An empty buffer: mono, 44100 Hz, no samples.
    SoundBuffer() = default;
    /// Loads the file as loadFromFile() does; throws mivra::Exception, whose what() is the line
    /// loadFromFile() would report, when it cannot.
    explicit SoundBuffer(const std::filesystem::path& filename);
    /// Copies the samples and format. Assigning stops the sounds that play this buffer first.
    ///@{
    SoundBuffer(const SoundBuffer& other);
    SoundBuffer& operator=(const SoundBuffer& other);
    ///@}
    ~SoundBuffer();

    /// Decodes a whole file. On failure keeps the previous contents, returns false and reports one line
    /// through the diagnostics sink: "mivra: cannot load the sound: <file>: <why>".
    [[nodiscard]] bool loadFromFile(const std::filesystem::path& filename);
    /// The bytes of a whole sound file, read the same way; the failure line names "memory".
    [[nodiscard]] bool loadFromMemory(const void* data, std::size_t size);
    /// Copies `sampleCount` interleaved samples of that channel count, rate and channel map. A count
    /// that is not whole frames, a channel count outside 1 to MaxChannelCount, a map of another length
    /// or an unsupported rate fails: the previous contents stay, false, and one line through the
    /// diagnostics sink.
    [[nodiscard]] bool loadFromSamples(const std::int16_t* samples, std::size_t sampleCount, unsigned int channelCount,
                                       unsigned int sampleRate, const std::vector<SoundChannel>& channelMap);
    /// Writes the buffer as WAV, OGG Vorbis, FLAC or MP3, chosen by the extension. On failure (an
    /// unknown extension, a file that cannot be written, an encoder error) returns false and reports
    /// one line: "mivra: cannot save the sound: <file>: <why>".
    [[nodiscard]] bool saveToFile(const std::filesystem::path& filename) const;

    /// The interleaved samples.
    [[nodiscard]] const std::int16_t* getSamples() const { return m_samples.data(); }
    /// The number of samples, all channels counted.
    [[nodiscard]] std::size_t getSampleCount() const { return m_samples.size(); }
    /// Frames per second.
    [[nodiscard]] unsigned int getSampleRate() const { return m_sampleRate; }
    /// The number of channels.
    [[nodiscard]] unsigned int getChannelCount() const { return m_channelCount; }
    /// Which speaker each channel of a frame is for.
    [[nodiscard]] const std::vector<SoundChannel>& getChannelMap() const { return m_channelMap; }
    /// How long the sound plays.
    [[nodiscard]] Time getDuration() const;

private:
    friend class Sound;
    void attach(Sound* sound) const;
    void detach(Sound* sound) const;
    void stopAttachedSounds() const;
    // The samples converted to another rate, made on first use and kept until the contents change;
    // shared by every sound of the buffer that plays at that rate.
    std::shared_ptr<const std::vector<std::int16_t>> samplesAt(unsigned int sampleRate) const;
    void replaceContents(std::vector<std::int16_t> samples, unsigned int channelCount, unsigned int sampleRate,
                         std::vector<SoundChannel> channelMap);

    std::vector<std::int16_t> m_samples;
    unsigned int m_sampleRate{44100};
    unsigned int m_channelCount{1};
    std::vector<SoundChannel> m_channelMap{SoundChannel::Mono};
    mutable std::mutex m_soundsMutex;
    mutable std::set<Sound*> m_sounds;
    mutable std::shared_ptr<const std::vector<std::int16_t>> m_converted; // guarded by m_soundsMutex
    mutable unsigned int m_convertedRate{};
};
} // namespace mivra

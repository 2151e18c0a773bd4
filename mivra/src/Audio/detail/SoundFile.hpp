#pragma once

#include <mivra/Audio/SoundChannel.hpp>

#include "System/detail/FileReading.hpp"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

struct sf_private_tag;

namespace mivra::detail
{
// Bytes of a whole sound file in memory, read through libsndfile's virtual I/O.
struct MemoryFile
{
    const unsigned char* data{};
    std::size_t size{};
    std::int64_t position{};
};

// Reads an audio file through libsndfile, detecting its format by content.
class SoundFileReader
{
public:
    SoundFileReader() = default;
    SoundFileReader(const SoundFileReader&) = delete;
    SoundFileReader& operator=(const SoundFileReader&) = delete;
    ~SoundFileReader();

    // On failure returns false and sets error to the reason.
    bool open(const std::filesystem::path& filename, std::string& error);
    // The same from bytes in memory, which must stay as they are while the reader is open.
    bool openFromMemory(const void* data, std::size_t size, std::string& error);
    // Reads up to frameCount frames; returns how many were read (0 at the end). On a decoding error
    // returns what was read before it and sets error.
    std::size_t read(std::int16_t* samples, std::size_t frameCount, std::string& error);
    // The same as floats in -1..1 (those of lossy decoders may overshoot a little).
    std::size_t readFloats(float* samples, std::size_t frameCount, std::string& error);
    void seek(std::uint64_t frame);
    // After reading the whole file: the reason it looks cut short, or an empty string. Covers
    // RIFF/AIFF headers that promise more data than there is and MP3 streams whose Xing/Info header
    // counts more frames than were decoded (plain CBR MP3 carries no length to check against).
    [[nodiscard]] std::string truncation(std::uint64_t decodedFrames) const;

    [[nodiscard]] unsigned int channelCount() const { return m_channelCount; }
    [[nodiscard]] unsigned int sampleRate() const { return m_sampleRate; }
    [[nodiscard]] std::uint64_t frameCount() const { return m_frameCount; }
    [[nodiscard]] const std::vector<SoundChannel>& channelMap() const { return m_channelMap; }
    // What diagnostics call the source: the file's path, or "memory".
    [[nodiscard]] const std::string& name() const { return m_name; }

private:
    void close();
    // Takes an opened file and its SF_INFO; closes it and returns false when the header is unusable.
    bool adopt(sf_private_tag* file, const void* info, std::string& error);

    std::unique_ptr<MemoryFile> m_memory;
    ReadableFile m_source; // the file libsndfile reads, when opened by name
    std::string m_name;
    sf_private_tag* m_file{};
    unsigned int m_channelCount{};
    unsigned int m_sampleRate{};
    std::uint64_t m_frameCount{};
    std::vector<SoundChannel> m_channelMap;
    std::string m_headerProblem;
    bool m_readFloats{false};
    std::vector<float> m_floats;
    std::uint64_t m_promisedFrames{}; // from an MP3 Xing/Info header, 0 if none
};

// Writes samples to a file whose format follows the extension: .wav, .ogg, .flac, .mp3.
bool writeSoundFile(const std::filesystem::path& filename, const std::int16_t* samples, std::size_t sampleCount,
                    unsigned int channelCount, unsigned int sampleRate, std::string& error);

// The channel map a file of this many channels gets when it names none.
std::vector<SoundChannel> defaultChannelMap(unsigned int channelCount);
} // namespace mivra::detail

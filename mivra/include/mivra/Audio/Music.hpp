#pragma once

#include <mivra/Audio/SoundStream.hpp>

#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

namespace mivra
{
namespace detail
{
class SoundFileReader;
}

/// Plays an audio file (WAV, OGG Vorbis, FLAC, MP3) streamed from disk, so its size does not bound
/// memory.
class Music : public SoundStream
{
public:
    Music();
    /// Opens a file; throws mivra::Exception naming the file and the reason when it cannot.
    explicit Music(const std::filesystem::path& filename);
    ~Music() override;

    /// On failure prints one line on stderr and returns false; the previous file is closed either way.
    [[nodiscard]] bool openFromFile(const std::filesystem::path& filename);
    [[nodiscard]] Time getDuration() const { return m_duration; }

protected:
    bool onRequestData(Chunk& data) override;
    void onSeekTo(Time timeOffset) override;

private:
    std::unique_ptr<detail::SoundFileReader> m_file;
    std::vector<std::int16_t> m_samples;
    Time m_duration;
};
} // namespace mivra

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
    /// No file yet; openFromFile() opens one.
    Music();
    /// Opens the file as openFromFile() does; throws mivra::Exception, whose what() is the line
    /// openFromFile() would report, when it cannot.
    explicit Music(const std::filesystem::path& filename);
    ~Music() override;

    /// Opens a file for streaming; the previous file is closed either way. On failure returns false and
    /// reports one line through the diagnostics sink: "mivra: cannot open the music: <file>: <why>". A
    /// file that turns out damaged while playing ends there, with one line of its own.
    [[nodiscard]] bool openFromFile(const std::filesystem::path& filename);
    /// The length of the open file; zero when none is open.
    [[nodiscard]] Time getDuration() const { return m_duration; }

protected:
    bool onRequestData(Chunk& data) override;
    void onSeekTo(Time timeOffset) override;

private:
    bool onRequestFloats(std::vector<float>& samples) override;

    std::unique_ptr<detail::SoundFileReader> m_file;
    std::vector<std::int16_t> m_samples;
    Time m_duration;
};
} // namespace mivra

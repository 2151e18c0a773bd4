#include <mivra/Audio/Music.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Exception.hpp>

#include "detail/FrameTime.hpp"
#include "detail/SoundFile.hpp"

#include <algorithm>

namespace mivra
{
Music::Music() = default;

Music::Music(const std::filesystem::path& filename)
{
    auto file = std::make_unique<detail::SoundFileReader>();
    std::string error;
    if (!file->open(filename, error))
        throw Exception("cannot open the music", filename.string(), error);
    m_file = std::move(file);
    m_duration = microseconds(detail::microsecondsAt(m_file->frameCount(), m_file->sampleRate()));
    initialize(m_file->channelCount(), m_file->sampleRate(), m_file->channelMap());
}

Music::~Music()
{
    stop();
}

bool Music::openFromFile(const std::filesystem::path& filename)
{
    stop();
    m_file.reset();
    m_duration = Time::Zero;
    auto file = std::make_unique<detail::SoundFileReader>();
    std::string error;
    if (!file->open(filename, error))
    {
        reportDiagnostic("cannot open the music", filename.string(), error);
        return false;
    }
    m_file = std::move(file);
    m_duration = microseconds(detail::microsecondsAt(m_file->frameCount(), m_file->sampleRate()));
    initialize(m_file->channelCount(), m_file->sampleRate(), m_file->channelMap());
    return true;
}

bool Music::onRequestData(Chunk& data)
{
    if (!m_file)
        return false;
    // A tenth of a second per chunk.
    const std::size_t frames = std::max(1u, m_file->sampleRate() / 10);
    m_samples.resize(frames * m_file->channelCount());
    std::string error;
    const std::size_t got = m_file->read(m_samples.data(), frames, error);
    if (!error.empty())
        reportDiagnostic("cannot decode the music", m_file->name(), error + "; the stream ends here");
    data.samples = m_samples.data();
    data.sampleCount = got * m_file->channelCount();
    return got == frames && error.empty();
}

// The library's own path: decoded straight to floats, which the mixer adds up, with no 16-bit
// step between (onRequestData stays for code that calls it as a SoundStream's).
bool Music::onRequestFloats(std::vector<float>& samples)
{
    if (!m_file)
        return false;
    const std::size_t frames = std::max(1u, m_file->sampleRate() / 10);
    const std::size_t before = samples.size();
    samples.resize(before + frames * m_file->channelCount());
    std::string error;
    const std::size_t got = m_file->readFloats(samples.data() + before, frames, error);
    samples.resize(before + got * m_file->channelCount());
    if (!error.empty())
        reportDiagnostic("cannot decode the music", m_file->name(), error + "; the stream ends here");
    return got == frames && error.empty();
}

void Music::onSeekTo(Time timeOffset)
{
    if (!m_file)
        return;
    m_file->seek(detail::frameAt(timeOffset.asMicroseconds(), m_file->sampleRate()));
}
} // namespace mivra

#include <mivra/Audio/AudioLimits.hpp>
#include <mivra/Audio/Sound.hpp>
#include <mivra/Audio/SoundBuffer.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Exception.hpp>

#include "detail/FrameTime.hpp"
#include "detail/Resampler.hpp"
#include "detail/SoundFile.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>


namespace mivra
{
namespace
{
struct DecodedSound
{
    std::vector<std::int16_t> samples;
    unsigned int channelCount{0};
    unsigned int sampleRate{0};
    std::vector<SoundChannel> channelMap;
};

// Reads a whole sound from a reader that open() has opened; nothing, with `error` set, on failure.
template <typename Open>
std::optional<DecodedSound> decode(Open open, std::string& error)
{
    detail::SoundFileReader reader;
    if (!open(reader))
        return std::nullopt;
    DecodedSound sound{{}, reader.channelCount(), reader.sampleRate(), reader.channelMap()};
    std::vector<std::int16_t>& samples = sound.samples;
    const unsigned int channelCount = sound.channelCount;

    // Refuse at once what the header says is too long; a header that says nothing, or too little,
    // is held to the same cap while decoding.
    const std::uint64_t maxFrames = MaxSoundBufferSamples / channelCount;
    const auto tooLong = [&] {
        return "the sound is longer than a sound buffer holds (more than " + std::to_string(MaxSoundBufferSamples) +
               " samples; Music streams longer sounds)";
    };
    const bool lengthKnown = reader.frameCount() < static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (lengthKnown && reader.frameCount() > maxFrames)
    {
        error = tooLong();
        return std::nullopt;
    }

    // Size the buffer once from the header, so that decoding writes straight into its final place;
    // a damaged header must not make us reserve much before anything decodes, and compressed formats
    // may run a little past their announced length, so read on in blocks after it.
    constexpr std::uint64_t maxPlannedSamples = std::uint64_t{1} << 25;
    constexpr std::size_t blockFrames = 65536;
    const auto planned = static_cast<std::size_t>(std::min(reader.frameCount(), maxPlannedSamples / channelCount));
    samples.reserve((planned + blockFrames) * channelCount);
    samples.resize(planned * channelCount);
    std::size_t frames = planned > 0 ? reader.read(samples.data(), planned, error) : 0;
    bool more = frames == planned;
    // Up to one frame past the cap is read, to tell a sound that ends at the cap from one that goes on.
    while (more && error.empty() && frames <= maxFrames)
    {
        const auto block = static_cast<std::size_t>(std::min<std::uint64_t>(blockFrames, maxFrames + 1 - frames));
        // Grow by doubling, but never past the cap: a bomb must not cost twice the cap in memory.
        const std::size_t needed = (frames + block) * channelCount;
        if (needed > samples.capacity())
            samples.reserve(static_cast<std::size_t>(
                std::min<std::uint64_t>(std::max(needed, 2 * samples.capacity()), (maxFrames + 1) * channelCount)));
        samples.resize(needed);
        const std::size_t got = reader.read(samples.data() + frames * channelCount, block, error);
        frames += got;
        more = got == block;
    }
    if (error.empty() && frames > maxFrames)
    {
        error = tooLong();
        return std::nullopt;
    }
    if (!error.empty())
    {
        error = "decoding failed after " + std::to_string(frames) + " frames: " + error;
        return std::nullopt;
    }
    samples.resize(frames * channelCount);
    error = reader.truncation(frames);
    if (!error.empty())
        return std::nullopt;
    if (frames == 0 && reader.frameCount() > 0)
    {
        error = "the file holds no decodable audio";
        return std::nullopt;
    }
    return sound;
}

std::optional<DecodedSound> decodeFile(const std::filesystem::path& filename, std::string& error)
{
    return decode([&](detail::SoundFileReader& reader) { return reader.open(filename, error); }, error);
}
} // namespace

SoundBuffer::SoundBuffer(const std::filesystem::path& filename)
{
    std::string error;
    std::optional<DecodedSound> sound = decodeFile(filename, error);
    if (!sound)
        throw Exception("cannot load the sound", filename.string(), error);
    m_samples = std::move(sound->samples);
    m_channelCount = sound->channelCount;
    m_sampleRate = sound->sampleRate;
    m_channelMap = std::move(sound->channelMap);
}

SoundBuffer::SoundBuffer(const SoundBuffer& other)
    : m_samples(other.m_samples), m_sampleRate(other.m_sampleRate), m_channelCount(other.m_channelCount),
      m_channelMap(other.m_channelMap)
{
}

SoundBuffer& SoundBuffer::operator=(const SoundBuffer& other)
{
    if (this != &other)
    {
        stopAttachedSounds();
        {
            const std::lock_guard lock(m_soundsMutex);
            m_converted.reset();
        }
        m_samples = other.m_samples;
        m_sampleRate = other.m_sampleRate;
        m_channelCount = other.m_channelCount;
        m_channelMap = other.m_channelMap;
    }
    return *this;
}

SoundBuffer::~SoundBuffer()
{
    // Sounds still pointing here would read freed memory; cut them loose.
    std::set<Sound*> sounds;
    {
        std::lock_guard lock(m_soundsMutex);
        sounds.swap(m_sounds);
    }
    for (Sound* sound : sounds)
        sound->detachBuffer();
}

bool SoundBuffer::loadFromFile(const std::filesystem::path& filename)
{
    std::string error;
    std::optional<DecodedSound> sound = decodeFile(filename, error);
    if (!sound)
    {
        reportDiagnostic("cannot load the sound", filename.string(), error);
        return false;
    }
    replaceContents(std::move(sound->samples), sound->channelCount, sound->sampleRate, std::move(sound->channelMap));
    return true;
}

bool SoundBuffer::loadFromMemory(const void* data, std::size_t size)
{
    std::string error;
    std::optional<DecodedSound> sound =
        decode([&](detail::SoundFileReader& reader) { return reader.openFromMemory(data, size, error); }, error);
    if (!sound)
    {
        reportDiagnostic("cannot load the sound", "memory", error);
        return false;
    }
    replaceContents(std::move(sound->samples), sound->channelCount, sound->sampleRate, std::move(sound->channelMap));
    return true;
}

bool SoundBuffer::loadFromSamples(const std::int16_t* samples, std::size_t sampleCount, unsigned int channelCount,
                                  unsigned int sampleRate, const std::vector<SoundChannel>& channelMap)
{
    if (channelCount == 0 || channelCount > MaxChannelCount || !isSupportedSampleRate(sampleRate) ||
        (sampleCount > 0 && samples == nullptr) || sampleCount % channelCount != 0)
    {
        reportDiagnostic("cannot load a sound buffer from samples", {},
                         std::to_string(sampleCount) + " samples cannot make a sound of " +
                             std::to_string(channelCount) + " channels at " + std::to_string(sampleRate) +
                             " Hz (supported: 1 to " + std::to_string(MaxChannelCount) + " channels at " +
                             std::to_string(MinSampleRate) + " to " + std::to_string(MaxSampleRate) + " Hz)");
        return false;
    }
    if (channelMap.size() != channelCount)
    {
        reportDiagnostic("cannot load a sound buffer from samples", {},
                         "the channel map names " + std::to_string(channelMap.size()) + " channels for a sound of " +
                             std::to_string(channelCount));
        return false;
    }
    replaceContents(std::vector<std::int16_t>(samples, samples + sampleCount), channelCount, sampleRate, channelMap);
    return true;
}

void SoundBuffer::replaceContents(std::vector<std::int16_t> samples, unsigned int channelCount, unsigned int sampleRate,
                                  std::vector<SoundChannel> channelMap)
{
    // The sounds playing this buffer read its samples: they stop before the samples change.
    stopAttachedSounds();
    {
        const std::lock_guard lock(m_soundsMutex);
        m_converted.reset();
    }
    m_samples = std::move(samples);
    m_channelCount = channelCount;
    m_sampleRate = sampleRate;
    m_channelMap = std::move(channelMap);
}

bool SoundBuffer::saveToFile(const std::filesystem::path& filename) const
{
    std::string error;
    if (!detail::writeSoundFile(filename, m_samples.data(), m_samples.size(), m_channelCount, m_sampleRate, error))
    {
        reportDiagnostic("cannot save the sound", filename.string(), error);
        return false;
    }
    return true;
}

Time SoundBuffer::getDuration() const
{
    if (m_sampleRate == 0 || m_channelCount == 0)
        return Time::Zero;
    return microseconds(detail::microsecondsAt(m_samples.size() / m_channelCount, m_sampleRate));
}

void SoundBuffer::attach(Sound* sound) const
{
    std::lock_guard lock(m_soundsMutex);
    m_sounds.insert(sound);
}

void SoundBuffer::detach(Sound* sound) const
{
    std::lock_guard lock(m_soundsMutex);
    m_sounds.erase(sound);
}

void SoundBuffer::stopAttachedSounds() const
{
    std::set<Sound*> sounds;
    {
        std::lock_guard lock(m_soundsMutex);
        sounds = m_sounds;
    }
    for (Sound* sound : sounds)
        sound->stop();
}
std::shared_ptr<const std::vector<std::int16_t>> SoundBuffer::samplesAt(unsigned int sampleRate) const
{
    if (sampleRate == m_sampleRate)
        return nullptr;
    const std::lock_guard lock(m_soundsMutex);
    if (!m_converted || m_convertedRate != sampleRate)
    {
        m_converted = std::make_shared<const std::vector<std::int16_t>>(detail::resampleBuffer(
            m_samples.data(), m_samples.size() / m_channelCount, m_channelCount, m_sampleRate, sampleRate));
        m_convertedRate = sampleRate;
    }
    return m_converted;
}
} // namespace mivra

#include "SoundFile.hpp"
#include "SampleConversion.hpp"

#include <mivra/Audio/AudioLimits.hpp>

#include "System/detail/FileReading.hpp"
#include "System/detail/ReplacingFile.hpp"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace mivra::detail
{
namespace
{
SoundChannel fromSndfile(int channel)
{
    switch (channel)
    {
    case SF_CHANNEL_MAP_MONO: return SoundChannel::Mono;
    case SF_CHANNEL_MAP_LEFT:
    case SF_CHANNEL_MAP_FRONT_LEFT: return SoundChannel::FrontLeft;
    case SF_CHANNEL_MAP_RIGHT:
    case SF_CHANNEL_MAP_FRONT_RIGHT: return SoundChannel::FrontRight;
    case SF_CHANNEL_MAP_CENTER:
    case SF_CHANNEL_MAP_FRONT_CENTER: return SoundChannel::FrontCenter;
    case SF_CHANNEL_MAP_FRONT_LEFT_OF_CENTER: return SoundChannel::FrontLeftOfCenter;
    case SF_CHANNEL_MAP_FRONT_RIGHT_OF_CENTER: return SoundChannel::FrontRightOfCenter;
    case SF_CHANNEL_MAP_LFE: return SoundChannel::LowFrequencyEffects;
    case SF_CHANNEL_MAP_REAR_LEFT: return SoundChannel::BackLeft;
    case SF_CHANNEL_MAP_REAR_RIGHT: return SoundChannel::BackRight;
    case SF_CHANNEL_MAP_REAR_CENTER: return SoundChannel::BackCenter;
    case SF_CHANNEL_MAP_SIDE_LEFT: return SoundChannel::SideLeft;
    case SF_CHANNEL_MAP_SIDE_RIGHT: return SoundChannel::SideRight;
    case SF_CHANNEL_MAP_TOP_CENTER: return SoundChannel::TopCenter;
    case SF_CHANNEL_MAP_TOP_FRONT_LEFT: return SoundChannel::TopFrontLeft;
    case SF_CHANNEL_MAP_TOP_FRONT_RIGHT: return SoundChannel::TopFrontRight;
    case SF_CHANNEL_MAP_TOP_FRONT_CENTER: return SoundChannel::TopFrontCenter;
    case SF_CHANNEL_MAP_TOP_REAR_LEFT: return SoundChannel::TopBackLeft;
    case SF_CHANNEL_MAP_TOP_REAR_RIGHT: return SoundChannel::TopBackRight;
    case SF_CHANNEL_MAP_TOP_REAR_CENTER: return SoundChannel::TopBackCenter;
    default: return SoundChannel::Unspecified;
    }
}

std::string lowerExtension(const std::filesystem::path& filename)
{
    std::string extension = filename.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// How far into an MP3 file its Xing or Info header is looked for.
constexpr std::size_t mp3HeadSize = 16384;

// Frames the Xing or Info header at the start of an MP3 file promises, or 0 when it has none.
std::uint64_t mp3PromisedFrames(const std::vector<unsigned char>& head)
{
    std::size_t pos = 0;
    if (head.size() >= 10 && head[0] == 'I' && head[1] == 'D' && head[2] == '3')
    {
        const std::size_t tag = (std::size_t{head[6]} << 21) | (std::size_t{head[7]} << 14) |
                                (std::size_t{head[8]} << 7) | std::size_t{head[9]};
        pos = 10 + tag;
    }
    while (pos + 4 <= head.size() && !(head[pos] == 0xff && (head[pos + 1] & 0xe0) == 0xe0))
        ++pos;
    if (pos + 4 > head.size())
        return 0;
    const bool mpeg1 = (head[pos + 1] & 0x18) == 0x18;
    const std::uint64_t framesPerFrame = mpeg1 ? 1152 : 576;
    for (std::size_t at = pos + 4; at + 12 <= std::min(head.size(), pos + 200); ++at)
    {
        if (std::memcmp(&head[at], "Xing", 4) != 0 && std::memcmp(&head[at], "Info", 4) != 0)
            continue;
        const std::uint32_t flags = (std::uint32_t{head[at + 4]} << 24) | (std::uint32_t{head[at + 5]} << 16) |
                                    (std::uint32_t{head[at + 6]} << 8) | head[at + 7];
        if (!(flags & 1))
            return 0;
        const std::uint32_t frames = (std::uint32_t{head[at + 8]} << 24) | (std::uint32_t{head[at + 9]} << 16) |
                                     (std::uint32_t{head[at + 10]} << 8) | head[at + 11];
        return frames * framesPerFrame;
    }
    return 0;
}

// The same from the start of an open file, leaving its position where it is.
std::uint64_t mp3PromisedFrames(int handle)
{
    std::vector<unsigned char> head(mp3HeadSize);
    const ssize_t got = ::pread(handle, head.data(), head.size(), 0);
    head.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return mp3PromisedFrames(head);
}

// libsndfile's virtual I/O over bytes in memory, read-only.
sf_count_t memoryLength(void* user)
{
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->size);
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user)
{
    auto& memory = *static_cast<MemoryFile*>(user);
    const auto size = static_cast<sf_count_t>(memory.size);
    sf_count_t base = 0;
    if (whence == SEEK_CUR)
        base = memory.position;
    else if (whence == SEEK_END)
        base = size;
    else if (whence != SEEK_SET)
        return -1;
    // Offsets come from the file's own headers: keep the sum from overflowing.
    if ((offset > 0 && base > std::numeric_limits<sf_count_t>::max() - offset) || base + offset < 0)
        return -1;
    memory.position = std::min(base + offset, size);
    return memory.position;
}

sf_count_t memoryRead(void* destination, sf_count_t count, void* user)
{
    auto& memory = *static_cast<MemoryFile*>(user);
    const sf_count_t left = static_cast<sf_count_t>(memory.size) - memory.position;
    const sf_count_t n = std::max<sf_count_t>(0, std::min(count, left));
    if (n > 0)
        std::memcpy(destination, memory.data + memory.position, static_cast<std::size_t>(n));
    memory.position += n;
    return n;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t memoryTell(void* user)
{
    return static_cast<MemoryFile*>(user)->position;
}

// libsndfile's virtual I/O over a file being written. Some of its encoders (MP3) drop write errors,
// so every write goes through here and the first failure is kept for after the close.
struct WrittenFile
{
    int handle{-1};
    int error{0};
};

sf_count_t writtenLength(void* user)
{
    struct stat status
    {};
    return ::fstat(static_cast<WrittenFile*>(user)->handle, &status) == 0 ? status.st_size : -1;
}

sf_count_t writtenSeek(sf_count_t offset, int whence, void* user)
{
    return ::lseek(static_cast<WrittenFile*>(user)->handle, offset, whence);
}

sf_count_t writtenRead(void* destination, sf_count_t count, void* user)
{
    const ssize_t got = ::read(static_cast<WrittenFile*>(user)->handle, destination, static_cast<std::size_t>(count));
    return got < 0 ? 0 : got;
}

sf_count_t writtenWrite(const void* source, sf_count_t count, void* user)
{
    auto& file = *static_cast<WrittenFile*>(user);
    const auto* bytes = static_cast<const char*>(source);
    sf_count_t done = 0;
    while (done < count)
    {
        const ssize_t written = ::write(file.handle, bytes + done, static_cast<std::size_t>(count - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
        {
            if (file.error == 0)
                file.error = written < 0 ? errno : ENOSPC;
            break;
        }
        done += written;
    }
    return done;
}

sf_count_t writtenTell(void* user)
{
    return ::lseek(static_cast<WrittenFile*>(user)->handle, 0, SEEK_CUR);
}
} // namespace

std::vector<SoundChannel> defaultChannelMap(unsigned int channelCount)
{
    static const SoundChannel order[] = {
        SoundChannel::FrontLeft, SoundChannel::FrontRight, SoundChannel::FrontCenter, SoundChannel::LowFrequencyEffects,
        SoundChannel::BackLeft,  SoundChannel::BackRight,  SoundChannel::SideLeft,    SoundChannel::SideRight};
    if (channelCount == 1)
        return {SoundChannel::Mono};
    std::vector<SoundChannel> map;
    for (unsigned int i = 0; i < channelCount; ++i)
        map.push_back(i < std::size(order) ? order[i] : SoundChannel::Unspecified);
    return map;
}

SoundFileReader::~SoundFileReader()
{
    close();
}

bool SoundFileReader::open(const std::filesystem::path& filename, std::string& error)
{
    m_name = filename.string();
    close();
    // Opened here rather than by libsndfile, so that a device or a FIFO is refused before it is read
    // (/dev/zero would decode as endless raw audio). Music streams files of any length: no size cap.
    ReadableFile source = openRegularFile(filename, std::numeric_limits<std::uint64_t>::max(), error);
    if (!source.isOpen())
        return false;
    SF_INFO info{};
    SNDFILE* file = sf_open_fd(source.handle(), SFM_READ, &info, SF_FALSE);
    if (!file)
    {
        error = sf_strerror(nullptr);
        return false;
    }
    if (!adopt(file, &info, error))
        return false;
    if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG)
        m_promisedFrames = mp3PromisedFrames(source.handle());
    m_source = std::move(source);
    return true;
}

bool SoundFileReader::openFromMemory(const void* data, std::size_t size, std::string& error)
{
    m_name = "memory";
    close();
    if (!data || size == 0)
    {
        error = "no data";
        return false;
    }
    m_memory = std::make_unique<MemoryFile>();
    m_memory->data = static_cast<const unsigned char*>(data);
    m_memory->size = size;
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, m_memory.get());
    if (!file)
    {
        error = sf_strerror(nullptr);
        m_memory.reset();
        return false;
    }
    if (!adopt(file, &info, error))
        return false;
    if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG)
        m_promisedFrames =
            mp3PromisedFrames(std::vector<unsigned char>(m_memory->data, m_memory->data + std::min(size, mp3HeadSize)));
    return true;
}

void SoundFileReader::close()
{
    if (m_file)
        sf_close(reinterpret_cast<SNDFILE*>(m_file));
    m_file = nullptr;
    m_memory.reset();
    m_source = ReadableFile();
}

bool SoundFileReader::adopt(sf_private_tag* handle, const void* header, std::string& error)
{
    auto* file = reinterpret_cast<SNDFILE*>(handle);
    const SF_INFO& info = *static_cast<const SF_INFO*>(header);
    if (info.channels <= 0 || static_cast<unsigned int>(info.channels) > MaxChannelCount || info.samplerate <= 0 ||
        !isSupportedSampleRate(static_cast<unsigned int>(info.samplerate)) || info.frames < 0)
    {
        sf_close(file);
        m_memory.reset();
        error = "its format is damaged or unsupported (" + std::to_string(info.channels) + " channels, " +
                std::to_string(info.samplerate) + " samples per second; supported are 1 to " +
                std::to_string(MaxChannelCount) + " channels at " + std::to_string(MinSampleRate) + " to " +
                std::to_string(MaxSampleRate) + ")";
        return false;
    }
    m_file = reinterpret_cast<sf_private_tag*>(file);
    m_channelCount = static_cast<unsigned int>(info.channels);
    m_sampleRate = static_cast<unsigned int>(info.samplerate);
    m_frameCount = static_cast<std::uint64_t>(info.frames);
    const int major = info.format & SF_FORMAT_TYPEMASK;
    m_headerProblem.clear();
    m_promisedFrames = 0;
    if (major == SF_FORMAT_WAV || major == SF_FORMAT_AIFF || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64)
    {
        // libsndfile trims the length to what is there and notes the header's claim in its log as
        // "data : <claimed> (should be <actual>)".
        std::string log(4096, '\0');
        sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
        std::size_t at = 0;
        while ((at = log.find('\n', at)) != std::string::npos)
        {
            ++at;
            unsigned long long claimed = 0, actual = 0;
            if ((log.compare(at, 4, "data") == 0 || log.compare(at, 4, "SSND") == 0) &&
                std::sscanf(log.c_str() + at + 4, " : %llu (should be %llu)", &claimed, &actual) == 2 &&
                claimed > actual && claimed < 0x7fffffffull)
            {
                m_headerProblem = "the file is cut short: its header promises " + std::to_string(claimed) +
                                  " bytes of audio, it holds " + std::to_string(actual);
            }
        }
    }
    // Lossy decoders and float files produce floats that may overshoot full scale: convert those
    // ourselves, with clipping (libsndfile's own clipping conversion is about twice as slow).
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    m_readFloats = major == SF_FORMAT_OGG || major == SF_FORMAT_MPEG || subtype == SF_FORMAT_FLOAT ||
                   subtype == SF_FORMAT_DOUBLE || subtype == SF_FORMAT_VORBIS || subtype == SF_FORMAT_OPUS;

    std::vector<int> map(m_channelCount);
    if (sf_command(file, SFC_GET_CHANNEL_MAP_INFO, map.data(), static_cast<int>(map.size() * sizeof(int))) == SF_TRUE)
    {
        m_channelMap.clear();
        for (int channel : map)
            m_channelMap.push_back(fromSndfile(channel));
    }
    else
    {
        m_channelMap = defaultChannelMap(m_channelCount);
    }
    return true;
}

std::size_t SoundFileReader::read(std::int16_t* samples, std::size_t frameCount, std::string& error)
{
    if (!m_file)
        return 0;
    auto* file = reinterpret_cast<SNDFILE*>(m_file);
    if (!m_readFloats)
    {
        const sf_count_t got = sf_readf_short(file, samples, static_cast<sf_count_t>(frameCount));
        // Only a short read can be a failure; the end of the file is one too, without an error.
        if (got < static_cast<sf_count_t>(frameCount) && sf_error(file) != SF_ERR_NO_ERROR)
            error = sf_strerror(file);
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    constexpr std::size_t blockFrames = 4096;
    m_floats.resize(blockFrames * m_channelCount);
    std::size_t done = 0;
    while (done < frameCount)
    {
        const std::size_t want = std::min(blockFrames, frameCount - done);
        const sf_count_t got = sf_readf_float(file, m_floats.data(), static_cast<sf_count_t>(want));
        if (got <= 0)
            break;
        std::int16_t* out = samples + done * m_channelCount;
        const std::size_t count = static_cast<std::size_t>(got) * m_channelCount;
        for (std::size_t i = 0; i < count; ++i)
            out[i] = toSample(m_floats[i]);
        done += static_cast<std::size_t>(got);
        if (static_cast<std::size_t>(got) < want)
            break;
    }
    if (done < frameCount && sf_error(file) != SF_ERR_NO_ERROR)
        error = sf_strerror(file);
    return done;
}

std::size_t SoundFileReader::readFloats(float* samples, std::size_t frameCount, std::string& error)
{
    if (!m_file)
        return 0;
    auto* file = reinterpret_cast<SNDFILE*>(m_file);
    const sf_count_t got = sf_readf_float(file, samples, static_cast<sf_count_t>(frameCount));
    if (got < static_cast<sf_count_t>(frameCount) && sf_error(file) != SF_ERR_NO_ERROR)
        error = sf_strerror(file);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

void SoundFileReader::seek(std::uint64_t frame)
{
    if (!m_file)
        return;
    frame = std::min(frame, m_frameCount);
    sf_seek(reinterpret_cast<SNDFILE*>(m_file), static_cast<sf_count_t>(frame), SEEK_SET);
}

std::string SoundFileReader::truncation(std::uint64_t decodedFrames) const
{
    if (!m_headerProblem.empty())
        return m_headerProblem;
    // Decoders drop the encoder's delay and padding: up to two MP3 frames and a bit.
    constexpr std::uint64_t slack = 2 * 1152 + 1105;
    if (m_promisedFrames > slack && decodedFrames + slack < m_promisedFrames)
        return "the file is cut short: " + std::to_string(decodedFrames) + " of " + std::to_string(m_promisedFrames) +
               " frames could be decoded";
    return {};
}

bool writeSoundFile(const std::filesystem::path& filename, const std::int16_t* samples, std::size_t sampleCount,
                    unsigned int channelCount, unsigned int sampleRate, std::string& error)
{
    const std::string extension = lowerExtension(filename);
    int format = 0;
    bool throughFloat = false;
    if (extension == ".wav")
        format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    else if (extension == ".flac")
        format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    else if (extension == ".ogg")
        format = SF_FORMAT_OGG | SF_FORMAT_VORBIS, throughFloat = true;
    else if (extension == ".mp3")
        // libsndfile's 16-bit MP3 path garbles stereo; its float path is sound.
        format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, throughFloat = true;
    else
    {
        error = extension.empty() ? "the file name has no extension to choose a format by"
                                  : "\"" + extension + "\" is not a known sound format (.wav, .ogg, .flac, .mp3)";
        return false;
    }
    if (channelCount == 0 || channelCount > MaxChannelCount || !isSupportedSampleRate(sampleRate))
    {
        error = std::to_string(channelCount) + " channels at " + std::to_string(sampleRate) +
                " samples per second are outside what can be saved";
        return false;
    }

    SF_INFO info{};
    info.channels = static_cast<int>(channelCount);
    info.samplerate = static_cast<int>(sampleRate);
    info.format = format;
    if (!sf_format_check(&info))
    {
        error = "this format cannot hold " + std::to_string(channelCount) + " channels at " +
                std::to_string(sampleRate) + " samples per second";
        return false;
    }
    // Written beside the target and renamed over it once complete: a failure leaves the old file.
    ReplacingFile target(filename);
    if (!target.isOpen())
    {
        error = target.failure();
        return false;
    }
    WrittenFile written{target.handle()};
    SF_VIRTUAL_IO io{writtenLength, writtenSeek, writtenRead, writtenWrite, writtenTell};
    SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, &written);
    if (!file)
    {
        error = sf_strerror(nullptr);
        return false;
    }
    const auto frames = static_cast<sf_count_t>(sampleCount / channelCount);
    sf_count_t framesWritten = 0;
    if (throughFloat)
    {
        constexpr sf_count_t block = 4096;
        std::vector<float> converted;
        while (framesWritten < frames)
        {
            const sf_count_t count = std::min(block, frames - framesWritten);
            converted.resize(static_cast<std::size_t>(count) * channelCount);
            const std::int16_t* from = samples + static_cast<std::size_t>(framesWritten) * channelCount;
            for (std::size_t i = 0; i < converted.size(); ++i)
                converted[i] = static_cast<float>(from[i]) / 32768.f;
            const sf_count_t done = sf_writef_float(file, converted.data(), count);
            if (done != count)
                break;
            framesWritten += done;
        }
    }
    else
    {
        framesWritten = sf_writef_short(file, samples, frames);
    }
    const bool complete = framesWritten == frames;
    if (!complete)
        error = std::string("cannot write the file: ") + sf_strerror(file);
    // Closing writes the header's final sizes and what the encoder still holds.
    const int closed = sf_close(file);
    if (written.error != 0)
        error = "cannot write the file: " + describeError(written.error);
    else if (closed != 0 && complete)
        error = std::string("cannot write the file: ") + sf_error_number(closed);
    if (!error.empty())
        return false;
    if (!target.commit())
    {
        error = target.failure();
        return false;
    }
    return true;
}
} // namespace mivra::detail

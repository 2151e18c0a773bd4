#include "AudioDevice.hpp"

#include "AlsaMessages.hpp"

#include <mivra/System/Diagnostics.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace mivra::detail
{
namespace
{
void SDLCALL outputCallback(void* userdata, Uint8* stream, int length)
{
    auto* device = static_cast<AudioDevice*>(userdata);
    const std::size_t frameBytes = device->format().channelCount * sizeof(std::int16_t);
    device->mix(reinterpret_cast<std::int16_t*>(stream), static_cast<std::size_t>(length) / frameBytes);
}

// With no sndio server to answer, libsndio opens the ALSA device itself and prints its failure on
// standard error, which the library cannot intercept; SDL's ALSA driver has tried that device
// already. So the sndio driver is tried only where a server may answer: one that AUDIODEVICE names,
// or a local one, whose sockets live in /tmp/sndio.
bool sndioServerMayAnswer()
{
    std::error_code ignored;
    return SDL_getenv("AUDIODEVICE") != nullptr || std::filesystem::exists("/tmp/sndio", ignored);
}
} // namespace

std::shared_ptr<AudioDevice> AudioDevice::get()
{
    // Built on first use, destroyed at exit or when the last sound, stream or recorder goes,
    // whichever is later.
    static const std::shared_ptr<AudioDevice> instance(new AudioDevice);
    return instance;
}

AudioDevice::AudioDevice()
{
    m_mixBuffer.resize(m_bufferFrames * m_format.channelCount);
    // Starting audio brings SDL's event queue up, and with it handlers that turn SIGINT and SIGTERM
    // into a quit event; a console program reads no events, so Ctrl+C would no longer end it.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    silenceAlsaMessages();
    m_sdlAudio = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    std::string reason = m_sdlAudio ? std::string() : SDL_GetError();
    if (m_sdlAudio && !openSdlOutput())
        reason = SDL_GetError();
    if (m_id != 0)
    {
        SDL_PauseAudioDevice(m_id, 0);
        return;
    }
    reportDiagnostic("cannot open an audio output device", {}, reason + "; sounds play on a silent null output");
    m_nullThread = std::thread([this] { runNullOutput(); });
}

AudioDevice::~AudioDevice()
{
    if (m_id != 0)
        SDL_CloseAudioDevice(m_id);
    if (m_nullThread.joinable())
    {
        m_quit = true;
        m_nullThread.join();
    }
    if (m_sdlAudio)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool AudioDevice::openSdlOutput()
{
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(m_format.sampleRate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(m_format.channelCount);
    wanted.samples = static_cast<Uint16>(m_bufferFrames);
    wanted.callback = outputCallback;
    wanted.userdata = this;
    // SDL converts to whatever the hardware wants; the mixer always sees the same format.
    const auto open = [&] {
        SDL_AudioSpec obtained{};
        m_id = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
        return m_id != 0;
    };
    if (open())
        return true;

    // A driver named by the user is the user's choice; otherwise try every other driver compiled in,
    // leaving out the ones that write files or only pretend.
    if (SDL_getenv("SDL_AUDIODRIVER") != nullptr)
        return false;
    const std::string reason = SDL_GetError();
    const char* current = SDL_GetCurrentAudioDriver();
    const std::string original = current ? current : "";
    for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i)
    {
        const std::string name = SDL_GetAudioDriver(i);
        if (name == original || name == "disk" || name == "dummy" || (name == "sndio" && !sndioServerMayAnswer()))
            continue;
        if (SDL_AudioInit(name.c_str()) == 0 && open())
            return true;
    }
    // Capture keeps working through SDL's own choice of driver.
    if (!original.empty())
        SDL_AudioInit(original.c_str());
    SDL_SetError("%s", reason.c_str());
    return false;
}

void AudioDevice::runNullOutput()
{
    using Clock = std::chrono::steady_clock;
    std::vector<std::int16_t> scratch(m_bufferFrames * m_format.channelCount);
    const auto start = Clock::now();
    std::uint64_t done = 0;
    while (!m_quit)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
        const auto due = static_cast<std::uint64_t>(elapsed) * m_format.sampleRate / 1'000'000;
        while (done < due && !m_quit)
        {
            const auto frames = static_cast<std::size_t>(std::min<std::uint64_t>(due - done, m_bufferFrames));
            mix(scratch.data(), frames);
            done += frames;
        }
    }
}

void AudioDevice::addVoice(const std::shared_ptr<Voice>& voice)
{
    if (voice->inMixer)
        return;
    voice->inMixer = true;
    m_voices.push_back(voice);
}

void AudioDevice::removeVoice(Voice& voice)
{
    if (!voice.inMixer)
        return;
    voice.inMixer = false;
    std::erase_if(m_voices, [&](const std::shared_ptr<Voice>& v) { return v.get() == &voice; });
}

void AudioDevice::mix(std::int16_t* out, std::size_t frameCount)
{
    const std::size_t sampleCount = frameCount * m_format.channelCount;
    {
        std::lock_guard lock(m_mutex);
        if (m_mixBuffer.size() < sampleCount)
            m_mixBuffer.resize(sampleCount);
        std::fill_n(m_mixBuffer.begin(), sampleCount, 0.f);
        for (std::size_t i = 0; i < m_voices.size();)
        {
            Voice& voice = *m_voices[i];
            if (voice.status == SoundSource::Status::Playing)
            {
                voice.render(m_mixBuffer.data(), frameCount);
                if (voice.finished())
                {
                    voice.status = SoundSource::Status::Stopped;
                    voice.rewind();
                }
            }
            if (voice.status == SoundSource::Status::Stopped)
            {
                voice.inMixer = false;
                m_voices.erase(m_voices.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            ++i;
        }
    }
    for (std::size_t i = 0; i < sampleCount; ++i)
    {
        const float value = std::nearbyint(m_mixBuffer[i] * 32768.f);
        out[i] = static_cast<std::int16_t>(std::clamp(value, -32768.f, 32767.f));
    }
    m_consumed.notify_all();
}
} // namespace mivra::detail

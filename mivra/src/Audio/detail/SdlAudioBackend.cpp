#include "SdlAudioBackend.hpp"

#include "AlsaMessages.hpp"

#include <SDL.h>

#include <filesystem>
#include <system_error>

namespace mivra::detail
{
namespace
{
// With no sndio server to answer, libsndio opens the ALSA device itself and prints its failure on
// standard error, which the library cannot intercept; SDL's ALSA driver has tried that device
// already. So the sndio driver is tried only where a server may answer: one that AUDIODEVICE names,
// or a local one, whose sockets live in /tmp/sndio.
bool sndioServerMayAnswer()
{
    std::error_code ignored;
    return SDL_getenv("AUDIODEVICE") != nullptr || std::filesystem::exists("/tmp/sndio", ignored);
}

// The name SDL gives the default device of one direction; empty when it gives none.
std::string defaultDeviceName(int capture)
{
    char* name = nullptr;
    SDL_AudioSpec spec{};
    if (SDL_GetDefaultAudioInfo(&name, &spec, capture) != 0 || !name)
        return {};
    std::string result = name;
    SDL_free(name);
    return result;
}

class SdlStream : public BackendStream
{
public:
    SdlStream(std::string name, RenderFunction render) : m_render(std::move(render)) { m_name = std::move(name); }
    SdlStream(std::string name, CaptureFunction capture) : m_capture(std::move(capture)) { m_name = std::move(name); }
    ~SdlStream() override
    {
        // Returns once SDL's thread has left the callback for good.
        if (m_id != 0)
            SDL_CloseAudioDevice(m_id);
    }

    void start() override { SDL_PauseAudioDevice(m_id, 0); }
    [[nodiscard]] bool lost() const override { return SDL_GetAudioDeviceStatus(m_id) == SDL_AUDIO_STOPPED; }

    // Opens the device; false with SDL's error set when it cannot.
    bool open(const char* device, int capture, SDL_AudioSpec wanted)
    {
        wanted.callback = capture ? captureCallback : outputCallback;
        wanted.userdata = this;
        SDL_AudioSpec obtained{};
        m_id = SDL_OpenAudioDevice(device, capture, &wanted, &obtained, 0);
        m_frameSamples = wanted.channels;
        return m_id != 0;
    }

private:
    static void SDLCALL outputCallback(void* userdata, Uint8* stream, int length)
    {
        auto* self = static_cast<SdlStream*>(userdata);
        const std::size_t frameBytes = self->m_frameSamples * sizeof(std::int16_t);
        self->m_render(reinterpret_cast<std::int16_t*>(stream), static_cast<std::size_t>(length) / frameBytes);
        if (self->lost())
            self->reportLoss();
    }
    static void SDLCALL captureCallback(void* userdata, Uint8* stream, int length)
    {
        auto* self = static_cast<SdlStream*>(userdata);
        self->m_capture(reinterpret_cast<const std::int16_t*>(stream),
                        static_cast<std::size_t>(length) / sizeof(std::int16_t));
    }

    RenderFunction m_render;
    CaptureFunction m_capture;
    SDL_AudioDeviceID m_id{0};
    std::size_t m_frameSamples{1};
};
} // namespace

SdlAudioBackend::SdlAudioBackend()
{
    // Starting audio brings SDL's event queue up, and with it handlers that turn SIGINT and SIGTERM
    // into a quit event; a console program reads no events, so Ctrl+C would no longer end it.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    silenceAlsaMessages();
    m_ready = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!m_ready)
        m_initError = SDL_GetError();
}

SdlAudioBackend::~SdlAudioBackend()
{
    if (m_ready)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

OpenedStream SdlAudioBackend::openOutput(const OutputFormat& format, std::size_t bufferFrames, RenderFunction render,
                                         OutputSearch search)
{
    if (!m_ready)
        return {nullptr, m_initError};
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(format.sampleRate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(format.channelCount);
    wanted.samples = static_cast<Uint16>(bufferFrames);
    // SDL converts to whatever the hardware wants; the mixer always sees the same format.
    const auto open = [&]() -> std::unique_ptr<BackendStream> {
        std::string name = defaultDeviceName(0);
        auto stream = std::make_unique<SdlStream>(name.empty() ? "default output device" : name, render);
        if (!stream->open(nullptr, 0, wanted))
            return nullptr;
        return stream;
    };
    if (auto stream = open())
        return {std::move(stream), {}};
    OpenedStream failed{nullptr, SDL_GetError()};

    // A driver named by the user is the user's choice; otherwise try every other driver compiled in,
    // leaving out the ones that write files or only pretend. Only before anything is open: starting
    // another driver closes every device of the current one.
    if (search == OutputSearch::CurrentDriver || SDL_getenv("SDL_AUDIODRIVER") != nullptr)
        return failed;
    const char* current = SDL_GetCurrentAudioDriver();
    const std::string original = current ? current : "";
    for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i)
    {
        const std::string name = SDL_GetAudioDriver(i);
        if (name == original || name == "disk" || name == "dummy" || (name == "sndio" && !sndioServerMayAnswer()))
            continue;
        if (SDL_AudioInit(name.c_str()) == 0)
            if (auto stream = open())
                return {std::move(stream), {}};
    }
    // Capture keeps working through SDL's own choice of driver.
    if (!original.empty())
        SDL_AudioInit(original.c_str());
    return failed;
}

std::unique_ptr<BackendStream> SdlAudioBackend::openCapture(const std::string& deviceName, unsigned int sampleRate,
                                                            unsigned int channelCount, std::size_t bufferFrames,
                                                            CaptureFunction capture, std::string& error)
{
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(sampleRate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(channelCount);
    wanted.samples = static_cast<Uint16>(bufferFrames);
    std::string name = deviceName.empty() ? defaultDeviceName(1) : deviceName;
    auto stream = std::make_unique<SdlStream>(name.empty() ? "default capture device" : name, std::move(capture));
    if (!stream->open(deviceName.empty() ? nullptr : deviceName.c_str(), 1, wanted))
    {
        error = SDL_GetError();
        return nullptr;
    }
    return stream;
}

std::vector<std::string> SdlAudioBackend::captureDevices()
{
    std::vector<std::string> names;
    if (!m_ready)
        return names;
    const int count = SDL_GetNumAudioDevices(1);
    for (int i = 0; i < count; ++i)
    {
        if (const char* name = SDL_GetAudioDeviceName(i, 1))
            names.emplace_back(name);
    }
    return names;
}

std::string SdlAudioBackend::defaultCaptureDevice()
{
    return m_ready ? defaultDeviceName(1) : std::string();
}
} // namespace mivra::detail

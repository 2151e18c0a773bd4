#include "NullAudioBackend.hpp"

#include <algorithm>
#include <chrono>

namespace mivra::detail
{
namespace
{
using Clock = std::chrono::steady_clock;

// Frames due since `start` at `rate`.
std::uint64_t framesDue(Clock::time_point start, unsigned int rate)
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
    return static_cast<std::uint64_t>(elapsed) * rate / 1'000'000;
}
// Takes the device `name` out of `devices`; its open streams report lost() from then on.
template <typename Stream>
void takeAway(std::vector<std::string>& devices, const std::vector<Stream*>& openStreams, const std::string& name)
{
    std::erase(devices, name);
    for (Stream* stream : openStreams)
        if (stream->name() == name)
            stream->markLost();
}
} // namespace

SilentOutput::SilentOutput(std::string name, const OutputFormat& format, std::size_t bufferFrames,
                           RenderFunction render)
    : m_format(format), m_bufferFrames(bufferFrames), m_render(std::move(render))
{
    m_name = std::move(name);
}

SilentOutput::~SilentOutput()
{
    stopThread();
}

void SilentOutput::stopThread()
{
    m_quit = true;
    if (m_thread.joinable())
        m_thread.join();
}

void SilentOutput::start()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
}

void SilentOutput::run()
{
    std::vector<std::int16_t> scratch(m_bufferFrames * m_format.channelCount);
    const auto start = Clock::now();
    std::uint64_t done = 0;
    while (!m_quit)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const std::uint64_t due = framesDue(start, m_format.sampleRate);
        while (done < due && !m_quit)
        {
            const auto frames = static_cast<std::size_t>(std::min<std::uint64_t>(due - done, m_bufferFrames));
            m_render(scratch.data(), frames);
            done += frames;
            m_rendered += frames;
        }
    }
}

class NullAudioBackend::NullOutput : public SilentOutput
{
public:
    NullOutput(NullAudioBackend& backend, std::string name, const OutputFormat& format, std::size_t bufferFrames,
               RenderFunction render)
        : SilentOutput(std::move(name), format, bufferFrames, std::move(render)), m_backend(backend)
    {
        const std::lock_guard lock(m_backend.m_mutex);
        m_backend.m_openOutputs.push_back(this);
    }
    ~NullOutput() override
    {
        stopThread();
        const std::lock_guard lock(m_backend.m_mutex);
        std::erase(m_backend.m_openOutputs, this);
        m_backend.m_renderedByClosed[name()] += renderedFrames();
    }

private:
    NullAudioBackend& m_backend;
};

class NullAudioBackend::NullCapture : public BackendStream
{
public:
    NullCapture(NullAudioBackend& backend, std::string name, unsigned int sampleRate, unsigned int channelCount,
                std::size_t bufferFrames, CaptureFunction capture)
        : m_backend(backend), m_sampleRate(sampleRate), m_channelCount(channelCount), m_bufferFrames(bufferFrames),
          m_capture(std::move(capture))
    {
        m_name = std::move(name);
        const std::lock_guard lock(m_backend.m_mutex);
        m_backend.m_openCaptures.push_back(this);
    }
    ~NullCapture() override
    {
        {
            const std::lock_guard lock(m_backend.m_mutex);
            std::erase(m_backend.m_openCaptures, this);
        }
        m_quit = true;
        if (m_thread.joinable())
            m_thread.join();
    }

    void start() override
    {
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    [[nodiscard]] bool lost() const override { return m_lost; }
    void markLost() { m_lost = true; }

private:
    void run()
    {
        std::vector<std::int16_t> batch;
        const auto start = Clock::now();
        std::uint64_t done = 0;
        while (!m_quit)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            while (done + m_bufferFrames <= framesDue(start, m_sampleRate) && !m_quit)
            {
                // Like SDL's, a device gone away goes on calling back, with silence.
                batch.assign(m_bufferFrames * m_channelCount, m_lost ? std::int16_t{0} : CapturedValue);
                m_capture(batch.data(), batch.size());
                done += m_bufferFrames;
            }
        }
    }

    NullAudioBackend& m_backend;
    unsigned int m_sampleRate;
    unsigned int m_channelCount;
    std::size_t m_bufferFrames;
    CaptureFunction m_capture;
    std::atomic<bool> m_lost{false};
    std::atomic<bool> m_quit{false};
    std::thread m_thread;
};

NullAudioBackend::NullAudioBackend() = default;
NullAudioBackend::~NullAudioBackend() = default;

std::unique_ptr<BackendStream> NullAudioBackend::openOutput(const OutputFormat& format, std::size_t bufferFrames,
                                                            RenderFunction render, bool /*firstOpen*/,
                                                            std::string& error)
{
    std::string name;
    {
        const std::lock_guard lock(m_mutex);
        if (m_outputs.empty())
        {
            error = "no output device is present";
            return nullptr;
        }
        name = m_outputs.front();
    }
    return std::make_unique<NullOutput>(*this, name, format, bufferFrames, std::move(render));
}

std::unique_ptr<BackendStream> NullAudioBackend::openCapture(const std::string& deviceName, unsigned int sampleRate,
                                                             unsigned int channelCount, std::size_t bufferFrames,
                                                             CaptureFunction capture, std::string& error)
{
    std::string name;
    {
        const std::lock_guard lock(m_mutex);
        if (m_captures.empty() ||
            (!deviceName.empty() && std::find(m_captures.begin(), m_captures.end(), deviceName) == m_captures.end()))
        {
            error = "no such capture device";
            return nullptr;
        }
        name = deviceName.empty() ? m_captures.front() : deviceName;
    }
    return std::make_unique<NullCapture>(*this, name, sampleRate, channelCount, bufferFrames, std::move(capture));
}

std::vector<std::string> NullAudioBackend::captureDevices()
{
    const std::lock_guard lock(m_mutex);
    return m_captures;
}

std::string NullAudioBackend::defaultCaptureDevice()
{
    const std::lock_guard lock(m_mutex);
    return m_captures.empty() ? std::string() : m_captures.front();
}

void NullAudioBackend::setOutputDevices(std::vector<std::string> names)
{
    const std::lock_guard lock(m_mutex);
    m_outputs = std::move(names);
}

void NullAudioBackend::setCaptureDevices(std::vector<std::string> names)
{
    const std::lock_guard lock(m_mutex);
    m_captures = std::move(names);
}

void NullAudioBackend::removeOutputDevice(const std::string& name)
{
    const std::lock_guard lock(m_mutex);
    takeAway(m_outputs, m_openOutputs, name);
}

void NullAudioBackend::removeCaptureDevice(const std::string& name)
{
    const std::lock_guard lock(m_mutex);
    takeAway(m_captures, m_openCaptures, name);
}

std::uint64_t NullAudioBackend::renderedFrames(const std::string& name)
{
    const std::lock_guard lock(m_mutex);
    std::uint64_t total = m_renderedByClosed[name];
    for (const NullOutput* output : m_openOutputs)
        if (output->name() == name)
            total += output->renderedFrames();
    return total;
}

NullAudioBackend& nullAudioBackend()
{
    static NullAudioBackend instance;
    return instance;
}
} // namespace mivra::detail

#include "NullAudioBackend.hpp"

#include <algorithm>

namespace mivra::detail
{
namespace
{
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
        : m_backend(backend), m_sampleRate(sampleRate), m_bufferFrames(bufferFrames),
          m_batch(bufferFrames * channelCount), m_capture(std::move(capture))
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
        m_thread.stop();
    }

    void start() override
    {
        m_thread.start(m_sampleRate, m_bufferFrames, [this] {
            // Like SDL's, a device gone away goes on calling back, with silence.
            std::fill(m_batch.begin(), m_batch.end(), m_lost ? std::int16_t{0} : CapturedValue);
            m_capture(m_batch.data(), m_batch.size());
        });
    }
    [[nodiscard]] bool lost() const override { return m_lost; }
    void markLost()
    {
        m_lost = true;
        reportLoss();
    }

private:
    NullAudioBackend& m_backend;
    unsigned int m_sampleRate;
    std::size_t m_bufferFrames;
    std::vector<std::int16_t> m_batch;
    CaptureFunction m_capture;
    std::atomic<bool> m_lost{false};
    PacedThread m_thread;
};

NullAudioBackend::NullAudioBackend() = default;
NullAudioBackend::~NullAudioBackend() = default;

OpenedStream NullAudioBackend::openOutput(const OutputFormat& format, std::size_t bufferFrames, RenderFunction render,
                                          OutputSearch /*search*/)
{
    std::string name;
    {
        const std::lock_guard lock(m_mutex);
        if (m_outputs.empty())
            return {nullptr, "no output device is present"};
        name = m_outputs.front();
    }
    return {std::make_unique<NullOutput>(*this, name, format, bufferFrames, std::move(render)), {}};
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

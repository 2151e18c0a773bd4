#include "OutputFollower.hpp"

#include "SilentOutput.hpp"

#include <mivra/System/Diagnostics.hpp>

#include <chrono>

namespace mivra::detail
{
namespace
{
constexpr const char* SilentOutputName = "silent null output";
}

OutputFollower::OutputFollower(AudioBackend& backend, const OutputFormat& format, std::size_t bufferFrames,
                               RenderFunction render)
    : m_backend(backend), m_format(format), m_bufferFrames(bufferFrames), m_render(std::move(render))
{
    {
        const std::lock_guard lock(m_outputMutex);
        OpenedStream opened = open(OutputSearch::EveryDriver);
        if (!opened.stream)
        {
            reportDiagnostic("cannot open an audio output device", {},
                             opened.failure + "; sounds play on a silent null output");
            opened.stream = silentOutput();
        }
        playOn(std::move(opened.stream));
    }
    m_thread = std::thread([this] { follow(); });
}

OutputFollower::~OutputFollower()
{
    {
        const std::lock_guard lock(m_signalMutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
    m_output.reset();
}

OpenedStream OutputFollower::open(OutputSearch search)
{
    OpenedStream opened = m_backend.openOutput(m_format, m_bufferFrames, m_render, search);
    if (opened.stream)
        opened.stream->setLossHandler([this] { signalLoss(); });
    return opened;
}

std::unique_ptr<BackendStream> OutputFollower::silentOutput()
{
    return std::make_unique<SilentOutput>(SilentOutputName, m_format, m_bufferFrames, m_render);
}

void OutputFollower::playOn(std::unique_ptr<BackendStream> output)
{
    // The old output is closed before the new one starts, so that the render never runs on two
    // threads.
    m_output.reset();
    m_output = std::move(output);
    m_output->start();
}

std::string OutputFollower::outputName()
{
    const std::lock_guard lock(m_outputMutex);
    return m_output ? m_output->name() : std::string();
}

void OutputFollower::signalLoss()
{
    {
        const std::lock_guard lock(m_signalMutex);
        m_lossSignalled = true;
    }
    m_wake.notify_all();
}

void OutputFollower::follow()
{
    // Only this thread changes it: on the silent output because every device had gone.
    bool silentAfterLoss = false;
    for (;;)
    {
        {
            std::unique_lock lock(m_signalMutex);
            const auto woken = [&] { return m_quit || m_lossSignalled; };
            if (silentAfterLoss)
                m_wake.wait_for(lock, std::chrono::milliseconds(RetryMilliseconds), woken);
            else
                m_wake.wait(lock, woken);
            if (m_quit)
                return;
            m_lossSignalled = false;
        }
        const std::lock_guard lock(m_outputMutex);
        if (silentAfterLoss)
        {
            // A device came back (or was added): play there again, without a word.
            if (OpenedStream opened = open(OutputSearch::CurrentDriver); opened.stream)
            {
                playOn(std::move(opened.stream));
                silentAfterLoss = false;
            }
            continue;
        }
        // A signal from an output already replaced is stale.
        if (!m_output->lost())
            continue;
        const std::string lostName = m_output->name();
        m_output.reset();
        OpenedStream opened = open(OutputSearch::CurrentDriver);
        silentAfterLoss = !opened.stream;
        playOn(opened.stream ? std::move(opened.stream) : silentOutput());
        reportDiagnostic("the audio output device went away", lostName,
                         silentAfterLoss ? "sounds play on through a silent null output"
                                         : "sounds play on through " + m_output->name());
    }
}
} // namespace mivra::detail

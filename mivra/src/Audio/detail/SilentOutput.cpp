#include "SilentOutput.hpp"

namespace mivra::detail
{
SilentOutput::SilentOutput(std::string name, const OutputFormat& format, std::size_t bufferFrames,
                           RenderFunction render)
    : m_format(format), m_bufferFrames(bufferFrames), m_render(std::move(render)),
      m_scratch(bufferFrames * format.channelCount)
{
    m_name = std::move(name);
}

void SilentOutput::start()
{
    m_thread.start(m_format.sampleRate, m_bufferFrames, [this] {
        m_render(m_scratch.data(), m_bufferFrames);
        m_rendered += m_bufferFrames;
    });
}

void SilentOutput::markLost()
{
    m_lost = true;
    reportLoss();
}
} // namespace mivra::detail

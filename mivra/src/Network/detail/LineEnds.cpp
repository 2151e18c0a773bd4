#include "Network/detail/LineEnds.hpp"

namespace mivra::detail
{
std::string_view AsciiDecoder::convert(const char* data, std::size_t size)
{
    m_out.clear();
    for (std::size_t i = 0; i < size; ++i)
    {
        const char c = data[i];
        if (m_pendingCr)
        {
            m_pendingCr = false;
            if (c != '\n')
                m_out.push_back('\r');
        }
        if (c == '\r')
            m_pendingCr = true;
        else
            m_out.push_back(c);
    }
    return m_out;
}

std::string_view AsciiDecoder::finish()
{
    m_out.clear();
    if (m_pendingCr)
        m_out.push_back('\r');
    m_pendingCr = false;
    return m_out;
}

std::string_view AsciiEncoder::convert(const char* data, std::size_t size)
{
    m_out.clear();
    for (std::size_t i = 0; i < size; ++i)
    {
        const char c = data[i];
        if (c == '\n' && !m_lastWasCr)
            m_out.push_back('\r');
        m_out.push_back(c);
        m_lastWasCr = c == '\r';
    }
    return m_out;
}
} // namespace mivra::detail

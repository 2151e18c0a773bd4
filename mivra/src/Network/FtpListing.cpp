#include <mivra/Network/FtpListing.hpp>

#include <cstring>
#include <utility>

namespace mivra
{
FtpListing::FtpListing(std::string text) : m_text(std::move(text))
{
    // Names move towards the front over the bytes already read: the line ends they lose keep the
    // writing position behind the reading one.
    std::size_t out = 0;
    std::size_t lineStart = 0;
    const auto endLine = [&] {
        if (out > lineStart && m_text[out - 1] == '\r')
            --out;
        if (out == lineStart)
            return false;
        lineStart = out + 1;
        ++m_count;
        return true;
    };
    for (std::size_t in = 0; in < m_text.size(); ++in)
    {
        if (m_text[in] != '\n')
            m_text[out++] = m_text[in];
        else if (endLine())
            m_text[out++] = '\n';
    }
    // The last line may lack its line end, which then has no room of its own.
    const bool unterminated = endLine();
    m_text.resize(out);
    if (unterminated)
        m_text.push_back('\n');
}

FtpListing::Iterator FtpListing::begin() const
{
    return Iterator(m_text.data(), m_text.data() + m_text.size());
}

FtpListing::Iterator FtpListing::end() const
{
    const char* const last = m_text.data() + m_text.size();
    return Iterator(last, last);
}

FtpListing::Iterator::Iterator(const char* position, const char* end) : m_end(end)
{
    // Every name ends in a line feed, so only the end position has none after it.
    const std::size_t left = static_cast<std::size_t>(end - position);
    const auto* lineEnd = left == 0 ? nullptr : static_cast<const char*>(std::memchr(position, '\n', left));
    m_name = std::string_view(position, lineEnd ? static_cast<std::size_t>(lineEnd - position) : 0);
}

FtpListing::Iterator& FtpListing::Iterator::operator++()
{
    *this = Iterator(m_name.data() + m_name.size() + 1, m_end);
    return *this;
}

FtpListing::Iterator FtpListing::Iterator::operator++(int)
{
    Iterator previous = *this;
    ++*this;
    return previous;
}
} // namespace mivra

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mivra::detail
{
// Network text (CRLF line ends) to local text (LF). A CR at the end of one piece waits for the
// next, which tells whether it starts a line end.
class AsciiDecoder
{
public:
    // The converted piece, valid until the next call.
    std::string_view convert(const char* data, std::size_t size);
    // What is still held back once the text has ended: a lone CR, or nothing.
    std::string_view finish();

private:
    std::string m_out;
    bool m_pendingCr{};
};

// Local text (LF) to network text (CRLF); line ends already in CRLF form stay as they are.
class AsciiEncoder
{
public:
    // The converted piece, valid until the next call.
    std::string_view convert(const char* data, std::size_t size);

private:
    std::string m_out;
    bool m_lastWasCr{};
};
} // namespace mivra::detail

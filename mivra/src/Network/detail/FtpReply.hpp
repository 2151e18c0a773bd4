#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The parsers of what an FTP server says on the control connection: pure functions over the bytes
// received, which read nothing outside the view they are given and end on any content.

namespace mivra::detail
{
// A reply as it comes in on the control connection, possibly in pieces.
struct FtpReply
{
    enum class State
    {
        Incomplete, // the reply has not fully arrived
        Complete,
        Malformed, // the first line is not "<3 digits>[ -]..."
        TooLong    // the reply runs past the size limit
    };

    State state{State::Incomplete};
    int code{};
    std::string message;    // the text after the code, separator included; lines joined with "\n"
    std::size_t consumed{}; // bytes of the buffer the reply took, line ends included
};

inline constexpr std::size_t MaxFtpReplySize = 64 * 1024;

// Parses the reply at the start of buffer. Lines end in CRLF (a bare LF is accepted). A
// multi-line reply begins "xyz-" and ends with a line beginning "xyz " (or "xyz" alone) with the
// same code; the lines between are free text.
FtpReply parseFtpReply(std::string_view buffer, std::size_t maxSize = MaxFtpReplySize);

// The address and port of a 227 reply's "h1,h2,h3,h4,p1,p2"; empty when malformed or port 0.
struct PassiveTarget
{
    std::uint32_t address; // host byte order
    unsigned short port;
};
std::optional<PassiveTarget> parsePassiveReply(std::string_view message);
// The port of a 229 reply's "(|||port|)"; empty when malformed or 0.
std::optional<unsigned short> parseExtendedPassiveReply(std::string_view message);
// The size of a 213 reply to SIZE; empty when it is not a plain number.
std::optional<std::uint64_t> parseSizeReply(std::string_view message);
} // namespace mivra::detail

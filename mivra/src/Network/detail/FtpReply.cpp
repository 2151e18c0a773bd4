#include "Network/detail/FtpReply.hpp"

#include <charconv>

namespace mivra::detail
{
namespace
{
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// True when line starts with code followed by a space or nothing: the last line of a reply.
bool endsReply(std::string_view line, std::string_view code)
{
    return line.substr(0, 3) == code && (line.size() == 3 || line[3] == ' ');
}
} // namespace

FtpReply parseFtpReply(std::string_view buffer, std::size_t maxSize)
{
    FtpReply reply;
    std::size_t position = 0;
    std::string_view code;
    for (;;)
    {
        const std::size_t end = buffer.find('\n', position);
        if (end == std::string_view::npos || end + 1 > maxSize)
        {
            // A line is judged once it has ended, the first one too: until then it may still
            // become anything, and waiting for it is bounded by the size limit and the time-out.
            reply.state = buffer.size() > maxSize ? FtpReply::State::TooLong : FtpReply::State::Incomplete;
            return reply;
        }
        std::string_view line = buffer.substr(position, end - position);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        position = end + 1;

        if (code.empty())
        {
            if (line.size() < 3 || line[0] < '1' || line[0] > '5' || !isDigit(line[1]) || !isDigit(line[2]) ||
                (line.size() > 3 && line[3] != ' ' && line[3] != '-'))
            {
                reply.state = FtpReply::State::Malformed;
                return reply;
            }
            code = line.substr(0, 3);
            reply.code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
            reply.message = std::string(line.substr(3));
            if (line.size() == 3 || line[3] == ' ')
                break;
            continue;
        }
        reply.message += '\n';
        reply.message += line;
        if (endsReply(line, code))
            break;
    }
    reply.state = FtpReply::State::Complete;
    reply.consumed = position;
    return reply;
}

std::optional<PassiveTarget> parsePassiveReply(std::string_view message)
{
    // "Entering Passive Mode (h1,h2,h3,h4,p1,p2)"; some servers omit the parentheses.
    std::size_t start = message.find('(');
    if (start == std::string_view::npos)
        start = message.find_first_of("0123456789");
    else
        ++start;
    if (start == std::string_view::npos)
        return std::nullopt;

    unsigned values[6]{};
    const char* cursor = message.data() + start;
    const char* const last = message.data() + message.size();
    for (int i = 0; i < 6; ++i)
    {
        while (cursor < last && *cursor == ' ')
            ++cursor;
        const auto [next, error] = std::from_chars(cursor, last, values[i]);
        if (error != std::errc{} || values[i] > 255)
            return std::nullopt;
        cursor = next;
        if (i < 5)
        {
            if (cursor >= last || *cursor != ',')
                return std::nullopt;
            ++cursor;
        }
    }
    const auto port = static_cast<unsigned short>(values[4] * 256 + values[5]);
    if (port == 0)
        return std::nullopt;
    return PassiveTarget{values[0] << 24 | values[1] << 16 | values[2] << 8 | values[3], port};
}

std::optional<unsigned short> parseExtendedPassiveReply(std::string_view message)
{
    // "Entering Extended Passive Mode (|||port|)": the delimiter is the first character inside.
    const std::size_t open = message.find('(');
    if (open == std::string_view::npos || open + 5 > message.size())
        return std::nullopt;
    const char delimiter = message[open + 1];
    if (message[open + 2] != delimiter || message[open + 3] != delimiter)
        return std::nullopt;
    unsigned port = 0;
    const char* first = message.data() + open + 4;
    const char* const last = message.data() + message.size();
    const auto [next, error] = std::from_chars(first, last, port);
    if (error != std::errc{} || next >= last || *next != delimiter || port == 0 || port > 65535)
        return std::nullopt;
    return static_cast<unsigned short>(port);
}

std::optional<std::uint64_t> parseSizeReply(std::string_view message)
{
    while (!message.empty() && message.front() == ' ')
        message.remove_prefix(1);
    while (!message.empty() && (message.back() == ' ' || message.back() == '\r'))
        message.remove_suffix(1);
    std::uint64_t size = 0;
    const auto [next, error] = std::from_chars(message.data(), message.data() + message.size(), size);
    if (error != std::errc{} || message.empty() || next != message.data() + message.size())
        return std::nullopt;
    return size;
}
} // namespace mivra::detail

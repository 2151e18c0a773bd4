// The FTP control connection's reply stream: bytes arrive in chunks chosen by the input and are
// parsed as the client does, one reply at a time. A reply must be judged the same whatever the
// chunking, complete only once its closing line has come, and what the PASV, EPSV and SIZE parsers
// take from it must be what the text says.
#include "Network/detail/FtpReply.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace
{
using mivra::detail::FtpReply;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool sameReply(const FtpReply& a, const FtpReply& b)
{
    return a.state == b.state && a.code == b.code && a.message == b.message && a.consumed == b.consumed;
}

// The six numbers of "h1,h2,h3,h4,p1,p2" as written, each 0..255, spaces allowed before each; read
// here one character at a time to compare with the parser.
std::optional<std::array<unsigned, 6>> passiveNumbers(std::string_view message)
{
    std::size_t at = message.find('(');
    at = at == std::string_view::npos ? message.find_first_of("0123456789") : at + 1;
    if (at == std::string_view::npos)
        return std::nullopt;
    std::array<unsigned, 6> numbers{};
    for (std::size_t k = 0; k < 6; ++k)
    {
        while (at < message.size() && message[at] == ' ')
            ++at;
        std::size_t digits = 0;
        unsigned value = 0;
        while (at < message.size() && message[at] >= '0' && message[at] <= '9')
        {
            value = std::min(value * 10 + static_cast<unsigned>(message[at] - '0'), 1000u);
            ++at, ++digits;
        }
        if (digits == 0 || value > 255)
            return std::nullopt;
        numbers[k] = value;
        if (k < 5 && (at >= message.size() || message[at++] != ','))
            return std::nullopt;
    }
    return numbers;
}

void checkPassive(std::string_view message)
{
    const auto target = mivra::detail::parsePassiveReply(message);
    const auto written = passiveNumbers(message);
    const bool usable = written && (*written)[4] * 256 + (*written)[5] != 0;
    check(target.has_value() == usable);
    if (!target)
        return;
    const std::uint32_t a = target->address;
    check((a >> 24) == (*written)[0] && ((a >> 16) & 255) == (*written)[1] && ((a >> 8) & 255) == (*written)[2] &&
          (a & 255) == (*written)[3]);
    check(target->port != 0 && target->port == (*written)[4] * 256 + (*written)[5]);
}

void checkExtendedPassive(std::string_view message)
{
    const auto port = mivra::detail::parseExtendedPassiveReply(message);
    if (!port)
        return;
    check(*port != 0);
    // The port is the number closed by the delimiter that opened the parentheses.
    const std::size_t open = message.find('(');
    check(open != std::string_view::npos && open + 1 < message.size());
    const std::string closed = std::to_string(*port) + message[open + 1];
    check(message.find(closed, open + 4) != std::string_view::npos);
}

void checkSize(std::string_view message)
{
    const auto size = mivra::detail::parseSizeReply(message);
    if (!size)
        return;
    // A plain number between blanks: its digits, leading zeros aside, are the value's.
    std::string_view digits = message;
    while (!digits.empty() && digits.front() == ' ')
        digits.remove_prefix(1);
    while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\r'))
        digits.remove_suffix(1);
    check(!digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }));
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    check(digits == std::to_string(*size));
}

void checkComplete(std::string_view buffer, const FtpReply& reply, std::size_t maxSize)
{
    check(reply.consumed > 0 && reply.consumed <= buffer.size() && reply.consumed <= maxSize);
    check(buffer[reply.consumed - 1] == '\n');
    check(reply.code >= 100 && reply.code <= 599);
    check(buffer.substr(0, 3) == std::to_string(reply.code));
    const std::string_view taken = buffer.substr(0, reply.consumed);
    const std::size_t lines = static_cast<std::size_t>(std::count(taken.begin(), taken.end(), '\n'));
    check(static_cast<std::size_t>(std::count(reply.message.begin(), reply.message.end(), '\n')) == lines - 1);
    if (lines == 1)
        check(buffer[3] != '-');
    else
    {
        // Only a closing line with the same code ends a multi-line reply.
        check(buffer[3] == '-');
        std::string_view last = taken.substr(0, taken.size() - 1);
        last = last.substr(last.rfind('\n') + 1);
        if (!last.empty() && last.back() == '\r')
            last.remove_suffix(1);
        check(last.substr(0, 3) == buffer.substr(0, 3) && (last.size() == 3 || last[3] == ' '));
    }
    // What follows the reply does not change it, and without its last line end it is not complete.
    check(sameReply(mivra::detail::parseFtpReply(taken, maxSize), reply));
    check(mivra::detail::parseFtpReply(taken.substr(0, taken.size() - 1), maxSize).state ==
          FtpReply::State::Incomplete);
    checkPassive(reply.message);
    checkExtendedPassive(reply.message);
    checkSize(reply.message);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    static constexpr std::size_t limits[] = {mivra::detail::MaxFtpReplySize, 8, 64, 512};
    const std::size_t maxSize = limits[data[0] & 3];
    const std::size_t chunkCount = std::min<std::size_t>(data[1] % 8, size - 2);
    const std::uint8_t* chunkSizes = data + 2;
    const std::string_view stream(reinterpret_cast<const char*>(data + 2 + chunkCount), size - 2 - chunkCount);

    // The value parsers also see raw text, framed or not.
    checkPassive(stream);
    checkExtendedPassive(stream);
    checkSize(stream);

    std::string received;
    std::size_t delivered = 0;
    std::size_t start = 0; // where the reply being parsed begins in the stream
    for (std::size_t chunk = 0; delivered < stream.size(); ++chunk)
    {
        const std::size_t length = chunk < chunkCount ? chunkSizes[chunk] + 1u : stream.size() - delivered;
        const std::size_t taken = std::min(length, stream.size() - delivered);
        received.append(stream.substr(delivered, taken));
        delivered += taken;

        for (;;)
        {
            const FtpReply reply = mivra::detail::parseFtpReply(received, maxSize);
            const FtpReply whole = mivra::detail::parseFtpReply(stream.substr(start), maxSize);
            if (reply.state == FtpReply::State::Complete)
            {
                checkComplete(received, reply, maxSize);
                check(sameReply(whole, reply));
                received.erase(0, reply.consumed);
                start += reply.consumed;
                continue;
            }
            if (reply.state == FtpReply::State::Incomplete)
            {
                check(received.size() <= maxSize && reply.consumed == 0);
                check(whole.state != FtpReply::State::Complete || whole.consumed > received.size());
                break;
            }
            // Malformed and too long are final: the client gives up on the connection.
            if (reply.state == FtpReply::State::Malformed)
                check(whole.state == FtpReply::State::Malformed);
            else
            {
                check(received.size() > maxSize);
                check(mivra::detail::parseFtpReply(std::string_view(received).substr(0, maxSize), maxSize).state ==
                      FtpReply::State::Incomplete);
            }
            return 0;
        }
    }
    return 0;
}

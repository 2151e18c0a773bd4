#include "Network/detail/FtpLocalReplies.hpp"

#include <sstream>

namespace mivra::detail
{
Ftp::Response notConnected()
{
    return Ftp::Response(Ftp::Response::ConnectionClosed, " Not connected to a server");
}

Ftp::Response unexpectedReply(std::string_view command, const Ftp::Response& reply)
{
    if (!reply.isOk())
        return reply;
    return Ftp::Response(Ftp::Response::InvalidResponse, " Unexpected reply to " + std::string(command) + ": \"" +
                                                             std::to_string(reply.getStatus()) + reply.getMessage() +
                                                             "\"");
}

bool isPreliminary(const Ftp::Response& reply)
{
    return reply.getStatus() >= 100 && reply.getStatus() < 200;
}

std::string secondsText(Time time)
{
    std::ostringstream text;
    text << time.asSeconds() << " s";
    return text.str();
}

std::string quoted(const std::filesystem::path& path)
{
    return '"' + path.string() + '"';
}
} // namespace mivra::detail

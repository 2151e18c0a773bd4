#include <mivra/Network/Ftp.hpp>

#include "Network/detail/FtpLocalReplies.hpp"
#include "Network/detail/FtpReply.hpp"
#include "Network/detail/SocketImpl.hpp"

#include <poll.h>

#include <algorithm>

namespace mivra
{
Ftp::Response Ftp::fail(Response::Status status, const std::string& message)
{
    m_control.disconnect();
    m_received.clear();
    return Response(status, message);
}

Ftp::Response Ftp::getResponse()
{
    char buffer[4096];
    for (;;)
    {
        const detail::FtpReply reply = detail::parseFtpReply(m_received);
        switch (reply.state)
        {
            case detail::FtpReply::State::Complete:
                m_received.erase(0, reply.consumed);
                return Response(static_cast<Response::Status>(reply.code), reply.message);
            case detail::FtpReply::State::Malformed:
            {
                std::string line = m_received.substr(0, std::min<std::size_t>(m_received.find('\n'), 80));
                while (!line.empty() && line.back() == '\r')
                    line.pop_back();
                return fail(Response::InvalidResponse, " Malformed reply from the server: \"" + line + "\"");
            }
            case detail::FtpReply::State::TooLong:
                return fail(Response::InvalidResponse, " The server's reply exceeds " +
                                                           std::to_string(detail::MaxFtpReplySize) + " bytes");
            case detail::FtpReply::State::Incomplete:
                break;
        }

        if (m_control.getNativeHandle() == -1)
            return detail::notConnected();
        if (detail::waitUntilReady(m_control.getNativeHandle(), POLLIN, m_timeout) <= 0)
            return fail(Response::ConnectionClosed,
                        " No reply from the server within " + detail::secondsText(m_timeout));
        std::size_t received = 0;
        const Socket::Status status = m_control.receive(buffer, sizeof(buffer), received);
        if (status == Socket::Status::Disconnected)
            return fail(Response::ConnectionClosed, " The server closed the connection");
        if (status != Socket::Status::Done)
            return fail(Response::ConnectionClosed, " The connection to the server failed");
        m_received.append(buffer, received);
    }
}

Ftp::Response Ftp::sendCommand(const std::string& command, const std::string& parameter)
{
    if (command.find_first_of("\r\n") != std::string::npos || parameter.find_first_of("\r\n") != std::string::npos)
        return Response(Response::InvalidFile, " A command or name must not contain a line break");
    if (m_control.getNativeHandle() == -1)
        return detail::notConnected();
    const std::string line = (parameter.empty() ? command : command + ' ' + parameter) + "\r\n";
    if (m_control.send(line.data(), line.size()) != Socket::Status::Done)
        return fail(Response::ConnectionClosed, " The connection to the server was lost");
    return getResponse();
}
} // namespace mivra

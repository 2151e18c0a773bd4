#include <mivra/Network/Ftp.hpp>

#include "Network/detail/FtpLocalReplies.hpp"
#include "Network/detail/FtpReply.hpp"
#include "Network/detail/SocketImpl.hpp"

#include <poll.h>

#include <algorithm>

namespace mivra
{
namespace
{
// A server may say "wait" (1xx) a few times before its final reply; more is a server that stalls.
constexpr int MaxPreliminaryReplies = 3;
} // namespace

Ftp::Deadline Ftp::operationDeadline() const
{
    return detail::deadlineAfter(m_timeout);
}

Ftp::Response Ftp::fail(Response::Status status, const std::string& message)
{
    m_control.disconnect();
    m_received.clear();
    return Response(status, message);
}

Ftp::Response Ftp::getResponse(Deadline deadline)
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
        case detail::FtpReply::State::Malformed: {
            std::string line = m_received.substr(0, std::min<std::size_t>(m_received.find('\n'), 80));
            while (!line.empty() && line.back() == '\r')
                line.pop_back();
            return fail(Response::InvalidResponse, " Malformed reply from the server: \"" + line + "\"");
        }
        case detail::FtpReply::State::TooLong:
            return fail(Response::InvalidResponse,
                        " The server's reply exceeds " + std::to_string(detail::MaxFtpReplySize) + " bytes");
        case detail::FtpReply::State::Incomplete: break;
        }

        if (m_control.getNativeHandle() == -1)
            return detail::notConnected();
        // The reply as a whole must be in by the deadline: bytes trickling in do not extend it.
        const int ready = detail::waitUntil(m_control.getNativeHandle(), POLLIN, deadline);
        if (ready == 0)
            return fail(Response::ConnectionClosed,
                        " No complete reply from the server within " + detail::secondsText(m_timeout));
        std::size_t received = 0;
        const Socket::Status status = ready < 0 ? Socket::Status::Error
                                                : m_control.receive(buffer, sizeof(buffer), received);
        if (status == Socket::Status::NotReady)
            continue;
        if (status == Socket::Status::Disconnected)
            return fail(Response::ConnectionClosed, " The server closed the connection");
        if (status != Socket::Status::Done)
            return fail(Response::ConnectionClosed, " The connection to the server failed");
        m_received.append(buffer, received);
    }
}

Ftp::Response Ftp::getFinalResponse(Deadline deadline)
{
    for (int preliminary = 0;; ++preliminary)
    {
        Response response = getResponse(deadline);
        if (!detail::isPreliminary(response))
            return response;
        if (preliminary == MaxPreliminaryReplies)
            return fail(Response::InvalidResponse, " The server sent more than " +
                                                       std::to_string(MaxPreliminaryReplies) +
                                                       " preliminary replies in a row");
    }
}

Ftp::Response Ftp::command(const std::string& command, const std::string& parameter, Deadline deadline)
{
    if (command.find_first_of("\r\n") != std::string::npos || parameter.find_first_of("\r\n") != std::string::npos)
        return Response(Response::InvalidFile, " A command or name must not contain a line break");
    if (m_control.getNativeHandle() == -1)
        return detail::notConnected();
    const std::string line = (parameter.empty() ? command : command + ' ' + parameter) + "\r\n";
    // The control socket does not block: a server that stops reading holds a command no longer
    // than the operation's deadline.
    std::size_t offset = 0;
    while (offset < line.size())
    {
        std::size_t sent = 0;
        const Socket::Status status = m_control.send(line.data() + offset, line.size() - offset, sent);
        offset += sent;
        if (status == Socket::Status::Done)
            break;
        if (status != Socket::Status::Partial && status != Socket::Status::NotReady)
            return fail(Response::ConnectionClosed, " The connection to the server was lost");
        if (detail::waitUntil(m_control.getNativeHandle(), POLLOUT, deadline) <= 0)
            return fail(Response::ConnectionClosed,
                        " The server did not take the command within " + detail::secondsText(m_timeout));
    }
    return getResponse(deadline);
}

Ftp::Response Ftp::sendCommand(const std::string& command, const std::string& parameter)
{
    return this->command(command, parameter, operationDeadline());
}
} // namespace mivra

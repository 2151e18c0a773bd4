#include <mivra/Network/Ftp.hpp>

#include "Network/detail/FtpLocalReplies.hpp"
#include "Network/detail/FtpReply.hpp"
#include "Network/detail/SocketImpl.hpp"

#include <algorithm>

namespace mivra
{
Ftp::Response Ftp::connectData(unsigned short port, TcpSocket& data, Deadline deadline)
{
    // Only the port of a passive reply is taken: the address it names is either the peer's own, a
    // private one behind NAT that is reachable only as the peer anyway, or another host, to which
    // a hostile server could otherwise aim the client's uploads and downloads.
    const std::optional<IpAddress> peer = m_control.getRemoteAddress();
    if (!peer)
        return fail(Response::ConnectionClosed, " The connection to the server was lost");
    // What is left of the operation bounds the connection; a spent deadline still allows a moment,
    // as a zero time-out would mean none at all.
    const Time left = std::max(detail::remainingUntil(deadline), milliseconds(1));
    if (data.connect(*peer, port, left) == Socket::Status::Done)
        return Response(Response::Ok);
    return Response(Response::ConnectionFailed, " Cannot open the data connection to " + detail::describe(*peer, port));
}

Ftp::Response Ftp::setType(TransferMode mode, Deadline deadline)
{
    return command("TYPE", mode == TransferMode::Binary ? "I" : mode == TransferMode::Ascii ? "A" : "E", deadline);
}

Ftp::Response Ftp::openDataConnection(TcpSocket& data, Deadline deadline)
{
    Response response = command("PASV", "", deadline);
    if (response.getStatus() == Response::EnteringPassiveMode)
    {
        const auto target = detail::parsePassiveReply(response.getMessage());
        if (!target)
            return Response(Response::InvalidResponse,
                            " Invalid passive-mode reply: \"227" + response.getMessage() + "\"");
        return connectData(target->port, data, deadline);
    }
    if (response.getStatus() >= 500 && response.getStatus() < 600)
    {
        // PASV refused: the extended form names only a port, on the control connection's peer.
        Response extended = command("EPSV", "", deadline);
        if (extended.getStatus() != Response::EnteringExtendedPassiveMode)
            return detail::unexpectedReply("EPSV", extended);
        const auto port = detail::parseExtendedPassiveReply(extended.getMessage());
        if (!port)
            return Response(Response::InvalidResponse,
                            " Invalid extended passive-mode reply: \"229" + extended.getMessage() + "\"");
        return connectData(*port, data, deadline);
    }
    return detail::unexpectedReply("PASV", response);
}
} // namespace mivra

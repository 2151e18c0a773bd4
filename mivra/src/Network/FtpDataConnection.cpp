#include <mivra/Network/Ftp.hpp>

#include "Network/detail/FtpLocalReplies.hpp"
#include "Network/detail/FtpReply.hpp"
#include "Network/detail/SocketImpl.hpp"

namespace mivra
{
Ftp::Response Ftp::connectData(unsigned short port, TcpSocket& data)
{
    // Only the port of a passive reply is taken: the address it names is either the peer's own, a
    // private one behind NAT that is reachable only as the peer anyway, or another host, to which
    // a hostile server could otherwise aim the client's uploads and downloads.
    const std::optional<IpAddress> peer = m_control.getRemoteAddress();
    if (!peer)
        return fail(Response::ConnectionClosed, " The connection to the server was lost");
    if (data.connect(*peer, port, m_timeout) == Socket::Status::Done)
        return Response(Response::Ok);
    return Response(Response::ConnectionFailed,
                    " Cannot open the data connection to " + detail::describe(*peer, port));
}

Ftp::Response Ftp::setType(TransferMode mode)
{
    return sendCommand("TYPE", mode == TransferMode::Binary ? "I" : mode == TransferMode::Ascii ? "A" : "E");
}

Ftp::Response Ftp::openDataConnection(TcpSocket& data)
{
    Response response = sendCommand("PASV");
    if (response.getStatus() == Response::EnteringPassiveMode)
    {
        const auto target = detail::parsePassiveReply(response.getMessage());
        if (!target)
            return Response(Response::InvalidResponse,
                            " Invalid passive-mode reply: \"227" + response.getMessage() + "\"");
        return connectData(target->port, data);
    }
    if (response.getStatus() >= 500 && response.getStatus() < 600)
    {
        // PASV refused: the extended form names only a port, on the control connection's peer.
        Response extended = sendCommand("EPSV");
        if (extended.getStatus() != Response::EnteringExtendedPassiveMode)
            return detail::unexpectedReply("EPSV", extended);
        const auto port = detail::parseExtendedPassiveReply(extended.getMessage());
        if (!port)
            return Response(Response::InvalidResponse,
                            " Invalid extended passive-mode reply: \"229" + extended.getMessage() + "\"");
        return connectData(*port, data);
    }
    return detail::unexpectedReply("PASV", response);
}
} // namespace mivra

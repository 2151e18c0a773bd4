#pragma once

#include <mivra/Network/IpAddress.hpp>
#include <mivra/Network/Socket.hpp>

namespace mivra
{
class TcpSocket;

/// A socket that listens for TCP connections.
class TcpListener : public Socket
{
public:
    /// A listener not listening yet, blocking.
    TcpListener();


    /// Starts listening on a port (AnyPort lets the system choose one; getLocalPort tells which)
    /// of one local address, or of all of them with IpAddress::Any. The address is reusable at once
    /// after a previous listener closed. Stops any previous listening first.
    Status listen(unsigned short port, IpAddress address = IpAddress::Any);
    /// Stops listening.
    void close();

    /// Takes the next incoming connection into socket (closing what socket held); a blocking
    /// listener waits for one.
    Status accept(TcpSocket& socket);
};
} // namespace mivra

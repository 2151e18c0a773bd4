#pragma once

#include <mivra/Network/IpAddress.hpp>
#include <mivra/Network/Socket.hpp>

#include <cstddef>
#include <optional>
#include <vector>

namespace mivra
{
class Packet;

/// A UDP socket: datagrams to and from any peer.
class UdpSocket : public Socket
{
public:
    /// The largest datagram UDP over IPv4 can carry: 65535 bytes minus the IP and UDP headers.
    static constexpr std::size_t MaxDatagramSize = 65507;

    /// An unbound socket, blocking.
    UdpSocket();


    /// Binds to a port (AnyPort: a free one) of one local address or of all (IpAddress::Any).
    /// A port another socket holds is refused (Error). Unbinds first.
    Status bind(unsigned short port, IpAddress address = IpAddress::Any);
    /// Closes the socket; harmless when not bound.
    void unbind();

    /// Sends one datagram (at most MaxDatagramSize bytes). An unbound socket is first bound to a
    /// free port on every address, so that answers come back to it. `data` may be null only when
    /// `size` is 0 (asserted). Error, reported through the diagnostics sink, when the system
    /// refuses.
    Status send(const void* data, std::size_t size, IpAddress remoteAddress, unsigned short remotePort);

    /// Receives one datagram with its sender's address and port. A datagram longer than size cannot
    /// be delivered whole: it is dropped and the result is Error (the buffer then holds its first
    /// size bytes, and received is size). The socket must be bound (or have sent). `data` must not
    /// be null and `size` not 0 (asserted).
    Status receive(void* data, std::size_t size, std::size_t& received, std::optional<IpAddress>& remoteAddress,
                   unsigned short& remotePort);

    /// A packet travels as one datagram holding exactly its bytes; receiving replaces the packet's
    /// contents.
    ///@{
    Status send(Packet& packet, IpAddress remoteAddress, unsigned short remotePort);
    Status receive(Packet& packet, std::optional<IpAddress>& remoteAddress, unsigned short& remotePort);
    ///@}

private:
    std::vector<std::byte> m_buffer; ///< receive buffer for packets
};
} // namespace mivra

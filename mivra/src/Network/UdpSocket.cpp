#include <mivra/Network/Packet.hpp>
#include <mivra/Network/UdpSocket.hpp>

#include "Network/detail/SocketImpl.hpp"

#include <sys/socket.h>

#include <cassert>
#include <cerrno>

namespace mivra
{
namespace
{
// A datagram socket has no connection to lose: anything but "try again later" is a failure, and
// is reported as one.
Socket::Status datagramFailure(int error, const std::string& what)
{
    if (detail::statusFromErrno(error) == Socket::Status::NotReady)
        return Socket::Status::NotReady;
    detail::reportError(what, error);
    return Socket::Status::Error;
}
} // namespace

UdpSocket::UdpSocket() : Socket(Type::Udp)
{
}

Socket::Status UdpSocket::bind(unsigned short port, IpAddress address)
{
    return openBound(address, port);
}

void UdpSocket::unbind()
{
    close();
}

Socket::Status UdpSocket::send(const void* data, std::size_t size, IpAddress remoteAddress, unsigned short remotePort)
{
    assert((data != nullptr || size == 0) && "UdpSocket::send: no data given for a non-zero size");
    if (data == nullptr && size != 0)
        return Status::Error;
    const std::string peer = detail::describe(remoteAddress, remotePort);
    if (size > MaxDatagramSize)
    {
        detail::reportError("cannot send a datagram of " + std::to_string(size) + " bytes to " + peer +
                            ": the limit is " + std::to_string(MaxDatagramSize));
        return Status::Error;
    }
    // Bind explicitly rather than letting sendto pick a port, so the port is known to
    // getLocalPort and stays the same for the answers.
    if (getNativeHandle() == -1 && bind(AnyPort, IpAddress::Any) != Status::Done)
        return Status::Error;

    const sockaddr_in address = detail::makeAddress(remoteAddress, remotePort);
    for (;;)
    {
        const ssize_t result = ::sendto(getNativeHandle(), data, size, MSG_NOSIGNAL,
                                        reinterpret_cast<const sockaddr*>(&address), sizeof(address));
        if (result >= 0)
            return Status::Done;
        const int error = errno;
        if (error == EINTR)
            continue;
        return datagramFailure(error, "cannot send a datagram to " + peer);
    }
}

Socket::Status UdpSocket::receive(void* data, std::size_t size, std::size_t& received,
                                  std::optional<IpAddress>& remoteAddress, unsigned short& remotePort)
{
    received = 0;
    remoteAddress.reset();
    remotePort = 0;
    assert(data != nullptr && size > 0 && "UdpSocket::receive: no buffer to receive into");
    if (data == nullptr || size == 0)
        return Status::Error;
    if (getNativeHandle() == -1)
    {
        detail::reportError("cannot receive: the UDP socket is not bound");
        return Status::Error;
    }
    for (;;)
    {
        sockaddr_in address{};
        socklen_t length = sizeof(address);
        // MSG_TRUNC makes the call return the datagram's real length, so a cut one is noticed.
        const ssize_t result = ::recvfrom(getNativeHandle(), data, size, MSG_TRUNC,
                                          reinterpret_cast<sockaddr*>(&address), &length);
        if (result >= 0)
        {
            remoteAddress = detail::addressOf(address);
            remotePort = ntohs(address.sin_port);
            const auto length = static_cast<std::size_t>(result);
            if (length > size)
            {
                received = size;
                detail::reportError("dropped a datagram of " + std::to_string(length) + " bytes from " +
                                    detail::describe(*remoteAddress, remotePort) + ": the buffer holds " +
                                    std::to_string(size));
                return Status::Error;
            }
            received = length;
            return Status::Done;
        }
        const int error = errno;
        if (error == EINTR)
            continue;
        // An ICMP "port unreachable" for an earlier datagram surfaces here on Linux; it says nothing
        // about the next datagram, so the caller may simply receive again.
        return datagramFailure(error, "cannot receive a datagram");
    }
}

Socket::Status UdpSocket::send(Packet& packet, IpAddress remoteAddress, unsigned short remotePort)
{
    return send(packet.getData(), packet.getDataSize(), remoteAddress, remotePort);
}

Socket::Status UdpSocket::receive(Packet& packet, std::optional<IpAddress>& remoteAddress, unsigned short& remotePort)
{
    m_buffer.resize(MaxDatagramSize);
    std::size_t received = 0;
    const Status status = receive(m_buffer.data(), m_buffer.size(), received, remoteAddress, remotePort);
    packet.clear();
    if (status == Status::Done)
        packet.append(m_buffer.data(), received);
    return status;
}
} // namespace mivra

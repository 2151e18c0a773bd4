#include <mivra/Network/Packet.hpp>
#include <mivra/Network/TcpSocket.hpp>

#include "Network/detail/SocketImpl.hpp"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace mivra
{
namespace
{
// The first piece of a packet's payload is received into this much room, each further one into as
// much as has arrived so far.
constexpr std::size_t MinimumReceiveStep = 64 * 1024;

// Sends until all of `size` bytes went (0), or returns the errno that stopped it (EAGAIN when the
// socket would block); `sent` counts what went, from its value on entry.
int sendAll(int handle, const void* data, std::size_t size, std::size_t& sent, int flags)
{
    const auto* bytes = static_cast<const char*>(data);
    while (sent < size)
    {
        const ssize_t result = ::send(handle, bytes + sent, size - sent, flags);
        if (result >= 0)
            sent += static_cast<std::size_t>(result);
        else if (errno != EINTR)
            return errno;
    }
    return 0;
}

// The packet as it goes on the wire: its size, four bytes big-endian, then its bytes.
void frame(const Packet& packet, std::vector<std::byte>& bytes)
{
    const std::size_t size = packet.getDataSize();
    bytes.resize(4 + size);
    const auto length = static_cast<std::uint32_t>(size);
    for (std::size_t i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::byte>(length >> (24 - 8 * i));
    if (size > 0)
        std::memcpy(bytes.data() + 4, packet.getData(), size);
}
} // namespace

TcpSocket::TcpSocket() : Socket(Type::Tcp)
{
}

std::optional<IpAddress> TcpSocket::getRemoteAddress() const
{
    if (getNativeHandle() == -1)
        return std::nullopt;
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    if (::getpeername(getNativeHandle(), reinterpret_cast<sockaddr*>(&address), &length) == -1)
        return std::nullopt;
    return detail::addressOf(address);
}

unsigned short TcpSocket::getRemotePort() const
{
    if (getNativeHandle() == -1)
        return 0;
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    if (::getpeername(getNativeHandle(), reinterpret_cast<sockaddr*>(&address), &length) == -1)
        return 0;
    return ntohs(address.sin_port);
}

Socket::Status TcpSocket::connect(IpAddress remoteAddress, unsigned short remotePort, Time timeout)
{
    disconnect();
    if (!create())
        return Status::Error;

    const int handle = getNativeHandle();
    const std::string peer = detail::describe(remoteAddress, remotePort);
    const sockaddr_in address = detail::makeAddress(remoteAddress, remotePort);

    // Connect without blocking and wait for the outcome with poll: that bounds the wait when a
    // time-out is given, and survives signals (an interrupted blocking connect cannot be resumed).
    detail::setNonBlocking(handle, true);
    int error = 0;
    if (::connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == -1)
    {
        error = errno;
        if (error == EINPROGRESS || error == EINTR)
        {
            const int ready = detail::waitUntilReady(handle, POLLOUT, timeout);
            if (ready == 0)
            {
                detail::reportError("connection to " + peer + " timed out");
                disconnect();
                return Status::Error;
            }
            socklen_t length = sizeof(error);
            if (ready == -1 || ::getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &length) == -1)
                error = errno;
        }
    }
    if (error != 0)
    {
        detail::reportError("cannot connect to " + peer, error);
        disconnect();
        return Status::Error;
    }
    detail::setNonBlocking(handle, !isBlocking());
    return Status::Done;
}

void TcpSocket::disconnect()
{
    close();
    resetPending();
}

void TcpSocket::resetPending()
{
    m_pendingReceive = PendingPacket{};
    m_pendingSend.clear();
    m_pendingSendOffset = 0;
}

Socket::Status TcpSocket::send(const void* data, std::size_t size)
{
    std::size_t sent = 0;
    return send(data, size, sent);
}

Socket::Status TcpSocket::send(const void* data, std::size_t size, std::size_t& sent)
{
    sent = 0;
    assert((data != nullptr || size == 0) && "TcpSocket::send: no data given for a non-zero size");
    if (data == nullptr && size != 0)
        return Status::Error;
    if (getNativeHandle() == -1)
    {
        detail::reportError("cannot send: the TCP socket is not connected");
        return Status::Error;
    }
    const int error = sendAll(getNativeHandle(), data, size, sent, MSG_NOSIGNAL);
    if (error == 0)
        return Status::Done;
    Status status = detail::statusFromErrno(error);
    if (status == Status::NotReady && sent > 0)
        status = Status::Partial;
    if (status == Status::Error)
        detail::reportError("cannot send to the TCP peer", error);
    return status;
}

Socket::Status TcpSocket::receive(void* data, std::size_t size, std::size_t& received)
{
    received = 0;
    assert(data != nullptr && size > 0 && "TcpSocket::receive: no buffer to receive into");
    if (data == nullptr || size == 0)
        return Status::Error;
    if (getNativeHandle() == -1)
    {
        detail::reportError("cannot receive: the TCP socket is not connected");
        return Status::Error;
    }
    for (;;)
    {
        const ssize_t result = ::recv(getNativeHandle(), data, size, 0);
        if (result > 0)
        {
            received = static_cast<std::size_t>(result);
            return Status::Done;
        }
        if (result == 0)
            return Status::Disconnected;
        const int error = errno;
        if (error == EINTR)
            continue;
        const Status status = detail::statusFromErrno(error);
        if (status == Status::Error)
            detail::reportError("cannot receive from the TCP peer", error);
        return status;
    }
}

Socket::Status TcpSocket::send(Packet& packet)
{
    if (m_pendingSend.empty())
    {
        const std::size_t size = packet.getDataSize();
        if (size > MaxPacketSize)
        {
            detail::reportError("cannot send a packet of " + std::to_string(size) + " bytes: the limit is " +
                                std::to_string(MaxPacketSize));
            return Status::Error;
        }
        frame(packet, m_pendingSend);
        m_pendingSendOffset = 0;
    }

    std::size_t sent = 0;
    const Status status = send(m_pendingSend.data() + m_pendingSendOffset, m_pendingSend.size() - m_pendingSendOffset,
                               sent);
    m_pendingSendOffset += sent;
    if (status == Status::NotReady && m_pendingSendOffset > 0)
        return Status::Partial;
    if (status != Status::NotReady && status != Status::Partial)
    {
        // Done, or a failure after which the rest of this packet cannot be sent anyway.
        m_pendingSend.clear();
        m_pendingSendOffset = 0;
    }
    return status;
}

Socket::Status TcpSocket::send(Packet& packet, Time timeout)
{
    if (timeout <= Time::Zero || !isBlocking() || !m_pendingSend.empty() || getNativeHandle() == -1)
        return send(packet);
    const std::size_t size = packet.getDataSize();
    if (size > MaxPacketSize)
        return send(packet); // refused there, with its own line

    std::vector<std::byte> bytes;
    frame(packet, bytes);

    // The socket stays blocking for every other call: each write here is a non-blocking one, made
    // once poll says there is room, until the deadline.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::microseconds(timeout.asMicroseconds());
    std::size_t sent = 0;
    for (;;)
    {
        const int error = sendAll(getNativeHandle(), bytes.data(), bytes.size(), sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (error == 0)
            return Status::Done;
        if (error != EAGAIN && error != EWOULDBLOCK)
        {
            const Status status = detail::statusFromErrno(error);
            if (status == Status::Error)
                detail::reportError("cannot send to the TCP peer", error);
            return status;
        }
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        const int ready =
            left.count() > 0 ? detail::waitUntilReady(getNativeHandle(), POLLOUT, microseconds(left.count())) : 0;
        if (ready == 0)
        {
            const std::optional<IpAddress> peer = getRemoteAddress();
            detail::reportError("cannot send to the TCP peer " +
                                (peer ? detail::describe(*peer, getRemotePort()) : std::string("(unknown)")) +
                                ": timed out after " + std::to_string(timeout.asMilliseconds()) +
                                " ms; connection closed");
            disconnect();
            return Status::Error;
        }
        if (ready == -1)
        {
            detail::reportError("cannot send to the TCP peer", errno);
            return Status::Error;
        }
    }
}

Socket::Status TcpSocket::receive(Packet& packet)
{
    PendingPacket& pending = m_pendingReceive;
    std::size_t received = 0;

    while (pending.sizeReceived < sizeof(pending.sizeBytes))
    {
        const Status status = receive(pending.sizeBytes + pending.sizeReceived,
                                      sizeof(pending.sizeBytes) - pending.sizeReceived, received);
        if (status != Status::Done)
        {
            if (status != Status::NotReady)
                pending = PendingPacket{};
            return status;
        }
        pending.sizeReceived += received;
        if (pending.sizeReceived == sizeof(pending.sizeBytes))
        {
            const std::uint32_t size = static_cast<std::uint32_t>(pending.sizeBytes[0]) << 24 |
                                       static_cast<std::uint32_t>(pending.sizeBytes[1]) << 16 |
                                       static_cast<std::uint32_t>(pending.sizeBytes[2]) << 8 | pending.sizeBytes[3];
            if (size > MaxPacketSize)
            {
                detail::reportError("refused a packet of " + std::to_string(size) +
                                    " bytes from the TCP peer: the limit is " + std::to_string(MaxPacketSize) +
                                    "; connection closed");
                disconnect();
                return Status::Error;
            }
            pending.payloadSize = size;
        }
    }

    while (pending.payloadReceived < pending.payloadSize)
    {
        // Room for what may come next, never much more than has come: a peer that announces a large
        // packet and then trickles (or stops) holds no more memory than it has sent.
        if (pending.payloadReceived == pending.payload.size())
        {
            const std::size_t step = std::max(MinimumReceiveStep, pending.payloadReceived);
            const std::size_t left = pending.payloadSize - pending.payloadReceived;
            pending.payload.resize(pending.payloadReceived + std::min(step, left));
        }
        const Status status = receive(pending.payload.data() + pending.payloadReceived,
                                      pending.payload.size() - pending.payloadReceived, received);
        if (status != Status::Done)
        {
            if (status != Status::NotReady)
                pending = PendingPacket{};
            return status;
        }
        pending.payloadReceived += received;
    }

    packet.clear();
    packet.m_data = std::move(pending.payload);
    pending = PendingPacket{};
    return Status::Done;
}
} // namespace mivra

#include "Network/detail/SocketImpl.hpp"

#include <mivra/System/Diagnostics.hpp>

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>

namespace mivra::detail
{
sockaddr_in makeAddress(IpAddress address, unsigned short port)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr.s_addr = htonl(address.toInteger());
    return result;
}

IpAddress addressOf(const sockaddr_in& address)
{
    return IpAddress(ntohl(address.sin_addr.s_addr));
}

Socket::Status statusFromErrno(int error)
{
    switch (error)
    {
        case EAGAIN:
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
#endif
        case EINPROGRESS:
            return Socket::Status::NotReady;
        case ECONNRESET:
        case ECONNABORTED:
        case EPIPE:
        case ENOTCONN:
        case ETIMEDOUT:
        case ENETRESET:
            return Socket::Status::Disconnected;
        default:
            return Socket::Status::Error;
    }
}

void setNonBlocking(int handle, bool nonBlocking)
{
    const int flags = ::fcntl(handle, F_GETFL, 0);
    if (flags != -1)
        ::fcntl(handle, F_SETFL, nonBlocking ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK));
}

int waitUntilReady(int handle, short events, Time timeout)
{
    // Rounded up, so that a short time-out still waits; clamped, since poll takes an int.
    int waitMs = -1;
    if (timeout > Time::Zero)
    {
        const std::int64_t us = timeout.asMicroseconds();
        waitMs = static_cast<int>(std::min<std::int64_t>(us / 1000 + (us % 1000 != 0), INT_MAX));
    }
    pollfd entry{handle, events, 0};
    int ready = 0;
    do
        ready = ::poll(&entry, 1, waitMs);
    while (ready == -1 && errno == EINTR);
    return ready;
}

void reportError(const std::string& what, int error)
{
    reportError(what + ": " + std::strerror(error));
}

void reportError(const std::string& what)
{
    reportDiagnostic(what);
}

std::string describe(IpAddress address, unsigned short port)
{
    return address.toString() + ":" + std::to_string(port);
}

bool bindHandle(int handle, IpAddress address, unsigned short port)
{
    const sockaddr_in local = makeAddress(address, port);
    return ::bind(handle, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == 0;
}

unsigned short localPort(int handle)
{
    if (handle < 0)
        return 0;
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    if (::getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length) == -1)
        return 0;
    return ntohs(address.sin_port);
}
} // namespace mivra::detail

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
    case EINPROGRESS: return Socket::Status::NotReady;
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
    case ENOTCONN:
    case ETIMEDOUT:
    case ENETRESET: return Socket::Status::Disconnected;
    default: return Socket::Status::Error;
    }
}

void setNonBlocking(int handle, bool nonBlocking)
{
    const int flags = ::fcntl(handle, F_GETFL, 0);
    if (flags != -1)
        ::fcntl(handle, F_SETFL, nonBlocking ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK));
}

Deadline deadlineAfter(Time timeout)
{
    // Clamped, so that a time-out of weeks cannot overflow the clock.
    const std::int64_t us = std::min<std::int64_t>(timeout.asMicroseconds(), std::int64_t{1} << 50);
    return std::chrono::steady_clock::now() + std::chrono::microseconds(us);
}

Time remainingUntil(Deadline deadline)
{
    using std::chrono::microseconds;
    const auto left = std::chrono::duration_cast<microseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? mivra::microseconds(left.count()) : Time::Zero;
}

namespace
{
// Milliseconds for poll: rounded up, so that a short wait still waits; clamped, since poll takes
// an int. -1 waits without limit.
int pollMilliseconds(std::int64_t us)
{
    return static_cast<int>(std::min<std::int64_t>(us / 1000 + (us % 1000 != 0), INT_MAX));
}

int pollOnce(int handle, short events, int waitMs)
{
    pollfd entry{handle, events, 0};
    return ::poll(&entry, 1, waitMs);
}
} // namespace

int waitUntil(int handle, short events, Deadline deadline)
{
    for (;;)
    {
        const int ready = pollOnce(handle, events, pollMilliseconds(remainingUntil(deadline).asMicroseconds()));
        if (ready != -1 || errno != EINTR)
            return ready;
    }
}

int waitUntilReady(int handle, short events, Time timeout)
{
    if (timeout > Time::Zero)
        return waitUntil(handle, events, deadlineAfter(timeout));
    int ready = 0;
    do
        ready = pollOnce(handle, events, -1);
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

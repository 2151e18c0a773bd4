#include <mivra/Network/Socket.hpp>

#include "Network/detail/SocketImpl.hpp"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace mivra
{
Socket::~Socket()
{
    close();
}

Socket::Socket(Socket&& other) noexcept
    : m_type(other.m_type), m_handle(std::exchange(other.m_handle, -1)), m_blocking(other.m_blocking)
{
}

Socket& Socket::operator=(Socket&& other) noexcept
{
    if (this != &other)
    {
        close();
        m_type = other.m_type;
        m_handle = std::exchange(other.m_handle, -1);
        m_blocking = other.m_blocking;
    }
    return *this;
}

void Socket::setBlocking(bool blocking)
{
    m_blocking = blocking;
    if (m_handle != -1)
        detail::setNonBlocking(m_handle, !blocking);
}

bool Socket::create()
{
    if (m_handle != -1)
        return true;
    const int handle = ::socket(AF_INET, (m_type == Type::Tcp ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC, 0);
    if (handle == -1)
    {
        detail::reportError("cannot create a socket", errno);
        return false;
    }
    create(handle);
    return true;
}

void Socket::create(int handle)
{
    close();
    m_handle = handle;
    detail::setNonBlocking(m_handle, !m_blocking);
    if (m_type == Type::Tcp)
    {
        // Small packets (a greeting, a voice batch) go out at once instead of waiting for more.
        const int yes = 1;
        ::setsockopt(m_handle, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof(yes));
    }
    else
    {
        const int yes = 1;
        ::setsockopt(m_handle, SOL_SOCKET, SO_BROADCAST, &yes, sizeof(yes));
    }
}

unsigned short Socket::getLocalPort() const
{
    return detail::localPort(m_handle);
}

Socket::Status Socket::openBound(IpAddress address, unsigned short port)
{
    close();
    if (!create())
        return Status::Error;
    if (m_type == Type::Tcp)
    {
        const int yes = 1;
        ::setsockopt(m_handle, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    }
    if (!detail::bindHandle(m_handle, address, port) || (m_type == Type::Tcp && ::listen(m_handle, SOMAXCONN) == -1))
    {
        const int error = errno; // before building the message, which may allocate
        detail::reportError((m_type == Type::Tcp ? "cannot listen on " : "cannot bind a UDP socket to ") +
                                detail::describe(address, port),
                            error);
        close();
        return Status::Error;
    }
    return Status::Done;
}

void Socket::close()
{
    if (m_handle != -1)
    {
        ::close(m_handle);
        m_handle = -1;
    }
}
} // namespace mivra

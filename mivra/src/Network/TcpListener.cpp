#include <mivra/Network/TcpListener.hpp>
#include <mivra/Network/TcpSocket.hpp>

#include "Network/detail/SocketImpl.hpp"

#include <sys/socket.h>

#include <cerrno>

namespace mivra
{
TcpListener::TcpListener() : Socket(Type::Tcp)
{
}

Socket::Status TcpListener::listen(unsigned short port, IpAddress address)
{
    return openBound(address, port);
}

void TcpListener::close()
{
    Socket::close();
}

Socket::Status TcpListener::accept(TcpSocket& socket)
{
    if (getNativeHandle() == -1)
    {
        detail::reportError("cannot accept a connection: the listener is not listening");
        return Status::Error;
    }
    for (;;)
    {
        const int handle = ::accept4(getNativeHandle(), nullptr, nullptr, SOCK_CLOEXEC);
        if (handle != -1)
        {
            socket.disconnect();
            socket.create(handle);
            return Status::Done;
        }
        const int error = errno;
        // A connection that was reset while it waited in the queue is not this call's failure.
        if (error == EINTR || error == ECONNABORTED)
            continue;
        const Status status = detail::statusFromErrno(error);
        if (status == Status::NotReady)
            return status;
        detail::reportError("cannot accept a connection", error);
        return Status::Error;
    }
}
} // namespace mivra

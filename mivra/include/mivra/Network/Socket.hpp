#pragma once

#include <mivra/Network/IpAddress.hpp>

namespace mivra
{
/// What every socket shares: the system handle, blocking mode and the status of operations.
/// Sockets are movable, not copyable; the destructor closes the handle.
class Socket
{
public:
    /// The outcome of a socket operation.
    enum class Status
    {
        Done,         ///< the operation succeeded
        NotReady,     ///< non-blocking socket: nothing could be done yet, try again
        Partial,      ///< non-blocking socket: part of the data was sent, send the rest later
        Disconnected, ///< the peer closed the connection
        Error         ///< the operation failed; the reason went to the diagnostics sink, naming the peer or port
    };

    /// The port value that lets the system choose a free one.
    static constexpr unsigned short AnyPort = 0;

    /// Closes the handle.
    virtual ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    /// Takes the other's handle and blocking mode; the other is left closed.
    ///@{
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;
    ///@}

    /// Sockets block by default; a non-blocking socket returns NotReady or Partial instead of
    /// waiting. Applies to the current handle and to every handle the socket opens later.
    void setBlocking(bool blocking);
    /// Whether operations wait.
    [[nodiscard]] bool isBlocking() const { return m_blocking; }

    /// The local port the socket is bound to, listens on or connected from; 0 when it has none.
    [[nodiscard]] unsigned short getLocalPort() const;

    /// The system's descriptor (-1 when closed), for waiting on it with poll and the like.
    [[nodiscard]] int getNativeHandle() const { return m_handle; }

protected:
    /// The protocol of a socket.
    enum class Type
    {
        Tcp, ///< A stream socket.
        Udp  ///< A datagram socket.
    };

    /// A closed socket of that type.
    explicit Socket(Type type) : m_type(type) {}

    /// Opens a handle of this socket's type when none is open; false, with one line through the
    /// diagnostics sink, when the system refuses.
    bool create();
    /// Takes over an existing descriptor (an accepted connection), closing the current one.
    void create(int handle);
    /// Opens a new handle bound to a local address and port, closing the current one first. A TCP
    /// socket is bound to listen: its address is reusable at once after a previous listener closed,
    /// and it starts listening. Error (reported, no handle left open) when the system refuses.
    Status openBound(IpAddress address, unsigned short port);
    /// Closes the handle; harmless when none is open.
    void close();

private:
    Type m_type;
    int m_handle{-1};
    bool m_blocking{true};
};
} // namespace mivra

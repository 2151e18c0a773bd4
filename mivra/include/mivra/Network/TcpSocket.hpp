#pragma once

#include <mivra/Network/IpAddress.hpp>
#include <mivra/Network/Socket.hpp>
#include <mivra/System/Time.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace mivra
{
class Packet;

/// A TCP connection.
///
/// Packets travel framed: a 32-bit big-endian payload length, then the payload. receive(Packet&)
/// gives a packet whole or not at all. A packet longer than MaxPacketSize is refused on both ends
/// with Error: the sender does not send it, the receiver allocates nothing for it and closes the
/// connection (the stream can no longer be followed). A packet's memory grows as its bytes arrive,
/// so that a peer announcing a large one and then sending slowly, or not at all, holds no more than
/// it has sent.
class TcpSocket : public Socket
{
public:
    /// The largest packet payload sent or received, in bytes.
    static constexpr std::size_t MaxPacketSize = 16 * 1024 * 1024;

    /// A socket not connected to anything, blocking.
    TcpSocket();

    /// Address and port of the peer; empty / 0 when not connected.
    [[nodiscard]] std::optional<IpAddress> getRemoteAddress() const;
    /// The peer's port; 0 when not connected.
    [[nodiscard]] unsigned short getRemotePort() const;

    /// Connects to a server, closing any current connection first. A positive time-out bounds the
    /// wait; zero (or negative) uses the system's blocking connect. Error when refused, unreachable
    /// or timed out.
    Status connect(IpAddress remoteAddress, unsigned short remotePort, Time timeout = Time::Zero);
    /// Closes the connection; harmless when not connected.
    void disconnect();

    /// Sends all the bytes. A blocking socket retries short writes and interrupted calls until
    /// everything is sent (Done) or the connection fails (Disconnected, Error). A non-blocking socket
    /// returns Partial after a short write: the overload with `sent` tells how far it got. `data`
    /// may be null only when `size` is 0 (asserted).
    ///@{
    Status send(const void* data, std::size_t size);
    Status send(const void* data, std::size_t size, std::size_t& sent);
    ///@}

    /// Receives at most size bytes (blocking until at least one arrives, on a blocking socket);
    /// received holds the count. Disconnected when the peer has closed the connection; Error,
    /// reported through the diagnostics sink, when the connection fails. `data` must not be null
    /// and `size` not 0 (asserted).
    Status receive(void* data, std::size_t size, std::size_t& received);

    /// Sends a packet with its length prefix. On a non-blocking socket a Partial send remembers its
    /// progress: call send again with the same packet until it returns Done.
    Status send(Packet& packet);
    /// Sends a packet on a blocking socket, giving up when the peer has not taken all of it within
    /// `timeout`, counted from the call: Error, with one diagnostic line, and the connection is closed,
    /// since the rest of a half-sent packet could no longer follow. A zero or negative time-out, or a
    /// non-blocking socket, sends as send(Packet&) does.
    Status send(Packet& packet, Time timeout);
    /// Receives one whole packet, replacing the packet's contents. On a non-blocking socket the
    /// bytes of an incomplete packet are kept until the rest arrives (NotReady meanwhile).
    /// Disconnected when the peer closes, also in the middle of a packet (whose bytes are dropped).
    Status receive(Packet& packet);

private:
    friend class TcpListener;

    struct PendingPacket
    {
        std::uint8_t sizeBytes[4]{};
        std::size_t sizeReceived{};
        std::size_t payloadSize{}; // as announced; payload grows towards it as bytes arrive
        std::vector<std::byte> payload;
        std::size_t payloadReceived{};
    };

    void resetPending();

    PendingPacket m_pendingReceive;
    std::vector<std::byte> m_pendingSend; ///< framed packet being sent (non-blocking)
    std::size_t m_pendingSendOffset{};
};
} // namespace mivra

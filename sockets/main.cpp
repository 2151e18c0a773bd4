// sockets — one greeting in each direction between two instances of this program, over TCP or UDP.
//
// Start one instance as server and one as client, both with the same protocol; everything goes
// through port 50001. Over TCP the server greets first and the client answers; over UDP the client
// sends first (from a port the library picks on that first send) and the server answers to the
// datagram's source. Greetings are raw bytes with no framing; what arrives is shown quoted.
//
// Any failing socket call ends the exchange silently; the program always waits for Enter and
// exits with status 0. When standard input ends, unanswered questions count as "not t" and "not s"
// (the UDP client), a client stops asking for the server's address and ends its exchange as if
// connecting had failed, and the closing wait for Enter returns at once.

#include <mivra/Network/IpAddress.hpp>
#include <mivra/Network/TcpListener.hpp>
#include <mivra/Network/TcpSocket.hpp>
#include <mivra/Network/UdpSocket.hpp>

#include <cstring>
#include <iomanip>
#include <iostream>
#include <optional>
#include <string>

namespace
{
constexpr unsigned short port = 50001;
const std::string serverGreeting = "Hi, I'm the server";
const std::string clientGreeting = "Hi, I'm a client";

// The received text: up to the first zero byte, never past the bytes received.
std::string receivedText(const char* buffer, std::size_t received)
{
    return std::string(buffer, ::strnlen(buffer, received));
}

// A greeting received over UDP, with where it came from.
struct Datagram
{
    mivra::IpAddress sender;
    unsigned short senderPort;
    std::string text;
};

// Receives one datagram into a zeroed 128-byte buffer; empty when receiving fails.
std::optional<Datagram> receiveDatagram(mivra::UdpSocket& socket)
{
    char in[128];
    std::memset(in, 0, sizeof(in));
    std::size_t received = 0;
    std::optional<mivra::IpAddress> sender;
    unsigned short senderPort = 0;
    if (socket.receive(in, sizeof(in), received, sender, senderPort) != mivra::Socket::Status::Done)
        return std::nullopt;
    return Datagram{*sender, senderPort, receivedText(in, received)};
}

// Asks until the answer is an address or a name that resolves; empty when the input has ended.
std::optional<mivra::IpAddress> askServerAddress()
{
    std::optional<mivra::IpAddress> server;
    do
    {
        std::cout << "Type the address or name of the server to connect to: ";
        std::cin >> server;
    } while (!server && std::cin);
    return server;
}

void runTcpServer(unsigned short port)
{
    mivra::TcpListener listener;
    if (listener.listen(port, mivra::IpAddress::Any) != mivra::Socket::Status::Done)
        return;
    std::cout << "Server is listening to port " << port << ", waiting for connections... " << std::endl;

    mivra::TcpSocket socket;
    if (listener.accept(socket) != mivra::Socket::Status::Done)
        return;
    const std::optional<mivra::IpAddress> client = socket.getRemoteAddress();
    std::cout << "Client connected: ";
    if (client)
        std::cout << *client;
    std::cout << std::endl;

    if (socket.send(serverGreeting.data(), serverGreeting.size()) != mivra::Socket::Status::Done)
        return;
    std::cout << "Message sent to the client: " << std::quoted(serverGreeting) << std::endl;

    char in[128];
    std::memset(in, 0, sizeof(in));
    std::size_t received = 0;
    if (socket.receive(in, sizeof(in), received) != mivra::Socket::Status::Done)
        return;
    std::cout << "Answer received from the client: " << std::quoted(receivedText(in, received)) << std::endl;
}

void runTcpClient(unsigned short port)
{
    const std::optional<mivra::IpAddress> server = askServerAddress();
    if (!server)
        return;

    mivra::TcpSocket socket;
    if (socket.connect(*server, port, mivra::Time::Zero) != mivra::Socket::Status::Done)
        return;
    std::cout << "Connected to server " << *server << std::endl;

    char in[128];
    std::memset(in, 0, sizeof(in));
    std::size_t received = 0;
    if (socket.receive(in, sizeof(in), received) != mivra::Socket::Status::Done)
        return;
    std::cout << "Message received from the server: " << std::quoted(receivedText(in, received)) << std::endl;

    if (socket.send(clientGreeting.data(), clientGreeting.size()) != mivra::Socket::Status::Done)
        return;
    std::cout << "Message sent to the server: " << std::quoted(clientGreeting) << std::endl;
}

void runUdpServer(unsigned short port)
{
    mivra::UdpSocket socket;
    if (socket.bind(port, mivra::IpAddress::Any) != mivra::Socket::Status::Done)
        return;
    std::cout << "Server is listening to port " << port << ", waiting for a message... " << std::endl;

    const std::optional<Datagram> message = receiveDatagram(socket);
    if (!message)
        return;
    std::cout << "Message received from client " << message->sender << ": " << std::quoted(message->text) << std::endl;

    if (socket.send(serverGreeting.data(), serverGreeting.size(), message->sender, message->senderPort) !=
        mivra::Socket::Status::Done)
        return;
    std::cout << "Message sent to the client: " << std::quoted(serverGreeting) << std::endl;
}

void runUdpClient(unsigned short port)
{
    const std::optional<mivra::IpAddress> server = askServerAddress();
    if (!server)
        return;

    // Not bound: the first send gives the socket a port, and the answer comes back to it.
    mivra::UdpSocket socket;
    if (socket.send(clientGreeting.data(), clientGreeting.size(), *server, port) != mivra::Socket::Status::Done)
        return;
    std::cout << "Message sent to the server: " << std::quoted(clientGreeting) << std::endl;

    const std::optional<Datagram> message = receiveDatagram(socket);
    if (!message)
        return;
    std::cout << "Message received from " << message->sender << ": " << std::quoted(message->text) << std::endl;
}
} // namespace

int main()
{
    // Set-up: the protocol and the role
    char protocol = 0;
    std::cout << "Do you want to use TCP (t) or UDP (u)? ";
    std::cin >> protocol;

    char who = 0;
    std::cout << "Do you want to be a server (s) or a client (c)? ";
    std::cin >> who;

    // Run: one greeting each way
    if (protocol == 't')
    {
        if (who == 's')
            runTcpServer(port);
        else
            runTcpClient(port);
    }
    else
    {
        if (who == 's')
            runUdpServer(port);
        else
            runUdpClient(port);
    }

    // Clean-up
    std::cout << "Press enter to exit..." << std::endl;
    std::cin.ignore(10000, '\n');
    std::cin.ignore(10000, '\n');
    return 0;
}

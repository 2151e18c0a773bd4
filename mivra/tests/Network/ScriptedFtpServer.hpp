#pragma once

// Test support: a scripted FTP server, one control connection played by a function on its own
// thread, for the ways real servers and networks misbehave.

#include <mivra/Network/Ftp.hpp>
#include <mivra/Network/IpAddress.hpp>
#include <mivra/Network/TcpListener.hpp>
#include <mivra/Network/TcpSocket.hpp>

#include <gtest/gtest.h>

#include <poll.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

namespace mivra::test
{
// The server's side of one control connection.
class Session
{
public:
    TcpSocket control;
    TcpListener dataListener;
    TcpSocket data;
    // The parameter of the last TYPE command ("A", "I", ...); empty before the first.
    std::string type;

    // The next command line, without its line end; empty once the client has gone.
    std::string readLine()
    {
        for (;;)
        {
            const std::size_t end = m_pending.find("\r\n");
            if (end != std::string::npos)
            {
                std::string line = m_pending.substr(0, end);
                m_pending.erase(0, end + 2);
                return line;
            }
            char buffer[1024];
            std::size_t received = 0;
            if (control.receive(buffer, sizeof(buffer), received) != Socket::Status::Done)
                return {};
            m_pending.append(buffer, received);
        }
    }

    // The next command that is not part of logging in or choosing a type, which are answered here.
    std::string nextCommand()
    {
        for (;;)
        {
            const std::string line = readLine();
            if (line.rfind("USER", 0) == 0)
                say("331 Password please.\r\n");
            else if (line.rfind("PASS", 0) == 0)
                say("230 Logged in.\r\n");
            else if (line.rfind("TYPE ", 0) == 0)
            {
                type = line.substr(5);
                say("200 Type set.\r\n");
            }
            else
                return line;
        }
    }

    void say(const std::string& text) { control.send(text.data(), text.size()); }

    // Listens for a data connection on loopback; the PASV numbers for it.
    std::string openPassive(const std::string& address = "127,0,0,1")
    {
        dataListener.listen(Socket::AnyPort, IpAddress::LocalHost);
        const unsigned short port = dataListener.getLocalPort();
        return "(" + address + "," + std::to_string(port / 256) + "," + std::to_string(port % 256) + ")";
    }

    // Answers PASV, takes the data connection and reads the next command: whether all of that
    // happened and the command was `command` ("NLST", "RETR file.bin"). The reply to it is the caller's.
    bool openTransfer(const std::string& command, const std::string& address = "127,0,0,1")
    {
        if (nextCommand() != "PASV")
            return false;
        say("227 Entering Passive Mode " + openPassive(address) + ".\r\n");
        return acceptData() && nextCommand() == command;
    }

    bool acceptData(int timeoutMs = 10000)
    {
        pollfd entry{dataListener.getNativeHandle(), POLLIN, 0};
        return ::poll(&entry, 1, timeoutMs) > 0 && dataListener.accept(data) == Socket::Status::Done;
    }

    // Waits for the client to hang up.
    void drain()
    {
        while (!readLine().empty())
        {
        }
    }

private:
    std::string m_pending;
};

// Accepts one client on the given address and runs a script for it on its own thread.
class ScriptedServer
{
public:
    explicit ScriptedServer(std::function<void(Session&)> script, IpAddress address = IpAddress::LocalHost)
    {
        EXPECT_EQ(m_listener.listen(Socket::AnyPort, address), Socket::Status::Done);
        m_thread = std::thread([this, script = std::move(script)] {
            Session session;
            pollfd entry{m_listener.getNativeHandle(), POLLIN, 0};
            if (::poll(&entry, 1, 10000) > 0 && m_listener.accept(session.control) == Socket::Status::Done)
                script(session);
        });
    }
    ~ScriptedServer() { m_thread.join(); }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    [[nodiscard]] unsigned short port() const { return m_listener.getLocalPort(); }

private:
    TcpListener m_listener;
    std::thread m_thread;
};

// Greets and then follows the script.
inline ScriptedServer greetingServer(std::function<void(Session&)> script, IpAddress address = IpAddress::LocalHost)
{
    return ScriptedServer(
        [script = std::move(script)](Session& s) {
            s.say("220 Ready.\r\n");
            script(s);
        },
        address);
}

// What the FTP client's tests against scripted servers share: `using namespace mivra::test::ftp;`.
namespace ftp
{
namespace fs = std::filesystem;
using mivra::Ftp;
using mivra::IpAddress;
using Status = Ftp::Response::Status;
using SocketStatus = Socket::Status;
using mivra::test::greetingServer;
using mivra::test::ScriptedServer;
using mivra::test::Session;

inline void connectAndLogin(Ftp& ftp, unsigned short port, Time timeout)
{
    ASSERT_EQ(ftp.connect(IpAddress::LocalHost, port, timeout).getStatus(), Status::ServiceReady);
    ASSERT_EQ(ftp.login("user", "secret").getStatus(), Status::LoggedIn);
}

inline std::size_t entriesIn(const fs::path& directory)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
}
} // namespace ftp
} // namespace mivra::test

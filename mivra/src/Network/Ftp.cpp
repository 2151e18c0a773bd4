#include <mivra/Network/Ftp.hpp>

#include "Network/detail/FtpLocalReplies.hpp"
#include "Network/detail/SocketImpl.hpp"

#include <utility>

namespace mivra
{
Ftp::Response::Response(Status status, std::string message) : m_status(status), m_message(std::move(message))
{
}

Ftp::DirectoryResponse::DirectoryResponse(const Response& response) : Response(response)
{
    if (getStatus() != DirectoryOk)
        return;
    const std::string& message = getMessage();
    const std::size_t open = message.find('"');
    if (open == std::string::npos)
        return;
    std::string directory;
    for (std::size_t i = open + 1; i < message.size(); ++i)
    {
        if (message[i] == '"')
        {
            if (i + 1 < message.size() && message[i + 1] == '"')
            {
                directory.push_back('"');
                ++i;
                continue;
            }
            m_directory = directory;
            return;
        }
        directory.push_back(message[i]);
    }
    // No closing quote: not a path the server vouched for.
}

Ftp::ListingResponse::ListingResponse(const Response& response, std::string data)
    : Response(response), m_listing(std::move(data))
{
}

Ftp::Response Ftp::connect(IpAddress server, unsigned short port, Time timeout)
{
    m_control.disconnect();
    m_received.clear();
    m_timeout = timeout > Time::Zero ? timeout : DefaultTimeout;
    const Deadline deadline = operationDeadline();
    // Commands are sent without blocking, so that a server that stops reading cannot hold them.
    m_control.setBlocking(false);
    if (m_control.connect(server, port, timeout) != Socket::Status::Done)
        return Response(Response::ConnectionFailed, " Cannot connect to " + detail::describe(server, port));

    Response greeting = getFinalResponse(deadline);
    if (!greeting.isOk())
    {
        m_control.disconnect();
        m_received.clear();
    }
    return greeting;
}

Ftp::Response Ftp::disconnect()
{
    if (m_control.getNativeHandle() == -1)
        return detail::notConnected();
    Response response = sendCommand("QUIT");
    m_control.disconnect();
    m_received.clear();
    return response;
}

Ftp::Response Ftp::login()
{
    return login("anonymous", "anonymous@");
}

Ftp::Response Ftp::login(const std::string& name, const std::string& password)
{
    const Deadline deadline = operationDeadline();
    Response response = command("USER", name, deadline);
    if (response.getStatus() == Response::NeedPassword)
        response = command("PASS", password, deadline);
    return response;
}

Ftp::Response Ftp::keepAlive()
{
    return sendCommand("NOOP");
}

Ftp::DirectoryResponse Ftp::getWorkingDirectory()
{
    return DirectoryResponse(sendCommand("PWD"));
}

Ftp::Response Ftp::changeDirectory(const std::string& directory)
{
    return sendCommand("CWD", directory);
}

Ftp::Response Ftp::parentDirectory()
{
    return sendCommand("CDUP");
}

Ftp::Response Ftp::createDirectory(const std::string& name)
{
    return sendCommand("MKD", name);
}

Ftp::Response Ftp::deleteDirectory(const std::string& name)
{
    return sendCommand("RMD", name);
}

Ftp::Response Ftp::renameFile(const std::filesystem::path& file, const std::filesystem::path& newName)
{
    const Deadline deadline = operationDeadline();
    Response response = command("RNFR", file.string(), deadline);
    if (response.getStatus() != Response::NeedInformation)
        return response;
    return command("RNTO", newName.string(), deadline);
}

Ftp::Response Ftp::deleteFile(const std::filesystem::path& name)
{
    return sendCommand("DELE", name.string());
}
} // namespace mivra

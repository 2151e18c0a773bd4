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

Ftp::ListingResponse::ListingResponse(const Response& response, const std::string& data) : Response(response)
{
    std::size_t start = 0;
    while (start < data.size())
    {
        std::size_t end = data.find('\n', start);
        if (end == std::string::npos)
            end = data.size();
        std::string line = data.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            m_listing.push_back(std::move(line));
        start = end + 1;
    }
}

Ftp::Response Ftp::connect(IpAddress server, unsigned short port, Time timeout)
{
    m_control.disconnect();
    m_received.clear();
    m_timeout = timeout > Time::Zero ? timeout : DefaultTimeout;
    if (m_control.connect(server, port, timeout) != Socket::Status::Done)
        return Response(Response::ConnectionFailed, " Cannot connect to " + detail::describe(server, port));

    Response greeting = getResponse();
    while (greeting.getStatus() == Response::ServiceReadySoon)
        greeting = getResponse();
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
    Response response = sendCommand("USER", name);
    if (response.getStatus() == Response::NeedPassword)
        response = sendCommand("PASS", password);
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
    Response response = sendCommand("RNFR", file.string());
    if (response.getStatus() != Response::NeedInformation)
        return response;
    return sendCommand("RNTO", newName.string());
}

Ftp::Response Ftp::deleteFile(const std::filesystem::path& name)
{
    return sendCommand("DELE", name.string());
}
} // namespace mivra

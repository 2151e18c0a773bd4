#include <mivra/Network/Ftp.hpp>

#include "Network/detail/FtpReply.hpp"
#include "Network/detail/SocketImpl.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <sstream>
#include <utility>
#include <algorithm>

namespace mivra
{
namespace
{
constexpr std::size_t TransferBufferSize = 1024 * 1024;
constexpr std::size_t MaxListingSize = 64 * 1024 * 1024;

// Waits until the handle is ready for events (or has failed); false on time-out.
bool waitFor(int handle, short events, Time timeout)
{
    pollfd entry{handle, events, 0};
    const int waitMs = static_cast<int>((timeout.asMicroseconds() + 999) / 1000);
    int ready = 0;
    do
        ready = ::poll(&entry, 1, waitMs);
    while (ready == -1 && errno == EINTR);
    return ready > 0;
}

std::string secondsText(Time time)
{
    std::ostringstream text;
    text << time.asSeconds() << " s";
    return text.str();
}

std::string quoted(const std::filesystem::path& path)
{
    return '"' + path.string() + '"';
}

bool writeAll(int handle, const char* data, std::size_t size)
{
    while (size > 0)
    {
        const ssize_t written = ::write(handle, data, size);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Network text (CRLF line ends) to local text (LF). A CR at the end of one piece waits for the
// next, which tells whether it starts a line end.
class AsciiDecoder
{
public:
    std::string_view convert(const char* data, std::size_t size)
    {
        m_out.clear();
        for (std::size_t i = 0; i < size; ++i)
        {
            const char c = data[i];
            if (m_pendingCr)
            {
                m_pendingCr = false;
                if (c != '\n')
                    m_out.push_back('\r');
            }
            if (c == '\r')
                m_pendingCr = true;
            else
                m_out.push_back(c);
        }
        return m_out;
    }
    std::string_view finish()
    {
        m_out.assign(m_pendingCr ? "\r" : "");
        m_pendingCr = false;
        return m_out;
    }

private:
    std::string m_out;
    bool m_pendingCr{};
};

// Local text (LF) to network text (CRLF); line ends already in CRLF form stay as they are.
class AsciiEncoder
{
public:
    std::string_view convert(const char* data, std::size_t size)
    {
        m_out.clear();
        for (std::size_t i = 0; i < size; ++i)
        {
            const char c = data[i];
            if (c == '\n' && !m_lastWasCr)
                m_out.push_back('\r');
            m_out.push_back(c);
            m_lastWasCr = c == '\r';
        }
        return m_out;
    }

private:
    std::string m_out;
    bool m_lastWasCr{};
};

// A file being downloaded: created beside its final name, renamed into place by commit(), removed
// otherwise.
class PartialFile
{
public:
    explicit PartialFile(const std::filesystem::path& finalPath) : m_finalPath(finalPath)
    {
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_handle == -1; ++attempt)
        {
            std::ostringstream name;
            name << '.' << finalPath.filename().string() << ".part-" << std::hex << random();
            m_path = finalPath.parent_path() / name.str();
            m_handle = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_handle == -1 && errno != EEXIST)
                break;
        }
        m_error = m_handle == -1 ? errno : 0;
    }

    ~PartialFile()
    {
        if (m_handle != -1)
            ::close(m_handle);
        if (!m_committed && !m_path.empty())
            ::unlink(m_path.c_str());
    }

    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    [[nodiscard]] bool isOpen() const { return m_handle != -1; }
    [[nodiscard]] int error() const { return m_error; }
    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }

    bool write(std::string_view bytes)
    {
        if (writeAll(m_handle, bytes.data(), bytes.size()))
            return true;
        m_error = errno;
        return false;
    }

    bool commit()
    {
        const int handle = std::exchange(m_handle, -1);
        if (::close(handle) == -1 || ::rename(m_path.c_str(), m_finalPath.c_str()) == -1)
        {
            m_error = errno;
            return false;
        }
        m_committed = true;
        return true;
    }

private:
    std::filesystem::path m_finalPath;
    std::filesystem::path m_path;
    int m_handle{-1};
    int m_error{};
    bool m_committed{};
};

class FileReader
{
public:
    explicit FileReader(const std::filesystem::path& path)
        : m_handle(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
    }
    ~FileReader()
    {
        if (m_handle != -1)
            ::close(m_handle);
    }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    [[nodiscard]] int handle() const { return m_handle; }

private:
    int m_handle;
};

// Keeps SIGPIPE from this thread for its lifetime, swallowing one raised meanwhile.
class SigpipeBlock
{
public:
    SigpipeBlock()
    {
        ::sigemptyset(&m_set);
        ::sigaddset(&m_set, SIGPIPE);
        sigset_t pending;
        ::sigpending(&pending);
        m_wasPending = ::sigismember(&pending, SIGPIPE) == 1;
        ::pthread_sigmask(SIG_BLOCK, &m_set, &m_previous);
    }
    ~SigpipeBlock()
    {
        sigset_t pending;
        ::sigpending(&pending);
        if (!m_wasPending && ::sigismember(&pending, SIGPIPE) == 1)
        {
            const timespec noWait{};
            ::sigtimedwait(&m_set, nullptr, &noWait);
        }
        ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    SigpipeBlock(const SigpipeBlock&) = delete;
    SigpipeBlock& operator=(const SigpipeBlock&) = delete;

private:
    sigset_t m_set{};
    sigset_t m_previous{};
    bool m_wasPending{};
};

bool isPreliminary(const Ftp::Response& response)
{
    return response.getStatus() >= 100 && response.getStatus() < 200;
}
} // namespace

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

Ftp::Response Ftp::fail(Response::Status status, const std::string& message)
{
    m_control.disconnect();
    m_received.clear();
    return Response(status, message);
}

Ftp::Response Ftp::getResponse()
{
    char buffer[4096];
    for (;;)
    {
        const detail::FtpReply reply = detail::parseFtpReply(m_received);
        switch (reply.state)
        {
            case detail::FtpReply::State::Complete:
                m_received.erase(0, reply.consumed);
                return Response(static_cast<Response::Status>(reply.code), reply.message);
            case detail::FtpReply::State::Malformed:
            {
                std::string line = m_received.substr(0, std::min<std::size_t>(m_received.find('\n'), 80));
                while (!line.empty() && line.back() == '\r')
                    line.pop_back();
                return fail(Response::InvalidResponse, " Malformed reply from the server: \"" + line + "\"");
            }
            case detail::FtpReply::State::TooLong:
                return fail(Response::InvalidResponse, " The server's reply exceeds " +
                                                           std::to_string(detail::MaxFtpReplySize) + " bytes");
            case detail::FtpReply::State::Incomplete:
                break;
        }

        if (m_control.getNativeHandle() == -1)
            return Response(Response::ConnectionClosed, " Not connected to a server");
        if (!waitFor(m_control.getNativeHandle(), POLLIN, m_timeout))
            return fail(Response::ConnectionClosed, " No reply from the server within " + secondsText(m_timeout));
        std::size_t received = 0;
        const Socket::Status status = m_control.receive(buffer, sizeof(buffer), received);
        if (status == Socket::Status::Disconnected)
            return fail(Response::ConnectionClosed, " The server closed the connection");
        if (status != Socket::Status::Done)
            return fail(Response::ConnectionClosed, " The connection to the server failed");
        m_received.append(buffer, received);
    }
}

Ftp::Response Ftp::sendCommand(const std::string& command, const std::string& parameter)
{
    if (command.find_first_of("\r\n") != std::string::npos || parameter.find_first_of("\r\n") != std::string::npos)
        return Response(Response::InvalidFile, " A command or name must not contain a line break");
    if (m_control.getNativeHandle() == -1)
        return Response(Response::ConnectionClosed, " Not connected to a server");
    const std::string line = (parameter.empty() ? command : command + ' ' + parameter) + "\r\n";
    if (m_control.send(line.data(), line.size()) != Socket::Status::Done)
        return fail(Response::ConnectionClosed, " The connection to the server was lost");
    return getResponse();
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
        return Response(Response::ConnectionClosed, " Not connected to a server");
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

Ftp::Response Ftp::connectData(unsigned short port, TcpSocket& data)
{
    // Only the port of a passive reply is taken: the address it names is either the peer's own, a
    // private one behind NAT that is reachable only as the peer anyway, or another host, to which
    // a hostile server could otherwise aim the client's uploads and downloads.
    const std::optional<IpAddress> peer = m_control.getRemoteAddress();
    if (!peer)
        return fail(Response::ConnectionClosed, " The connection to the server was lost");
    if (data.connect(*peer, port, m_timeout) == Socket::Status::Done)
        return Response(Response::Ok);
    return Response(Response::ConnectionFailed,
                    " Cannot open the data connection to " + detail::describe(*peer, port));
}

Ftp::Response Ftp::setType(TransferMode mode)
{
    return sendCommand("TYPE", mode == TransferMode::Binary ? "I" : mode == TransferMode::Ascii ? "A" : "E");
}

Ftp::Response Ftp::openDataConnection(TcpSocket& data)
{
    Response response = sendCommand("PASV");
    if (response.getStatus() == Response::EnteringPassiveMode)
    {
        const auto target = detail::parsePassiveReply(response.getMessage());
        if (!target)
            return Response(Response::InvalidResponse,
                            " Invalid passive-mode reply: \"227" + response.getMessage() + "\"");
        return connectData(target->port, data);
    }
    if (response.getStatus() >= 500 && response.getStatus() < 600)
    {
        // PASV refused: the extended form names only a port, on the control connection's peer.
        Response extended = sendCommand("EPSV");
        if (extended.getStatus() != Response::EnteringExtendedPassiveMode)
            return extended.isOk() ? Response(Response::InvalidResponse, " Unexpected reply to EPSV: \"" +
                                                                            std::to_string(extended.getStatus()) +
                                                                            extended.getMessage() + "\"")
                                   : extended;
        const auto port = detail::parseExtendedPassiveReply(extended.getMessage());
        if (!port)
            return Response(Response::InvalidResponse,
                            " Invalid extended passive-mode reply: \"229" + extended.getMessage() + "\"");
        return connectData(*port, data);
    }
    if (response.isOk())
        return Response(Response::InvalidResponse, " Unexpected reply to PASV: \"" +
                                                       std::to_string(response.getStatus()) + response.getMessage() +
                                                       "\"");
    return response;
}

// After a transfer broke off locally: take the server's final reply for it, so the control
// connection stays in step, and report the server's own failure if it gave one.
Ftp::Response Ftp::finishTransfer(Response failure)
{
    if (m_control.getNativeHandle() == -1)
        return failure;
    const Response reply = getResponse();
    if (!reply.isOk() && reply.getStatus() < Response::InvalidResponse)
        return reply;
    return failure;
}

Ftp::ListingResponse Ftp::getDirectoryListing(const std::string& directory)
{
    Response response = setType(TransferMode::Ascii);
    if (!response.isOk())
        return ListingResponse(response, "");
    TcpSocket data;
    response = openDataConnection(data);
    if (!response.isOk())
        return ListingResponse(response, "");
    response = sendCommand("NLST", directory);
    if (!isPreliminary(response))
        return ListingResponse(response.isOk() ? Response(Response::InvalidResponse,
                                                          " Unexpected reply to NLST: \"" +
                                                              std::to_string(response.getStatus()) +
                                                              response.getMessage() + "\"")
                                               : response,
                               "");

    std::string listing;
    char buffer[65536];
    std::optional<Response> failure;
    for (;;)
    {
        if (!waitFor(data.getNativeHandle(), POLLIN, m_timeout))
        {
            failure = Response(Response::ConnectionClosed, " The listing stalled for " + secondsText(m_timeout));
            break;
        }
        std::size_t received = 0;
        const Socket::Status status = data.receive(buffer, sizeof(buffer), received);
        if (status == Socket::Status::Disconnected)
            break;
        if (status != Socket::Status::Done)
        {
            failure = Response(Response::ConnectionClosed, " The data connection failed");
            break;
        }
        if (listing.size() + received > MaxListingSize)
        {
            failure = Response(Response::InvalidResponse,
                               " The listing exceeds " + std::to_string(MaxListingSize) + " bytes");
            break;
        }
        listing.append(buffer, received);
    }
    data.disconnect();
    if (failure)
        return ListingResponse(finishTransfer(*failure), "");
    response = getResponse();
    return ListingResponse(response, response.isOk() ? listing : std::string());
}

Ftp::Response Ftp::download(const std::filesystem::path& remoteFile, const std::filesystem::path& localPath,
                            TransferMode mode)
{
    if (m_control.getNativeHandle() == -1)
        return Response(Response::ConnectionClosed, " Not connected to a server");
    const std::filesystem::path filename = remoteFile.filename();
    if (filename.empty() || filename == "." || filename == "..")
        return Response(Response::InvalidFile, " " + quoted(remoteFile) + " does not name a file");

    Response response = setType(mode);
    if (!response.isOk())
        return response;

    // The size announced beforehand tells a complete binary transfer from one cut short. It is
    // asked once the type is binary: in ASCII a server may count the line ends it would convert.
    std::optional<std::uint64_t> expectedSize;
    if (mode == TransferMode::Binary)
    {
        const Response size = sendCommand("SIZE", remoteFile.string());
        if (size.getStatus() >= Response::InvalidResponse)
            return size;
        if (size.getStatus() == Response::FileStatus)
            expectedSize = detail::parseSizeReply(size.getMessage());
    }

    PartialFile file(localPath / filename);
    if (!file.isOpen())
        return Response(Response::InvalidFile, " Cannot create a file in " +
                                                   quoted(localPath.empty() ? "." : localPath) + ": " +
                                                   std::strerror(file.error()));

    TcpSocket data;
    response = openDataConnection(data);
    if (!response.isOk())
        return response;
    response = sendCommand("RETR", remoteFile.string());
    if (!isPreliminary(response))
        return response.isOk() ? Response(Response::InvalidResponse, " Unexpected reply to RETR: \"" +
                                                                         std::to_string(response.getStatus()) +
                                                                         response.getMessage() + "\"")
                               : response;

    std::vector<char> buffer(TransferBufferSize);
    AsciiDecoder decoder;
    std::uint64_t receivedTotal = 0;
    std::optional<Response> failure;
    for (;;)
    {
        if (!waitFor(data.getNativeHandle(), POLLIN, m_timeout))
        {
            failure = Response(Response::ConnectionClosed, " The transfer stalled for " + secondsText(m_timeout));
            break;
        }
        std::size_t received = 0;
        const Socket::Status status = data.receive(buffer.data(), buffer.size(), received);
        if (status == Socket::Status::Disconnected)
            break;
        if (status != Socket::Status::Done)
        {
            failure = Response(Response::ConnectionClosed, " The data connection failed");
            break;
        }
        receivedTotal += received;
        const std::string_view bytes = mode == TransferMode::Ascii ? decoder.convert(buffer.data(), received)
                                                                   : std::string_view(buffer.data(), received);
        if (!file.write(bytes))
        {
            failure = Response(Response::InvalidFile,
                               " Cannot write " + quoted(file.path()) + ": " + std::strerror(file.error()));
            break;
        }
    }
    data.disconnect();
    if (!failure && mode == TransferMode::Ascii && !file.write(decoder.finish()))
        failure = Response(Response::InvalidFile,
                           " Cannot write " + quoted(file.path()) + ": " + std::strerror(file.error()));
    if (failure)
        return finishTransfer(*failure);

    response = getResponse();
    if (!response.isOk())
        return response;
    if (expectedSize && receivedTotal != *expectedSize)
        return Response(Response::ConnectionClosed, " The transfer ended after " + std::to_string(receivedTotal) +
                                                        " of " + std::to_string(*expectedSize) + " bytes");
    if (!file.commit())
        return Response(Response::InvalidFile, " Cannot store " + quoted(localPath / filename) + ": " +
                                                   std::strerror(file.error()));
    return response;
}

Ftp::Response Ftp::upload(const std::filesystem::path& localFile, const std::filesystem::path& remotePath,
                          TransferMode mode, bool append)
{
    if (m_control.getNativeHandle() == -1)
        return Response(Response::ConnectionClosed, " Not connected to a server");
    const FileReader file(localFile);
    struct stat status{};
    if (file.handle() == -1 || ::fstat(file.handle(), &status) == -1)
        return Response(Response::InvalidFile, " Cannot open " + quoted(localFile) + ": " + std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        return Response(Response::InvalidFile, " " + quoted(localFile) + " is not a regular file");

    std::string remoteName = remotePath.string();
    if (!remoteName.empty() && remoteName.back() != '/')
        remoteName += '/';
    remoteName += localFile.filename().string();

    Response response = setType(mode);
    if (!response.isOk())
        return response;
    TcpSocket data;
    response = openDataConnection(data);
    if (!response.isOk())
        return response;
    response = sendCommand(append ? "APPE" : "STOR", remoteName);
    if (!isPreliminary(response))
        return response.isOk() ? Response(Response::InvalidResponse, " Unexpected reply to " +
                                                                         std::string(append ? "APPE" : "STOR") +
                                                                         ": \"" + std::to_string(response.getStatus()) +
                                                                         response.getMessage() + "\"")
                               : response;

    // Non-blocking, so that a server that stops reading cannot hold the client forever.
    data.setBlocking(false);
    std::optional<Response> failure;
    const auto waitForRoom = [&] {
        if (waitFor(data.getNativeHandle(), POLLOUT, m_timeout))
            return true;
        failure = Response(Response::ConnectionClosed, " The transfer stalled for " + secondsText(m_timeout));
        return false;
    };
    const auto connectionLost = [&] {
        failure = Response(Response::ConnectionClosed, " The data connection closed during the transfer");
    };

    // Bytes that need no conversion go straight from the file to the socket inside the kernel.
    bool sentWhole = false;
    if (mode != TransferMode::Ascii)
    {
        const SigpipeBlock noSigpipe; // sendfile, unlike send, cannot be told not to raise SIGPIPE
        while (!failure)
        {
            const ssize_t sent = ::sendfile(data.getNativeHandle(), file.handle(), nullptr, 4 * TransferBufferSize);
            if (sent > 0)
                continue;
            if (sent == 0)
            {
                sentWhole = true;
                break;
            }
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN)
            {
                waitForRoom();
                continue;
            }
            // A file the kernel cannot send from: the copy below goes on from the file's offset.
            if (errno == EINVAL || errno == ENOSYS)
                break;
            connectionLost();
        }
    }

    std::vector<char> buffer(sentWhole ? 0 : TransferBufferSize);
    AsciiEncoder encoder;
    while (!sentWhole && !failure)
    {
        const ssize_t count = ::read(file.handle(), buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
        {
            failure = Response(Response::InvalidFile, " Cannot read " + quoted(localFile) + ": " + std::strerror(errno));
            break;
        }
        if (count == 0)
            break;
        std::string_view bytes = mode == TransferMode::Ascii
                                     ? encoder.convert(buffer.data(), static_cast<std::size_t>(count))
                                     : std::string_view(buffer.data(), static_cast<std::size_t>(count));
        while (!bytes.empty() && !failure)
        {
            std::size_t sent = 0;
            const Socket::Status sendStatus = data.send(bytes.data(), bytes.size(), sent);
            bytes.remove_prefix(sent);
            if (sendStatus == Socket::Status::Done)
                break;
            if (sendStatus == Socket::Status::Partial || sendStatus == Socket::Status::NotReady)
                waitForRoom();
            else
                connectionLost();
        }
    }
    data.disconnect();
    if (failure)
        return finishTransfer(*failure);
    return getResponse();
}
} // namespace mivra

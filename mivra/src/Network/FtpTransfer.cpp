#include <mivra/Network/Ftp.hpp>
#include <mivra/System/Diagnostics.hpp>

#include "Network/detail/FtpLocalReplies.hpp"
#include "Network/detail/FtpReply.hpp"
#include "Network/detail/LineEnds.hpp"
#include "Network/detail/SocketImpl.hpp"
#include "Network/detail/TransferFiles.hpp"
#include "Network/detail/TransferPace.hpp"
#include "System/detail/ReplacingFile.hpp"

#include <poll.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

namespace mivra
{
namespace
{
constexpr std::size_t TransferBufferSize = 1024 * 1024;
constexpr std::size_t MaxListingSize = 64 * 1024 * 1024;

// Waits for bytes on the data connection until the pace's period ends (NotReady then), and
// receives what came.
Socket::Status receivePaced(TcpSocket& data, char* buffer, std::size_t size, const detail::TransferPace& pace,
                            std::size_t& received)
{
    received = 0;
    const int ready = detail::waitUntil(data.getNativeHandle(), POLLIN, pace.periodEnd());
    if (ready <= 0)
        return ready < 0 ? Socket::Status::Error : Socket::Status::NotReady;
    return data.receive(buffer, size, received);
}
} // namespace

// After a transfer broke off locally: take the server's final reply for it, so the control
// connection stays in step, and report the server's own failure if it gave one.
Ftp::Response Ftp::finishTransfer(Response failure)
{
    if (m_control.getNativeHandle() == -1)
        return failure;
    const Response reply = getFinalResponse(operationDeadline());
    if (!reply.isOk() && reply.getStatus() < Response::InvalidResponse)
        return reply;
    return failure;
}

Ftp::ListingResponse Ftp::getDirectoryListing(const std::string& directory)
{
    const Deadline deadline = operationDeadline();
    Response response = setType(TransferMode::Ascii, deadline);
    if (!response.isOk())
        return ListingResponse(response, "");
    TcpSocket data;
    response = openDataConnection(data, deadline);
    if (!response.isOk())
        return ListingResponse(response, "");
    response = command("NLST", directory, deadline);
    if (!detail::isPreliminary(response))
        return ListingResponse(detail::unexpectedReply("NLST", response), "");

    // The text as it arrives, made into the listing in place: no string per name, no second copy.
    std::string listing;
    char buffer[65536];
    detail::TransferPace pace(m_timeout, MinimumTransferRate);
    std::optional<Response> failure;
    while (!failure)
    {
        std::size_t received = 0;
        const Socket::Status status = receivePaced(data, buffer, sizeof(buffer), pace, received);
        if (status == Socket::Status::Disconnected)
            break;
        if (status == Socket::Status::Error)
            failure = Response(Response::ConnectionClosed, " The data connection failed");
        else if (listing.size() + received > MaxListingSize)
            failure = Response(Response::InvalidResponse,
                               " The listing exceeds " + std::to_string(MaxListingSize) + " bytes");
        else
        {
            listing.append(buffer, received);
            pace.add(received);
            if (!pace.check())
                failure = Response(Response::ConnectionClosed, pace.failure());
        }
    }
    data.disconnect();
    if (failure)
        return ListingResponse(finishTransfer(*failure), "");
    response = getFinalResponse(operationDeadline());
    if (!response.isOk())
        listing = std::string(); // its memory too
    return ListingResponse(response, std::move(listing));
}

Ftp::Response Ftp::download(const std::filesystem::path& remoteFile, const std::filesystem::path& localPath,
                            TransferMode mode)
{
    if (m_control.getNativeHandle() == -1)
        return detail::notConnected();
    const std::filesystem::path filename = remoteFile.filename();
    if (filename.empty() || filename == "." || filename == "..")
        return Response(Response::InvalidFile, detail::quoted(remoteFile).insert(0, 1, ' ') + " does not name a file");

    const Deadline deadline = operationDeadline();
    Response response = setType(mode, deadline);
    if (!response.isOk())
        return response;

    // The size announced beforehand tells a complete binary transfer from one cut short. It is
    // asked once the type is binary: in ASCII a server may count the line ends it would convert.
    std::optional<std::uint64_t> expectedSize;
    if (mode == TransferMode::Binary)
    {
        const Response size = command("SIZE", remoteFile.string(), deadline);
        if (size.getStatus() >= Response::InvalidResponse)
            return size;
        if (size.getStatus() == Response::FileStatus)
            expectedSize = detail::parseSizeReply(size.getMessage());
    }

    // Written beside its final name and renamed into place once whole: a download that fails
    // leaves an older file of that name as it was.
    const std::filesystem::path target = localPath / filename;
    detail::ReplacingFile file(target);
    const auto cannotSave = [&] {
        reportDiagnostic("cannot save the download", target.string(), file.failure());
        return Response(Response::InvalidFile, " Cannot save " + detail::quoted(target) + ": " + file.failure());
    };
    if (!file.isOpen())
        return cannotSave();

    TcpSocket data;
    response = openDataConnection(data, deadline);
    if (!response.isOk())
        return response;
    response = command("RETR", remoteFile.string(), deadline);
    if (!detail::isPreliminary(response))
        return detail::unexpectedReply("RETR", response);

    std::vector<char> buffer(TransferBufferSize);
    detail::AsciiDecoder decoder;
    detail::TransferPace pace(m_timeout, MinimumTransferRate);
    std::uint64_t receivedTotal = 0;
    std::optional<Response> failure;
    while (!failure)
    {
        std::size_t received = 0;
        const Socket::Status status = receivePaced(data, buffer.data(), buffer.size(), pace, received);
        if (status == Socket::Status::Disconnected)
            break;
        if (status == Socket::Status::Error)
        {
            failure = Response(Response::ConnectionClosed, " The data connection failed");
            break;
        }
        receivedTotal += received;
        // More than announced is refused as it arrives, before it reaches the disk: the server
        // could otherwise fill the disk under the pretence of a small file.
        if (expectedSize && receivedTotal > *expectedSize)
        {
            failure = Response(Response::InvalidResponse, " The server sent more than the " +
                                                              std::to_string(*expectedSize) + " bytes it announced");
            break;
        }
        const std::string_view bytes = mode == TransferMode::Ascii ? decoder.convert(buffer.data(), received)
                                                                   : std::string_view(buffer.data(), received);
        if (!file.write(bytes.data(), bytes.size()))
        {
            failure = cannotSave();
            break;
        }
        pace.add(received);
        if (!pace.check())
            failure = Response(Response::ConnectionClosed, pace.failure());
    }
    data.disconnect();
    if (!failure && mode == TransferMode::Ascii)
    {
        const std::string_view rest = decoder.finish();
        if (!file.write(rest.data(), rest.size()))
            failure = cannotSave();
    }
    if (failure)
        return finishTransfer(*failure);

    response = getFinalResponse(operationDeadline());
    if (!response.isOk())
        return response;
    if (expectedSize && receivedTotal != *expectedSize)
        return Response(Response::ConnectionClosed, " The transfer ended after " + std::to_string(receivedTotal) +
                                                        " of " + std::to_string(*expectedSize) + " bytes");
    if (!file.commit())
        return cannotSave();
    return response;
}

Ftp::Response Ftp::upload(const std::filesystem::path& localFile, const std::filesystem::path& remotePath,
                          TransferMode mode, bool append)
{
    if (m_control.getNativeHandle() == -1)
        return detail::notConnected();
    // Opening does not wait (a FIFO would wait for a writer), and what is not a regular file is
    // refused before anything is read from it.
    const detail::FileReader file(localFile);
    struct stat status
    {};
    if (file.handle() == -1 || ::fstat(file.handle(), &status) == -1)
    {
        const char* reason = std::strerror(errno); // before building the message, which may allocate
        return Response(Response::InvalidFile, " Cannot open " + detail::quoted(localFile) + ": " + reason);
    }
    if (!S_ISREG(status.st_mode))
        return Response(Response::InvalidFile, detail::quoted(localFile).insert(0, 1, ' ') + " is not a regular file");
    detail::setNonBlocking(file.handle(), false);

    std::string remoteName = remotePath.string();
    if (!remoteName.empty() && remoteName.back() != '/')
        remoteName += '/';
    remoteName += localFile.filename().string();

    const Deadline deadline = operationDeadline();
    Response response = setType(mode, deadline);
    if (!response.isOk())
        return response;
    TcpSocket data;
    response = openDataConnection(data, deadline);
    if (!response.isOk())
        return response;
    response = command(append ? "APPE" : "STOR", remoteName, deadline);
    if (!detail::isPreliminary(response))
        return detail::unexpectedReply(append ? "APPE" : "STOR", response);

    // Non-blocking, so that a server that stops reading cannot hold the client forever.
    data.setBlocking(false);
    std::optional<Response> failure;
    detail::TransferPace pace(m_timeout, MinimumTransferRate);
    const auto connectionLost = [&] {
        failure = Response(Response::ConnectionClosed, " The data connection closed during the transfer");
    };
    const auto waitForRoom = [&] {
        for (;;)
        {
            const int ready = detail::waitUntil(data.getNativeHandle(), POLLOUT, pace.periodEnd());
            if (ready < 0)
                connectionLost();
            else if (!pace.check())
                failure = Response(Response::ConnectionClosed, pace.failure());
            if (failure || ready > 0)
                return;
        }
    };

    // Bytes that need no conversion go straight from the file to the socket inside the kernel.
    bool sentWhole = false;
    if (mode != TransferMode::Ascii)
    {
        const detail::SigpipeBlock noSigpipe; // sendfile, unlike send, cannot be told not to raise SIGPIPE
        while (!failure)
        {
            const ssize_t sent = ::sendfile(data.getNativeHandle(), file.handle(), nullptr, 4 * TransferBufferSize);
            if (sent > 0)
            {
                pace.add(static_cast<std::uint64_t>(sent));
                continue;
            }
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
    detail::AsciiEncoder encoder;
    while (!sentWhole && !failure)
    {
        const ssize_t count = ::read(file.handle(), buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
        {
            const char* reason = std::strerror(errno); // before building the message, which may allocate
            failure = Response(Response::InvalidFile, " Cannot read " + detail::quoted(localFile) + ": " + reason);
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
            pace.add(sent);
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
    return getFinalResponse(operationDeadline());
}
} // namespace mivra

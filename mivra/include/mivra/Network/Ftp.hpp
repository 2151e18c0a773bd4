#pragma once

#include <mivra/Network/FtpListing.hpp>
#include <mivra/Network/IpAddress.hpp>
#include <mivra/Network/TcpSocket.hpp>
#include <mivra/System/Time.hpp>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>

namespace mivra
{
/// An FTP client (RFC 959) over one control connection, with passive data connections. A data
/// connection always goes to the host the control connection reached: of a passive reply only the
/// port is used, so a server cannot direct transfers to a third host.
///
/// Every operation returns a Response and never throws: server replies carry the server's code,
/// local failures one of the library's own codes (1000 and up). Every operation is bounded by the
/// time-out given to connect (DefaultTimeout when it is zero), counted from the operation's start:
/// its commands must be taken and its replies complete by then, however slowly the server trickles
/// them, and at most a few preliminary (1xx) replies may precede a final one. A transfer is bounded
/// by its progress instead: it ends when it moves less than MinimumTransferRate bytes a second over
/// a whole time-out (nothing at all included), and the final reply after it has a time-out of its
/// own. After a time-out, a malformed reply or a lost control connection the client hangs up; later
/// operations answer ConnectionClosed until connect.
class Ftp
{
public:
    /// How file contents travel.
    enum class TransferMode
    {
        Binary, ///< bytes as they are (TYPE I)
        Ascii,  ///< text: local line ends (LF) travel as CRLF and back (TYPE A)
        Ebcdic  ///< TYPE E; the bytes go through unchanged, any conversion is the server's
    };

    /// Time allowed for each operation when connect was given no time-out.
    static constexpr Time DefaultTimeout = seconds(30);
    /// The slowest a transfer may go, in bytes per second averaged over a time-out, before it is
    /// given up as stalled.
    static constexpr std::size_t MinimumTransferRate = 1024;

    /// A reply: its code and its text.
    class Response
    {
    public:
        /// Reply codes: the server's (RFC 959 §4.2.2), then the library's own.
        enum Status : int
        {
            RestartMarkerReply = 110,
            ServiceReadySoon = 120,
            DataConnectionAlreadyOpened = 125,
            OpeningDataConnection = 150,

            Ok = 200,
            PointlessCommand = 202,
            SystemStatus = 211,
            DirectoryStatus = 212,
            FileStatus = 213,
            HelpMessage = 214,
            SystemType = 215,
            ServiceReady = 220,
            ClosingConnection = 221,
            DataConnectionOpened = 225,
            ClosingDataConnection = 226,
            EnteringPassiveMode = 227,
            EnteringExtendedPassiveMode = 229,
            LoggedIn = 230,
            FileActionOk = 250,
            DirectoryOk = 257,

            NeedPassword = 331,
            NeedAccountToLogIn = 332,
            NeedInformation = 350,

            ServiceUnavailable = 421,
            DataConnectionUnavailable = 425,
            TransferAborted = 426,
            FileActionAborted = 450,
            LocalError = 451,
            InsufficientStorageSpace = 452,

            CommandUnknown = 500,
            ParametersUnknown = 501,
            CommandNotImplemented = 502,
            BadCommandSequence = 503,
            ParameterNotImplemented = 504,
            NotLoggedIn = 530,
            NeedAccountToStore = 532,
            FileUnavailable = 550,
            PageTypeUnknown = 551,
            NotEnoughMemory = 552,
            FilenameNotAllowed = 553,

            InvalidResponse = 1000,  ///< the server's reply could not be understood
            ConnectionFailed = 1001, ///< the control or data connection could not be made
            ConnectionClosed = 1002, ///< the connection was lost, timed out, or was never made
            InvalidFile = 1003       ///< a local file could not be read or written, or a bad name
        };

        /// The message is the reply's text as it follows the code, separator included: " Login
        /// successful." for the reply "230 Login successful.", so that code and message written
        /// side by side give back the reply. A multi-line reply keeps its further lines, joined
        /// with "\n". The library's own codes come with a message in the same form.
        explicit Response(Status status = InvalidResponse, std::string message = {});

        /// True for the server's positive replies (below 400).
        [[nodiscard]] bool isOk() const { return m_status < 400; }
        /// The reply code.
        [[nodiscard]] Status getStatus() const { return m_status; }
        /// The reply's text, in the form the constructor describes.
        [[nodiscard]] const std::string& getMessage() const { return m_message; }

    private:
        Status m_status;
        std::string m_message;
    };

    /// The reply to PWD: the directory is the quoted path of a 257 reply, with doubled quotes
    /// undone ("a""b" is a"b); empty for any other reply.
    class DirectoryResponse : public Response
    {
    public:
        /// Reads the directory out of a PWD reply.
        explicit DirectoryResponse(const Response& response);
        /// The directory; empty unless the reply was a 257.
        [[nodiscard]] const std::filesystem::path& getDirectory() const { return m_directory; }

    private:
        std::filesystem::path m_directory;
    };

    /// The reply to a listing, with the listing's lines (line ends removed, empty lines skipped).
    class ListingResponse : public Response
    {
    public:
        /// The reply, with the listing received over the data connection (see FtpListing).
        ListingResponse(const Response& response, std::string data);
        /// The listing's names.
        [[nodiscard]] const FtpListing& getListing() const { return m_listing; }

    private:
        FtpListing m_listing;
    };

    /// A client not connected to any server.
    Ftp() = default;
    Ftp(const Ftp&) = delete;
    Ftp& operator=(const Ftp&) = delete;
    /// Closes the connection without a farewell (QUIT could wait on a dead server).
    ~Ftp() = default;

    /// Connects and reads the server's greeting. A zero time-out uses the system's blocking
    /// connect, and DefaultTimeout for the greeting and every later operation.
    Response connect(IpAddress server, unsigned short port = 21, Time timeout = Time::Zero);
    /// Says QUIT and closes the connection.
    Response disconnect();

    /// Anonymous login.
    Response login();
    /// Logs in with USER and, when the server asks for it, PASS.
    Response login(const std::string& name, const std::string& password);
    /// Tells the server the client is still there (NOOP).
    Response keepAlive();

    /// Asks for the working directory (PWD).
    DirectoryResponse getWorkingDirectory();
    /// Names in a directory (the working directory for an empty string), one per line.
    ListingResponse getDirectoryListing(const std::string& directory = "");
    /// Changes the working directory (CWD).
    Response changeDirectory(const std::string& directory);
    /// Goes up to the parent directory (CDUP).
    Response parentDirectory();
    /// Creates a directory (MKD).
    Response createDirectory(const std::string& name);
    /// Removes an empty directory (RMD).
    Response deleteDirectory(const std::string& name);
    /// Renames a file (RNFR, then RNTO).
    Response renameFile(const std::filesystem::path& file, const std::filesystem::path& newName);
    /// Deletes a file (DELE).
    Response deleteFile(const std::filesystem::path& name);

    /// Downloads a remote file into a local directory, under the remote file's name. The data is
    /// written beside it under a temporary name and renamed on success, replacing an older file;
    /// on any failure it is removed, and no file of that name is created or truncated.
    /// In binary mode a transfer cut short is detected from the size the server announced.
    Response download(const std::filesystem::path& remoteFile, const std::filesystem::path& localPath,
                      TransferMode mode = TransferMode::Binary);
    /// Uploads a local file into a remote directory (relative to the working directory, or empty
    /// for the working directory itself), under the local file's name; appends when asked.
    Response upload(const std::filesystem::path& localFile, const std::filesystem::path& remotePath,
                    TransferMode mode = TransferMode::Binary, bool append = false);

    /// Sends one command with an optional parameter and returns the reply. A command or parameter
    /// holding a line break is refused (InvalidFile) without sending anything.
    Response sendCommand(const std::string& command, const std::string& parameter = "");

private:
    using Deadline = std::chrono::steady_clock::time_point;

    // When an operation that starts now must be over.
    [[nodiscard]] Deadline operationDeadline() const;
    Response command(const std::string& command, const std::string& parameter, Deadline deadline);
    Response getResponse(Deadline deadline);
    // The reply that ends a command, past at most a few preliminary (1xx) ones.
    Response getFinalResponse(Deadline deadline);
    Response fail(Response::Status status, const std::string& message);
    Response setType(TransferMode mode, Deadline deadline);
    Response openDataConnection(TcpSocket& data, Deadline deadline);
    Response connectData(unsigned short port, TcpSocket& data, Deadline deadline);
    Response finishTransfer(Response failure);

    TcpSocket m_control;
    std::string m_received; ///< control bytes received and not yet parsed
    Time m_timeout{DefaultTimeout};
};
} // namespace mivra

// The FTP client against a real server: pyftpdlib on loopback.

#include <mivra/Network/Ftp.hpp>

#include "FtpServerProcess.hpp"

#include "ListingNames.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace
{
namespace fs = std::filesystem;
using mivra::Ftp;
using mivra::IpAddress;
using Status = Ftp::Response::Status;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& contents)
{
    std::ofstream(path, std::ios::binary) << contents;
}

bool contains(const mivra::FtpListing& listing, std::string_view name)
{
    return std::find(listing.begin(), listing.end(), name) != listing.end();
}

std::size_t entriesIn(const fs::path& directory)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
}

class FtpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directory(serverRoot());
        fs::create_directory(local());
        writeFile(serverRoot() / "a.txt", "hello\n");
        server = std::make_unique<mivra::test::FtpServerProcess>(serverRoot());
        ASSERT_NE(server->port(), 0) << "pyftpdlib did not start";
    }

    void connectAndLogin()
    {
        const Ftp::Response greeting = ftp.connect(IpAddress::LocalHost, server->port(), mivra::seconds(20));
        ASSERT_EQ(greeting.getStatus(), Status::ServiceReady);
        ASSERT_EQ(ftp.login("user", "secret").getStatus(), Status::LoggedIn);
    }

    fs::path serverRoot() const { return temp.path() / "server"; }
    fs::path local() const { return temp.path() / "local"; }

    mivra::test::TempDir temp;
    std::unique_ptr<mivra::test::FtpServerProcess> server;
    Ftp ftp;
};

TEST_F(FtpTest, SessionAndDirectoryOperations)
{
    const Ftp::Response greeting = ftp.connect(IpAddress::LocalHost, server->port());
    EXPECT_EQ(greeting.getStatus(), Status::ServiceReady);
    EXPECT_EQ(greeting.getMessage(), " Mivra test server ready.");

    const Ftp::Response refused = ftp.login("user", "wrong");
    EXPECT_EQ(refused.getStatus(), Status::NotLoggedIn);
    EXPECT_FALSE(refused.isOk());
    const Ftp::Response loggedIn = ftp.login("user", "secret");
    EXPECT_EQ(loggedIn.getStatus(), Status::LoggedIn);
    EXPECT_TRUE(loggedIn.isOk());

    Ftp::DirectoryResponse pwd = ftp.getWorkingDirectory();
    EXPECT_EQ(pwd.getStatus(), Status::DirectoryOk);
    EXPECT_EQ(pwd.getDirectory(), "/");

    EXPECT_EQ(ftp.createDirectory("sub dir").getStatus(), Status::DirectoryOk);
    EXPECT_TRUE(fs::is_directory(serverRoot() / "sub dir"));
    EXPECT_EQ(ftp.createDirectory("sub dir").getStatus(), Status::FileUnavailable);

    EXPECT_EQ(ftp.changeDirectory("sub dir").getStatus(), Status::FileActionOk);
    EXPECT_EQ(ftp.getWorkingDirectory().getDirectory(), "/sub dir");
    // An empty directory lists nothing, successfully.
    const Ftp::ListingResponse empty = ftp.getDirectoryListing();
    EXPECT_TRUE(empty.isOk()) << empty.getStatus() << empty.getMessage();
    EXPECT_TRUE(empty.getListing().empty());
    EXPECT_EQ(ftp.changeDirectory("no such").getStatus(), Status::FileUnavailable);
    EXPECT_EQ(ftp.parentDirectory().getStatus(), Status::FileActionOk);
    EXPECT_EQ(ftp.getWorkingDirectory().getDirectory(), "/");

    const Ftp::ListingResponse listing = ftp.getDirectoryListing("");
    EXPECT_EQ(listing.getStatus(), Status::ClosingDataConnection);
    EXPECT_EQ(listing.getListing().size(), 2u);
    EXPECT_TRUE(contains(listing.getListing(), "a.txt"));
    EXPECT_TRUE(contains(listing.getListing(), "sub dir"));

    EXPECT_EQ(ftp.renameFile("a.txt", "sub dir/b.txt").getStatus(), Status::FileActionOk);
    EXPECT_EQ(readFile(serverRoot() / "sub dir" / "b.txt"), "hello\n");
    EXPECT_EQ(ftp.renameFile("a.txt", "c.txt").getStatus(), Status::FileUnavailable);
    EXPECT_EQ(mivra::test::names(ftp.getDirectoryListing("sub dir").getListing()), std::vector<std::string>{"b.txt"});

    EXPECT_EQ(ftp.deleteDirectory("sub dir").getStatus(), Status::FileUnavailable); // not empty
    EXPECT_EQ(ftp.deleteFile("sub dir/b.txt").getStatus(), Status::FileActionOk);
    EXPECT_EQ(ftp.deleteFile("sub dir/b.txt").getStatus(), Status::FileUnavailable);
    EXPECT_EQ(ftp.deleteDirectory("sub dir").getStatus(), Status::FileActionOk);
    EXPECT_FALSE(fs::exists(serverRoot() / "sub dir"));

    EXPECT_EQ(ftp.keepAlive().getStatus(), Status::Ok);
    EXPECT_EQ(ftp.sendCommand("SYST").getStatus(), Status::SystemType);
    EXPECT_EQ(ftp.sendCommand("NOSUCHCOMMAND").getStatus(), Status::CommandUnknown);
    // A line break would smuggle a second command onto the control connection.
    EXPECT_EQ(ftp.deleteFile("x\r\nDELE a").getStatus(), Status::InvalidFile);
    EXPECT_EQ(ftp.keepAlive().getStatus(), Status::Ok);

    EXPECT_EQ(ftp.disconnect().getStatus(), Status::ClosingConnection);
    EXPECT_EQ(ftp.keepAlive().getStatus(), Status::ConnectionClosed);
    EXPECT_EQ(ftp.disconnect().getStatus(), Status::ConnectionClosed);
    EXPECT_EQ(ftp.download("a.txt", local()).getStatus(), Status::ConnectionClosed);
}

TEST_F(FtpTest, QuotesInDirectoryNames)
{
    connectAndLogin();
    EXPECT_EQ(ftp.createDirectory("say \"hi\"").getStatus(), Status::DirectoryOk);
    EXPECT_EQ(ftp.changeDirectory("say \"hi\"").getStatus(), Status::FileActionOk);
    EXPECT_EQ(ftp.getWorkingDirectory().getDirectory(), "/say \"hi\"");
}

TEST_F(FtpTest, AnonymousLoginReadsButCannotWrite)
{
    ASSERT_TRUE(ftp.connect(IpAddress::LocalHost, server->port()).isOk());
    EXPECT_EQ(ftp.login().getStatus(), Status::LoggedIn);
    EXPECT_TRUE(ftp.download("a.txt", local()).isOk());
    EXPECT_EQ(readFile(local() / "a.txt"), "hello\n");
    writeFile(local() / "up.txt", "data");
    EXPECT_FALSE(ftp.upload(local() / "up.txt", "").isOk());
    EXPECT_FALSE(fs::exists(serverRoot() / "up.txt"));
}

TEST_F(FtpTest, ConnectFailures)
{
    const unsigned short port = server->port();
    server.reset();
    const Ftp::Response failed = ftp.connect(IpAddress::LocalHost, port);
    EXPECT_EQ(failed.getStatus(), Status::ConnectionFailed);
    EXPECT_FALSE(failed.isOk());
    EXPECT_EQ(ftp.login("user", "secret").getStatus(), Status::ConnectionClosed);
}

TEST_F(FtpTest, SmallTransfers)
{
    connectAndLogin();
    const std::string binary("a\r\nb\0c\n\xff", 8);
    writeFile(local() / "blob.bin", binary);
    ASSERT_EQ(ftp.createDirectory("up").getStatus(), Status::DirectoryOk);

    EXPECT_EQ(ftp.upload(local() / "blob.bin", "up").getStatus(), Status::ClosingDataConnection);
    EXPECT_EQ(readFile(serverRoot() / "up" / "blob.bin"), binary);
    // A trailing slash on the remote directory makes no difference.
    EXPECT_TRUE(ftp.upload(local() / "blob.bin", "up/", Ftp::TransferMode::Binary, true).isOk());
    EXPECT_EQ(readFile(serverRoot() / "up" / "blob.bin"), binary + binary);
    EXPECT_TRUE(ftp.upload(local() / "blob.bin", "up", Ftp::TransferMode::Binary, false).isOk());
    EXPECT_EQ(readFile(serverRoot() / "up" / "blob.bin"), binary);

    const fs::path into = local() / "into";
    fs::create_directory(into);
    EXPECT_EQ(ftp.download("up/blob.bin", into).getStatus(), Status::ClosingDataConnection);
    EXPECT_EQ(readFile(into / "blob.bin"), binary);
    EXPECT_EQ(entriesIn(into), 1u);

    // An empty file is a file too.
    writeFile(serverRoot() / "empty", "");
    EXPECT_TRUE(ftp.download("empty", into).isOk());
    EXPECT_TRUE(fs::exists(into / "empty"));
    EXPECT_EQ(fs::file_size(into / "empty"), 0u);
}

TEST_F(FtpTest, TextModeConvertsLineEnds)
{
    connectAndLogin();
    writeFile(local() / "text.txt", "one\ntwo\r\nthree");
    EXPECT_TRUE(ftp.upload(local() / "text.txt", "", Ftp::TransferMode::Ascii).isOk());
    // The server stores text with its own (LF) line ends.
    EXPECT_EQ(readFile(serverRoot() / "text.txt"), "one\ntwo\nthree");

    writeFile(serverRoot() / "lines.txt", "x\ny\n\nz\r");
    const fs::path into = local() / "into";
    fs::create_directory(into);
    EXPECT_TRUE(ftp.download("lines.txt", into, Ftp::TransferMode::Ascii).isOk());
    EXPECT_EQ(readFile(into / "lines.txt"), "x\ny\n\nz\r");

    // This server has no EBCDIC: its refusal comes back and nothing is written.
    const Ftp::Response ebcdic = ftp.download("lines.txt", local(), Ftp::TransferMode::Ebcdic);
    EXPECT_EQ(ebcdic.getStatus(), Status::ParameterNotImplemented) << ebcdic.getMessage();
    EXPECT_FALSE(fs::exists(local() / "lines.txt"));
}

TEST_F(FtpTest, DownloadFailuresLeaveNoFile)
{
    connectAndLogin();
    // A missing remote file: the server's refusal, and no local file of any name.
    const Ftp::Response missing = ftp.download("nope.txt", local());
    EXPECT_EQ(missing.getStatus(), Status::FileUnavailable);
    EXPECT_EQ(entriesIn(local()), 0u);

    // An older local file survives a failed download untouched.
    writeFile(local() / "nope.txt", "keep me");
    EXPECT_FALSE(ftp.download("nope.txt", local()).isOk());
    EXPECT_EQ(readFile(local() / "nope.txt"), "keep me");
    EXPECT_EQ(entriesIn(local()), 1u);

    // ...and is replaced by a successful one.
    writeFile(local() / "a.txt", "old contents, longer than the new ones");
    EXPECT_TRUE(ftp.download("a.txt", local()).isOk());
    EXPECT_EQ(readFile(local() / "a.txt"), "hello\n");

    // A local directory that does not exist.
    EXPECT_EQ(ftp.download("a.txt", local() / "missing").getStatus(), Status::InvalidFile);
    EXPECT_FALSE(fs::exists(local() / "missing"));
    // A remote path that names no file.
    EXPECT_EQ(ftp.download("/", local()).getStatus(), Status::InvalidFile);

    // The session goes on after all of these.
    EXPECT_EQ(ftp.keepAlive().getStatus(), Status::Ok);
}

TEST_F(FtpTest, UploadFailures)
{
    connectAndLogin();
    EXPECT_EQ(ftp.upload(local() / "absent.bin", "").getStatus(), Status::InvalidFile);
    EXPECT_EQ(ftp.upload(local(), "").getStatus(), Status::InvalidFile);
    writeFile(local() / "f.bin", "x");
    EXPECT_EQ(ftp.upload(local() / "f.bin", "no/such/dir").getStatus(), Status::FileUnavailable);
    EXPECT_EQ(ftp.keepAlive().getStatus(), Status::Ok);
}

TEST_F(FtpTest, LargeTransfersAreExact)
{
    connectAndLogin();
    const std::size_t size = 256u * 1024 * 1024;
    const fs::path original = local() / "big.bin";
    mivra::test::writePatternFile(original, size);
    ASSERT_EQ(fs::file_size(original), size);

    ASSERT_EQ(ftp.upload(original, "").getStatus(), Status::ClosingDataConnection);
    EXPECT_TRUE(mivra::test::sameContents(original, serverRoot() / "big.bin"));

    const fs::path into = local() / "into";
    fs::create_directory(into);
    ASSERT_EQ(ftp.download("big.bin", into).getStatus(), Status::ClosingDataConnection);
    EXPECT_TRUE(mivra::test::sameContents(original, into / "big.bin"));
    EXPECT_EQ(entriesIn(into), 1u);
}
} // namespace

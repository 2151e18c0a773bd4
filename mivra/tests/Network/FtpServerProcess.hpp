#pragma once

// Test support: a pyftpdlib server run in a child process, and file helpers for transfers.

#include "../Support/TempDir.hpp"

#include <filesystem>
#include <string>
#include <vector>

namespace mivra::test
{
// Debian's pyftpdlib (through /usr/bin/python3, which has the module) serving root on 127.0.0.1
// at a free port, with the user "user" / "secret" (all rights) and anonymous read access.
// Stopped by the destructor; it also exits by itself if this process dies.
class FtpServerProcess
{
public:
    explicit FtpServerProcess(const std::filesystem::path& root);
    ~FtpServerProcess();
    FtpServerProcess(const FtpServerProcess&) = delete;
    FtpServerProcess& operator=(const FtpServerProcess&) = delete;

    // 0 when the server could not be started.
    [[nodiscard]] unsigned short port() const { return m_port; }

private:
    int m_pid{-1};
    int m_stdin{-1};
    unsigned short m_port{};
};

// Runs a program to its end; its exit status, or -1 when it could not run.
int runProgram(const std::vector<std::string>& arguments);

// Whether two files hold the same bytes.
bool sameContents(const std::filesystem::path& a, const std::filesystem::path& b);

// Writes size bytes of a deterministic pattern that differs from block to block.
void writePatternFile(const std::filesystem::path& path, std::size_t size);
} // namespace mivra::test

#include "FtpServerProcess.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>

namespace mivra::test
{
FtpServerProcess::FtpServerProcess(const std::filesystem::path& root)
{
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) == -1)
        return;
    if (::pipe2(output, O_CLOEXEC) == -1)
    {
        ::close(input[0]);
        ::close(input[1]);
        return;
    }
    const std::string script = std::string(MIVRA_SOURCE_DIR) + "/mivra/tests/Network/ftp_server.py";
    m_pid = ::fork();
    if (m_pid == 0)
    {
        ::dup2(input[0], 0);
        ::dup2(output[1], 1);
        ::execl("/usr/bin/python3", "python3", script.c_str(), "--root", root.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(input[0]);
    ::close(output[1]);
    m_stdin = input[1];

    // The server announces "PORT <n>" once it listens.
    std::string line;
    pollfd entry{output[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && ::poll(&entry, 1, 30000) > 0)
    {
        char buffer[64];
        const ssize_t count = ::read(output[0], buffer, sizeof(buffer));
        if (count <= 0)
            break;
        line.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(output[0]);
    unsigned port = 0;
    if (std::sscanf(line.c_str(), "PORT %u", &port) == 1)
        m_port = static_cast<unsigned short>(port);
}

FtpServerProcess::~FtpServerProcess()
{
    if (m_stdin != -1)
        ::close(m_stdin);
    if (m_pid > 0)
    {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
}

int runProgram(const std::vector<std::string>& arguments)
{
    const pid_t pid = ::fork();
    if (pid == -1)
        return -1;
    if (pid == 0)
    {
        std::vector<char*> argv;
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) == -1 || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

bool sameContents(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    if (!first || !second || std::filesystem::file_size(a) != std::filesystem::file_size(b))
        return false;
    std::vector<char> one(1 << 20), two(1 << 20);
    while (first && second)
    {
        first.read(one.data(), static_cast<std::streamsize>(one.size()));
        second.read(two.data(), static_cast<std::streamsize>(two.size()));
        if (first.gcount() != second.gcount() ||
            std::memcmp(one.data(), two.data(), static_cast<std::size_t>(first.gcount())) != 0)
            return false;
    }
    return true;
}

void writePatternFile(const std::filesystem::path& path, std::size_t size)
{
    std::ofstream out(path, std::ios::binary);
    std::vector<std::uint32_t> block(1 << 18); // 1 MiB
    std::mt19937 random(12345);
    for (auto& word : block)
        word = random();
    std::size_t written = 0;
    for (std::uint32_t index = 0; written < size; ++index)
    {
        block[index % block.size()] ^= index * 2654435761u; // every block differs somewhere
        block[0] = index;
        const std::size_t count = std::min(size - written, block.size() * sizeof(std::uint32_t));
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(count));
        written += count;
    }
}
} // namespace mivra::test

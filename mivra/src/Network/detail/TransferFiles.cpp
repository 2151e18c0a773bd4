#include "Network/detail/TransferFiles.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <sstream>
#include <utility>

namespace mivra::detail
{
namespace
{
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
} // namespace

PartialFile::PartialFile(const std::filesystem::path& finalPath) : m_finalPath(finalPath)
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

PartialFile::~PartialFile()
{
    if (m_handle != -1)
        ::close(m_handle);
    if (!m_committed && !m_path.empty())
        ::unlink(m_path.c_str());
}

bool PartialFile::write(std::string_view bytes)
{
    if (writeAll(m_handle, bytes.data(), bytes.size()))
        return true;
    m_error = errno;
    return false;
}

bool PartialFile::commit()
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

FileReader::FileReader(const std::filesystem::path& path)
    : m_handle(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
{
}

FileReader::~FileReader()
{
    if (m_handle != -1)
        ::close(m_handle);
}

SigpipeBlock::SigpipeBlock()
{
    ::sigemptyset(&m_set);
    ::sigaddset(&m_set, SIGPIPE);
    sigset_t pending;
    ::sigpending(&pending);
    m_wasPending = ::sigismember(&pending, SIGPIPE) == 1;
    ::pthread_sigmask(SIG_BLOCK, &m_set, &m_previous);
}

SigpipeBlock::~SigpipeBlock()
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
} // namespace mivra::detail

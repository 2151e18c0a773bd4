#include "Network/detail/TransferFiles.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>


namespace mivra::detail
{
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

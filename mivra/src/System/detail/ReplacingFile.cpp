#include "System/detail/ReplacingFile.hpp"
#include "System/detail/FileReading.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <sstream>
#include <utility>

namespace mivra::detail
{
ReplacingFile::ReplacingFile(const std::filesystem::path& target) : m_target(target)
{
    // A symbolic link keeps pointing where it did: the file it names is the one replaced. A link
    // that names no file is refused rather than followed: creating a file wherever a stray link
    // points is how a planted link redirects a write, and replacing the link would lose where it
    // pointed. `cp` refuses to write through a dangling link for the same reason.
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec))
    {
        if (!std::filesystem::exists(target, ec))
        {
            const std::filesystem::path pointee = std::filesystem::read_symlink(target, ec);
            m_failure = "a symbolic link to " + pointee.string() + ", which names no file";
            return;
        }
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, ec);
        if (!ec)
            m_target = resolved;
    }
    struct stat existing
    {};
    const bool exists = ::stat(m_target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
    {
        m_failure = S_ISDIR(existing.st_mode) ? "is a directory" : "not a regular file";
        return;
    }

    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_handle == -1; ++attempt)
    {
        std::ostringstream name;
        name << '.' << m_target.filename().string() << ".tmp-" << std::hex << random();
        m_path = m_target.parent_path() / name.str();
        m_handle = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_handle == -1 && errno != EEXIST)
            break;
    }
    if (m_handle == -1)
    {
        fail("cannot create a file beside it", errno);
        m_path.clear();
        return;
    }
    // The new file keeps the permission bits the old one had, and no more: new contents must not
    // inherit setuid or setgid, which the kernel clears on any write to the old file too. The sticky
    // bit means nothing on a regular file here, so it goes as well.
    if (exists)
        (void)::fchmod(m_handle, existing.st_mode & 0777);
}

ReplacingFile::~ReplacingFile()
{
    if (m_handle != -1)
        ::close(m_handle);
    if (!m_committed && !m_path.empty())
        ::unlink(m_path.c_str());
}

bool ReplacingFile::fail(const std::string& what, int error)
{
    m_failure = what + ": " + describeError(error);
    return false;
}

bool ReplacingFile::write(const void* data, std::size_t size)
{
    if (m_handle == -1)
        return false;
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0)
    {
        const ssize_t written = ::write(m_handle, bytes, size);
        if (written == -1)
        {
            if (errno == EINTR)
                continue;
            return fail("cannot write the file", errno);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool ReplacingFile::commit()
{
    if (m_handle == -1)
        return false;
    // Without the flush, a crash soon after the rename could leave the new name on empty blocks.
    if (::fsync(m_handle) == -1)
        return fail("cannot write the file", errno);
    const int handle = std::exchange(m_handle, -1);
    if (::close(handle) == -1)
        return fail("cannot write the file", errno);
    if (::rename(m_path.c_str(), m_target.c_str()) == -1)
        return fail("cannot replace the file", errno);
    m_committed = true;
    return true;
}
} // namespace mivra::detail

#include "System/detail/FileReading.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <utility>

namespace mivra::detail
{
std::string describeError(int error)
{
    switch (error)
    {
    case ENOENT: return "no such file";
    case EISDIR: return "is a directory";
    case ENOSPC: return "no space left on the device";
    default: break;
    }
    std::string text = std::strerror(error);
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

ReadableFile::ReadableFile(ReadableFile&& other) noexcept
    : m_handle(std::exchange(other.m_handle, -1)), m_size(other.m_size)
{
}

ReadableFile& ReadableFile::operator=(ReadableFile&& other) noexcept
{
    if (this != &other)
    {
        if (m_handle != -1)
            ::close(m_handle);
        m_handle = std::exchange(other.m_handle, -1);
        m_size = other.m_size;
    }
    return *this;
}

ReadableFile::~ReadableFile()
{
    if (m_handle != -1)
        ::close(m_handle);
}

int ReadableFile::release()
{
    return std::exchange(m_handle, -1);
}

ReadableFile openRegularFile(const std::filesystem::path& path, std::uint64_t maxSize, std::string& failure)
{
    ReadableFile file;
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; fstat then refuses it. On a
    // regular file the flag changes nothing.
    int handle = -1;
    do
        handle = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (handle == -1 && errno == EINTR);
    if (handle == -1)
    {
        failure = describeError(errno);
        return file;
    }
    file.m_handle = handle;
    struct stat status
    {};
    if (::fstat(handle, &status) == -1)
    {
        failure = describeError(errno);
        return ReadableFile();
    }
    if (S_ISDIR(status.st_mode))
    {
        failure = "is a directory";
        return ReadableFile();
    }
    if (!S_ISREG(status.st_mode))
    {
        failure = "not a regular file";
        return ReadableFile();
    }
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size > maxSize)
    {
        failure = "the file is too large (" + std::to_string(size) + " bytes, at most " + std::to_string(maxSize) +
                  " are read)";
        return ReadableFile();
    }
    file.m_size = size;
    return file;
}

FileContents readWholeFile(const std::filesystem::path& path, std::uint64_t maxSize)
{
    FileContents contents;
    const ReadableFile file = openRegularFile(path, maxSize, contents.failure);
    if (!file.isOpen())
        return contents;
    // The size is where reading stops even if the file grows meanwhile; a file that shrinks ends
    // early, and the caller gets what was there.
    contents.bytes.resize(static_cast<std::size_t>(file.size()));
    std::size_t done = 0;
    while (done < contents.bytes.size())
    {
        const ssize_t got = ::read(file.handle(), contents.bytes.data() + done, contents.bytes.size() - done);
        if (got == -1 && errno == EINTR)
            continue;
        if (got == -1)
        {
            contents.failure = "cannot read the file: " + describeError(errno);
            contents.bytes.clear();
            return contents;
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    contents.bytes.resize(done);
    return contents;
}
} // namespace mivra::detail

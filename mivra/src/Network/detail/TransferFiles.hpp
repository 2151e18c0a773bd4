#pragma once

#include <signal.h>

#include <filesystem>

namespace mivra::detail
{
// A file opened for reading, closed with its owner; handle() is -1 when it could not be opened.
// Opening does not wait: a FIFO without a writer opens at once, non-blocking, for the owner to
// refuse it.
class FileReader
{
public:
    explicit FileReader(const std::filesystem::path& path);
    ~FileReader();
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
    SigpipeBlock();
    ~SigpipeBlock();
    SigpipeBlock(const SigpipeBlock&) = delete;
    SigpipeBlock& operator=(const SigpipeBlock&) = delete;

private:
    sigset_t m_set{};
    sigset_t m_previous{};
    bool m_wasPending{};
};
} // namespace mivra::detail

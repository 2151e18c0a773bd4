#pragma once

#include <signal.h>

#include <filesystem>
#include <string_view>

namespace mivra::detail
{
// A file being downloaded: created beside its final name, renamed into place by commit(), removed
// otherwise.
class PartialFile
{
public:
    explicit PartialFile(const std::filesystem::path& finalPath);
    ~PartialFile();
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    [[nodiscard]] bool isOpen() const { return m_handle != -1; }
    // The errno of the last failure.
    [[nodiscard]] int error() const { return m_error; }
    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }

    bool write(std::string_view bytes);
    bool commit();

private:
    std::filesystem::path m_finalPath;
    std::filesystem::path m_path;
    int m_handle{-1};
    int m_error{};
    bool m_committed{};
};

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

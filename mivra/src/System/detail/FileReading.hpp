#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Compiled into every module that reads files (graphics, audio) rather than exported by the system
// module: it is not part of the library's interface.
namespace mivra::detail
{
// A file read whole, or why it could not be.
struct FileContents
{
    std::vector<std::uint8_t> bytes;
    // Empty when the bytes are the whole file.
    std::string failure;

    explicit operator bool() const { return failure.empty(); }
};

// A file opened for reading, closed with its owner.
class ReadableFile
{
public:
    ReadableFile() = default;
    ReadableFile(ReadableFile&& other) noexcept;
    ReadableFile& operator=(ReadableFile&& other) noexcept;
    ~ReadableFile();

    [[nodiscard]] bool isOpen() const { return m_handle != -1; }
    [[nodiscard]] int handle() const { return m_handle; }
    [[nodiscard]] std::uint64_t size() const { return m_size; }
    // Gives the descriptor up to a caller that closes it itself.
    int release();

private:
    friend ReadableFile openRegularFile(const std::filesystem::path&, std::uint64_t, std::string&);

    int m_handle{-1};
    std::uint64_t m_size{};
};

// Opens a regular file of at most maxSize bytes. Anything else is refused before a byte is read: a
// directory, a device (/dev/zero never ends), a FIFO (opened without waiting for a writer) or a
// socket. On failure the file is not open and `failure` says why.
ReadableFile openRegularFile(const std::filesystem::path& path, std::uint64_t maxSize, std::string& failure);

// The whole of a regular file of at most maxSize bytes, with the checks of openRegularFile.
FileContents readWholeFile(const std::filesystem::path& path, std::uint64_t maxSize);

// Why a system call failed, as diagnostics word it: "no such file", "permission denied", ...
std::string describeError(int error);
} // namespace mivra::detail

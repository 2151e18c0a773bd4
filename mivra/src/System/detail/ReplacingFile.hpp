#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

// Compiled into every module that saves files (graphics, audio) rather than exported by the system
// module: it is not part of the library's interface.
namespace mivra::detail
{
// A file written beside its target and renamed over it once complete, so that the target is either
// its old self or the whole new file: a full disk, a failed write or a crash part-way never leaves
// it truncated. Without commit() the temporary file is removed.
class ReplacingFile
{
public:
    // Creates the temporary file; check isOpen(), failure() says why not. A target that exists but
    // is not a regular file (a directory, /dev/null) is refused: renaming over it would replace it.
    // So is a symbolic link that names no file; one that does has the file it names replaced.
    explicit ReplacingFile(const std::filesystem::path& target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    [[nodiscard]] bool isOpen() const { return m_handle != -1; }
    // The descriptor to write through, for writers that take one (libsndfile).
    [[nodiscard]] int handle() const { return m_handle; }
    // Why the last step failed.
    [[nodiscard]] const std::string& failure() const { return m_failure; }

    // Writes all of the bytes, or returns false.
    bool write(const void* data, std::size_t size);
    // Flushes the file to the disk, closes it and renames it over the target; false when any of it
    // fails, the target then untouched.
    bool commit();

private:
    bool fail(const std::string& what, int error);

    std::filesystem::path m_target;
    std::filesystem::path m_path;
    int m_handle{-1};
    bool m_committed{false};
    std::string m_failure;
};
} // namespace mivra::detail

#pragma once

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace mivra::test
{
// A fresh directory of its own (mkdtemp: two tests, two processes or two runs never share one),
// removed with everything in it when it goes out of scope, also when an assertion ends the test.
class TempDir
{
public:
    // Under the system's temporary directory, or under base when given.
    explicit TempDir(const std::filesystem::path& base = {})
    {
        std::string pattern =
            ((base.empty() ? std::filesystem::temp_directory_path() : base) / "mivra-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a scratch directory: " + pattern + ": " +
                                     std::generic_category().message(errno));
        m_path = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};
} // namespace mivra::test

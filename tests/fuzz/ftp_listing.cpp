// A directory listing as the server sends it: the names the client keeps, rearranged in place in
// the received text, must be the lines of that text, split plainly with a copy per line, with one
// trailing CR removed and empty lines skipped.
#include <mivra/Network/FtpListing.hpp>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace
{
void check(bool condition)
{
    if (!condition)
        std::abort();
}

std::vector<std::string> splitPlainly(std::string_view text)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            names.push_back(std::move(line));
        start = end + 1;
    }
    return names;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> expected = splitPlainly(text);
    const mivra::FtpListing listing{std::string(text)};
    check(listing.size() == expected.size());
    check(listing.empty() == expected.empty());
    std::size_t i = 0;
    for (const std::string_view name : listing)
    {
        check(i < expected.size() && name == expected[i]);
        ++i;
    }
    check(i == expected.size());
    return 0;
}

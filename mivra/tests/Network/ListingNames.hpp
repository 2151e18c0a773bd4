#pragma once

// Test support: a listing's names as strings, to compare with the names expected.

#include <mivra/Network/FtpListing.hpp>

#include <string>
#include <vector>

namespace mivra::test
{
inline std::vector<std::string> names(const FtpListing& listing)
{
    return {listing.begin(), listing.end()};
}
} // namespace mivra::test

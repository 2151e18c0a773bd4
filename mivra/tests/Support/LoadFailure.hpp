#pragma once

#include <mivra/System/Exception.hpp>

#include <filesystem>
#include <string>

namespace mivra::test
{
// What the loading constructor of Resource throws for the file, or "(it loaded)".
template <typename Resource>
std::string loadFailure(const std::filesystem::path& file)
{
    try
    {
        const Resource resource(file);
    }
    catch (const Exception& e)
    {
        return e.what();
    }
    return "(it loaded)";
}
} // namespace mivra::test

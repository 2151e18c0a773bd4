#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace mivra
{
// Thrown by constructors that load a resource (font, image, texture, sound, shader) when it cannot
// be loaded. The message names the file and the reason, ready to print as one line.
class Exception : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;

    Exception(const std::filesystem::path& file, const std::string& reason)
        : std::runtime_error("Failed to load \"" + file.string() + "\": " + reason)
    {
    }
};
} // namespace mivra

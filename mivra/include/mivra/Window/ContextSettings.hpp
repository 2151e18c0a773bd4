#pragma once

#include <cstdint>

namespace mivra
{
/// What an OpenGL context is asked for, and (from getSettings) what it was given.
///
/// The default request gives a compatibility-profile context of the highest version the driver
/// offers, so fixed-function state and GLSL 1.20 shaders both work.
struct ContextSettings
{
    enum Attribute : std::uint32_t
    {
        Default = 0,      ///< compatibility profile
        Core = 1 << 0,    ///< core profile (version 3.2 and above)
        Debug = 1 << 2,   ///< debug context
    };

    unsigned int depthBits{};
    unsigned int stencilBits{};
    unsigned int antiAliasingLevel{};
    unsigned int majorVersion{1};
    unsigned int minorVersion{1};
    std::uint32_t attributeFlags{Default};
    bool sRgbCapable{};

    friend bool operator==(const ContextSettings&, const ContextSettings&) = default;
};
} // namespace mivra

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
    /// Flags for attributeFlags, combined with |.
    enum Attribute : std::uint32_t
    {
        Default = 0,    ///< compatibility profile
        Core = 1 << 0,  ///< core profile (version 3.2 and above)
        Debug = 1 << 2, ///< debug context
    };

    unsigned int depthBits{};              ///< Bits of the depth buffer; 0 for none.
    unsigned int stencilBits{};            ///< Bits of the stencil buffer; 0 for none.
    unsigned int antiAliasingLevel{};      ///< Samples per pixel for multisampling; 0 for none.
    unsigned int majorVersion{1};          ///< The OpenGL version asked for, major part.
    unsigned int minorVersion{1};          ///< The OpenGL version asked for, minor part.
    std::uint32_t attributeFlags{Default}; ///< Attribute flags: profile and debug.
    bool sRgbCapable{};                    ///< Whether the framebuffer should convert linear colours to sRGB.

    /// Every field equal.
    friend bool operator==(const ContextSettings&, const ContextSettings&) = default;
};
} // namespace mivra

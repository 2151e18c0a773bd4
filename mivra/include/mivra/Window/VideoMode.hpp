#pragma once

#include <mivra/System/Vector2.hpp>

#include <vector>

namespace mivra
{
/// A window or screen size in pixels and its colour depth.
class VideoMode
{
public:
    /// A zero mode.
    VideoMode() = default;
    /// A mode of that size, in pixels, and colour depth.
    explicit VideoMode(Vector2u modeSize, unsigned int modeBitsPerPixel = 32);

    /// The desktop's current mode; 1024 x 768 x 32 when no display can be reached.
    [[nodiscard]] static VideoMode getDesktopMode();
    /// The modes a full-screen window may use, largest first.
    [[nodiscard]] static const std::vector<VideoMode>& getFullscreenModes();
    /// Whether the mode is among the full-screen modes.
    [[nodiscard]] bool isValid() const;

    /// Same size and depth.
    friend bool operator==(const VideoMode&, const VideoMode&) = default;

    Vector2u size;               ///< Width and height, in pixels.
    unsigned int bitsPerPixel{}; ///< Colour depth.
};
} // namespace mivra

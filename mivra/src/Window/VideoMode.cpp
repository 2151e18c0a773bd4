#include <mivra/Window/VideoMode.hpp>

#include "detail/WindowBackend.hpp"

#include <algorithm>

namespace mivra
{
VideoMode::VideoMode(Vector2u modeSize, unsigned int modeBitsPerPixel) : size(modeSize), bitsPerPixel(modeBitsPerPixel)
{
}

VideoMode VideoMode::getDesktopMode()
{
    return detail::platform().getDesktopMode().value_or(VideoMode({1024, 768}, 32));
}

const std::vector<VideoMode>& VideoMode::getFullscreenModes()
{
    static const std::vector<VideoMode> modes = [] {
        std::vector<VideoMode> result;
        for (const VideoMode& mode : detail::platform().getDisplayModes())
            if (std::find(result.begin(), result.end(), mode) == result.end())
                result.push_back(mode);
        std::stable_sort(result.begin(), result.end(), [](const VideoMode& a, const VideoMode& b) {
            if (a.bitsPerPixel != b.bitsPerPixel)
                return a.bitsPerPixel > b.bitsPerPixel;
            return a.size.x != b.size.x ? a.size.x > b.size.x : a.size.y > b.size.y;
        });
        return result;
    }();
    return modes;
}

bool VideoMode::isValid() const
{
    const auto& modes = getFullscreenModes();
    return std::find(modes.begin(), modes.end(), *this) != modes.end();
}
} // namespace mivra

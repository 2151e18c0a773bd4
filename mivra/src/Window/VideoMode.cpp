#include <mivra/Window/VideoMode.hpp>

#include "detail/SdlVideo.hpp"

#include <SDL.h>

#include <algorithm>

namespace mivra
{
VideoMode::VideoMode(Vector2u modeSize, unsigned int modeBitsPerPixel) : size(modeSize), bitsPerPixel(modeBitsPerPixel)
{
}

VideoMode VideoMode::getDesktopMode()
{
    SDL_DisplayMode mode;
    if (!detail::ensureSdlVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return VideoMode({1024, 768}, 32);
    return VideoMode({static_cast<unsigned int>(mode.w), static_cast<unsigned int>(mode.h)},
                     SDL_BYTESPERPIXEL(mode.format) * 8u);
}

const std::vector<VideoMode>& VideoMode::getFullscreenModes()
{
    static const std::vector<VideoMode> modes = [] {
        std::vector<VideoMode> result;
        if (!detail::ensureSdlVideo())
            return result;
        const int count = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < count; ++i)
        {
            SDL_DisplayMode mode;
            if (SDL_GetDisplayMode(0, i, &mode) != 0)
                continue;
            const VideoMode videoMode({static_cast<unsigned int>(mode.w), static_cast<unsigned int>(mode.h)},
                                      SDL_BYTESPERPIXEL(mode.format) * 8u);
            if (std::find(result.begin(), result.end(), videoMode) == result.end())
                result.push_back(videoMode);
        }
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

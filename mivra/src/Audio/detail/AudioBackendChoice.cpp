#include "AudioBackend.hpp"
#include "NullAudioBackend.hpp"
#include "SdlAudioBackend.hpp"

#include <cstdlib>
#include <string_view>

namespace mivra::detail
{
// The one place that picks the audio backend. MIVRA_AUDIO_BACKEND=null gives devices with no system
// behind them, which tests can take away; any other value, or none, gives SDL's (which honours
// SDL_AUDIODRIVER).
AudioBackend& audioBackend()
{
    static AudioBackend& chosen = []() -> AudioBackend& {
        const char* requested = std::getenv("MIVRA_AUDIO_BACKEND");
        if (requested && std::string_view(requested) == "null")
            return nullAudioBackend();
        static SdlAudioBackend sdl;
        return sdl;
    }();
    return chosen;
}
} // namespace mivra::detail

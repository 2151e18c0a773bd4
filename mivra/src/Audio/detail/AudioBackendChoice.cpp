#include "AudioBackend.hpp"
#include "SdlAudioBackend.hpp"

#include <atomic>
#include <cassert>

namespace mivra::detail
{
namespace
{
std::atomic<AudioBackend*>& chosenBackend()
{
    static std::atomic<AudioBackend*> chosen{nullptr};
    return chosen;
}
std::atomic<bool>& backendInUse()
{
    static std::atomic<bool> inUse{false};
    return inUse;
}
} // namespace

// The one place that settles the audio backend, once per process.
AudioBackend& audioBackend()
{
    static AudioBackend& backend = []() -> AudioBackend& {
        backendInUse() = true;
        if (AudioBackend* chosen = chosenBackend().load())
            return *chosen;
        static SdlAudioBackend sdl;
        return sdl;
    }();
    return backend;
}

void chooseAudioBackend(AudioBackend& backend)
{
    assert(!backendInUse() && "chooseAudioBackend: the audio backend is already in use");
    chosenBackend() = &backend;
}
} // namespace mivra::detail

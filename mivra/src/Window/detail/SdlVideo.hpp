#pragma once

#include <mivra/Window/Event.hpp>

#include <cstdint>

union SDL_Event;

namespace mivra::detail
{
// What the event pump hands events to: a window of SDL's video subsystem.
class SdlEventReceiver
{
public:
    // An SDL event of this window, or of no window at all.
    virtual void handleSdlEvent(const SDL_Event& event) = 0;
    // An event that belongs to the process rather than to a window (joysticks, raw mouse
    // motion), already translated.
    virtual void receiveEvent(const Event& event) = 0;

protected:
    ~SdlEventReceiver() = default;
};

// A reference to SDL's video subsystem, which stays up while any reference lives. The first
// reference initialises it; failures are reported once through the diagnostics sink and leave isAvailable() false.
class SdlVideo
{
public:
    SdlVideo();
    ~SdlVideo();
    SdlVideo(const SdlVideo&) = delete;
    SdlVideo& operator=(const SdlVideo&) = delete;

    [[nodiscard]] bool isAvailable() const { return m_available; }

private:
    bool m_available{};
};

// Keeps the video subsystem up for the rest of the process, for services without a window
// (keyboard layout, mouse position). False when no display can be reached.
bool ensureSdlVideo();

// SDL has one event queue for every window: pumping routes each event to its window.
void registerSdlWindow(std::uint32_t windowId, SdlEventReceiver* window);
void unregisterSdlWindow(std::uint32_t windowId);
void pumpSdlEvents();
} // namespace mivra::detail

#include "WaylandRawMouse.hpp"

#include <mivra/System/Diagnostics.hpp>

#include "relative-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <poll.h>

#include <algorithm>
#include <cstring>

namespace mivra::detail
{
namespace
{
// wl_seat version 5 is the newest whose events we have to answer (release of the pointer came in 3).
constexpr std::uint32_t maxSeatVersion = 5;

void handleGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version)
{
    static_cast<WaylandRawMouse*>(data)->onGlobal(registry, name, interface, version);
}

void handleGlobalRemove(void* data, wl_registry* /*registry*/, std::uint32_t name)
{
    static_cast<WaylandRawMouse*>(data)->onGlobalRemove(name);
}

const wl_registry_listener registryListener{handleGlobal, handleGlobalRemove};

void handleCapabilities(void* data, wl_seat* /*seat*/, std::uint32_t capabilities)
{
    static_cast<WaylandRawMouse*>(data)->onCapabilities(capabilities);
}

void handleSeatName(void* /*data*/, wl_seat* /*seat*/, const char* /*name*/)
{
}

const wl_seat_listener seatListener{handleCapabilities, handleSeatName};

void handleRelativeMotion(void* data, zwp_relative_pointer_v1* /*pointer*/, std::uint32_t /*timeHigh*/,
                          std::uint32_t /*timeLow*/, wl_fixed_t /*dx*/, wl_fixed_t /*dy*/, wl_fixed_t dxUnaccelerated,
                          wl_fixed_t dyUnaccelerated)
{
    static_cast<WaylandRawMouse*>(data)->onRelativeMotion(dxUnaccelerated, dyUnaccelerated);
}

const zwp_relative_pointer_v1_listener relativePointerListener{handleRelativeMotion};
} // namespace

std::unique_ptr<WaylandRawMouse> WaylandRawMouse::open(wl_display* display)
{
    std::unique_ptr<WaylandRawMouse> mouse(new WaylandRawMouse(display));
    mouse->m_queue = wl_display_create_queue(display);
    // A wrapper of the display on our queue: the registry is then born on our queue, with no
    // moment at which the toolkit could dispatch its first events.
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    if (!mouse->m_queue || !wrapper)
    {
        if (wrapper)
            wl_proxy_wrapper_destroy(wrapper);
        reportDiagnostic("raw mouse input unavailable", {}, "cannot make an event queue on the Wayland connection");
        return nullptr;
    }
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), mouse->m_queue);
    mouse->m_registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(mouse->m_registry, &registryListener, mouse.get());

    // The first round trip lists the globals, the second brings the seat's capabilities.
    for (int i = 0; i < 2; ++i)
    {
        if (wl_display_roundtrip_queue(display, mouse->m_queue) < 0)
        {
            reportDiagnostic("raw mouse input unavailable", {}, "the Wayland connection failed");
            return nullptr;
        }
    }
    if (!mouse->m_manager)
    {
        reportDiagnostic("raw mouse input unavailable", {}, "the compositor lacks the relative-pointer protocol");
        return nullptr;
    }
    if (!mouse->m_seat)
    {
        reportDiagnostic("raw mouse input unavailable", {}, "the compositor offers no seat");
        return nullptr;
    }
    return mouse;
}

WaylandRawMouse::~WaylandRawMouse()
{
    releasePointer();
    if (m_manager)
        zwp_relative_pointer_manager_v1_destroy(m_manager);
    if (m_seat)
    {
        if (m_seatVersion >= WL_SEAT_RELEASE_SINCE_VERSION)
            wl_seat_release(m_seat);
        else
            wl_seat_destroy(m_seat);
    }
    if (m_registry)
        wl_registry_destroy(m_registry);
    wl_display_flush(m_display);
    if (m_queue)
        wl_event_queue_destroy(m_queue);
}

void WaylandRawMouse::onGlobal(wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version)
{
    if (std::strcmp(interface, zwp_relative_pointer_manager_v1_interface.name) == 0 && !m_manager)
    {
        m_manager = static_cast<zwp_relative_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_relative_pointer_manager_v1_interface, 1));
        // A seat that announced its pointer before the manager was known.
        followPointer(m_pointer != nullptr);
    }
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !m_seat)
    {
        // The first seat is the one the toolkit follows too.
        m_seatVersion = std::min(version, maxSeatVersion);
        m_seatName = name;
        m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, m_seatVersion));
        wl_seat_add_listener(m_seat, &seatListener, this);
    }
}

void WaylandRawMouse::onGlobalRemove(std::uint32_t name)
{
    if (m_seat && name == m_seatName)
        followPointer(false);
}

void WaylandRawMouse::onCapabilities(std::uint32_t capabilities)
{
    followPointer((capabilities & WL_SEAT_CAPABILITY_POINTER) != 0);
}

void WaylandRawMouse::followPointer(bool present)
{
    if (!present)
    {
        releasePointer();
        return;
    }
    // The seat's pointer comes and goes with its devices (a remote desktop adds one when a
    // client connects): ours follows it, and with it the relative pointer.
    if (!m_pointer)
        m_pointer = wl_seat_get_pointer(m_seat);
    if (m_manager && !m_relativePointer)
    {
        m_relativePointer = zwp_relative_pointer_manager_v1_get_relative_pointer(m_manager, m_pointer);
        zwp_relative_pointer_v1_add_listener(m_relativePointer, &relativePointerListener, this);
    }
}

void WaylandRawMouse::releasePointer()
{
    if (m_relativePointer)
        zwp_relative_pointer_v1_destroy(m_relativePointer);
    m_relativePointer = nullptr;
    if (m_pointer)
    {
        if (m_seatVersion >= WL_POINTER_RELEASE_SINCE_VERSION)
            wl_pointer_release(m_pointer);
        else
            wl_pointer_destroy(m_pointer);
    }
    m_pointer = nullptr;
}

void WaylandRawMouse::onRelativeMotion(std::int32_t dxUnaccelerated, std::int32_t dyUnaccelerated)
{
    const Vector2i delta = takeFixedPointMotion(m_remainderX, m_remainderY, dxUnaccelerated, dyUnaccelerated);
    if (m_deltas && delta != Vector2i())
        m_deltas->push_back(delta);
}

void WaylandRawMouse::read(std::vector<Vector2i>& deltas)
{
    if (m_failed)
        return;
    m_deltas = &deltas;
    // The toolkit reads the socket as it pumps its own events, which queues ours too; read
    // whatever arrived since, without blocking, then dispatch our queue alone.
    while (wl_display_prepare_read_queue(m_display, m_queue) != 0)
    {
        if (wl_display_dispatch_queue_pending(m_display, m_queue) < 0)
        {
            fail();
            return;
        }
    }
    pollfd socket{wl_display_get_fd(m_display), POLLIN, 0};
    if (poll(&socket, 1, 0) > 0)
        wl_display_read_events(m_display);
    else
        wl_display_cancel_read(m_display);
    const int dispatched = wl_display_dispatch_queue_pending(m_display, m_queue);
    // Requests made while dispatching (a new pointer) go out now rather than at the toolkit's next flush.
    wl_display_flush(m_display);
    m_deltas = nullptr;
    if (dispatched < 0)
        fail();
}

void WaylandRawMouse::fail()
{
    m_deltas = nullptr;
    m_failed = true;
    reportDiagnostic("raw mouse input stopped", {}, "the Wayland connection failed");
}

Vector2i takeFixedPointMotion(double& remainderX, double& remainderY, std::int32_t dx, std::int32_t dy)
{
    return takeWholeUnits(remainderX, remainderY, wl_fixed_to_double(dx), wl_fixed_to_double(dy));
}
} // namespace mivra::detail

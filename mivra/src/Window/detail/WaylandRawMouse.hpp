#pragma once

#include "RawMouse.hpp"

#include <cstdint>
#include <memory>

struct wl_display;
struct wl_event_queue;
struct wl_registry;
struct wl_seat;
struct wl_pointer;
struct zwp_relative_pointer_manager_v1;
struct zwp_relative_pointer_v1;

namespace mivra::detail
{
// Unaccelerated mouse motion from the compositor's relative-pointer protocol, on the connection
// the toolkit already holds. Everything of ours (registry, seat, pointer, relative pointer) lives
// on an event queue of our own, so the toolkit never dispatches it and we never dispatch the
// toolkit's events. The pointer is neither locked nor hidden: the compositor sends relative
// motion alongside the ordinary pointer motion to the client under the pointer.
class WaylandRawMouse : public RawMouse
{
public:
    // Nothing when the compositor lacks a seat or the relative-pointer protocol (said why).
    static std::unique_ptr<WaylandRawMouse> open(wl_display* display);
    ~WaylandRawMouse() override;
    WaylandRawMouse(const WaylandRawMouse&) = delete;
    WaylandRawMouse& operator=(const WaylandRawMouse&) = delete;

    void read(std::vector<Vector2i>& deltas) override;

    // Wayland listener entry points; not for other callers.
    void onGlobal(wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version);
    void onGlobalRemove(std::uint32_t name);
    void onCapabilities(std::uint32_t capabilities);
    void onRelativeMotion(std::int32_t dxUnaccelerated, std::int32_t dyUnaccelerated);

private:
    explicit WaylandRawMouse(wl_display* display) : m_display(display) {}

    void followPointer(bool present);
    void releasePointer();
    // The connection broke: reported once, and nothing is read any more.
    void fail();

    wl_display* m_display;
    wl_event_queue* m_queue{};
    wl_registry* m_registry{};
    wl_seat* m_seat{};
    std::uint32_t m_seatName{};
    std::uint32_t m_seatVersion{};
    wl_pointer* m_pointer{};
    zwp_relative_pointer_manager_v1* m_manager{};
    zwp_relative_pointer_v1* m_relativePointer{};
    std::vector<Vector2i>* m_deltas{}; // where read() collects, while it dispatches
    double m_remainderX{};
    double m_remainderY{};
    bool m_failed{};
};

// The whole units of an unaccelerated relative motion given in Wayland's 24.8 fixed point, the
// fractions carried over in the remainders as for any raw motion.
Vector2i takeFixedPointMotion(double& remainderX, double& remainderY, std::int32_t dx, std::int32_t dy);
} // namespace mivra::detail

#pragma once

#include "RawMouse.hpp"

#include <memory>

namespace mivra::detail
{
// Unaccelerated mouse motion from XInput2 raw events, read on a connection of its own to the
// X server (the root window's raw motion is selected there), so the pointer is neither grabbed
// nor hidden and the toolkit's own connection is left alone.
class X11RawMouse : public RawMouse
{
public:
    // Nothing when the display or XInput 2 is unavailable.
    static std::unique_ptr<X11RawMouse> open();
    ~X11RawMouse() override;
    X11RawMouse(const X11RawMouse&) = delete;
    X11RawMouse& operator=(const X11RawMouse&) = delete;

    void read(std::vector<Vector2i>& deltas) override;

private:
    X11RawMouse(void* display, int opcode) : m_display(display), m_opcode(opcode) {}

    void* m_display;
    int m_opcode;
    double m_remainderX{};
    double m_remainderY{};
};
} // namespace mivra::detail

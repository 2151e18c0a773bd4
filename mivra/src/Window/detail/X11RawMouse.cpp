#include "X11RawMouse.hpp"

#include <mivra/System/Diagnostics.hpp>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace mivra::detail
{
std::unique_ptr<X11RawMouse> X11RawMouse::open()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
    {
        reportDiagnostic("raw mouse input unavailable", {}, "cannot open a second connection to the X display");
        return nullptr;
    }
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    int major = 2;
    int minor = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError) ||
        XIQueryVersion(display, &major, &minor) != Success)
    {
        reportDiagnostic("raw mouse input unavailable", {}, "the X server lacks XInput 2");
        XCloseDisplay(display);
        return nullptr;
    }

    unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(mask, XI_RawMotion);
    XIEventMask eventMask;
    eventMask.deviceid = XIAllMasterDevices;
    eventMask.mask_len = sizeof(mask);
    eventMask.mask = mask;
    XISelectEvents(display, DefaultRootWindow(display), &eventMask, 1);
    XFlush(display);
    return std::unique_ptr<X11RawMouse>(new X11RawMouse(display, opcode));
}

X11RawMouse::~X11RawMouse()
{
    XCloseDisplay(static_cast<Display*>(m_display));
}

void X11RawMouse::read(std::vector<Vector2i>& deltas)
{
    auto* display = static_cast<Display*>(m_display);
    while (XPending(display) > 0)
    {
        XEvent event;
        XNextEvent(display, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != m_opcode || !XGetEventData(display, cookie))
            continue;
        if (cookie->evtype == XI_RawMotion)
        {
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            double dx = 0;
            double dy = 0;
            bool moved = false;
            const double* value = raw->raw_values;
            // raw_values holds one entry per valuator set in the mask, in valuator order;
            // valuators 0 and 1 are the x and y axes, later ones (scrolling) are skipped.
            for (int bit = 0; bit < raw->valuators.mask_len * 8; ++bit)
            {
                if (!XIMaskIsSet(raw->valuators.mask, bit))
                    continue;
                if (bit == 0)
                    dx = *value;
                else if (bit == 1)
                    dy = *value;
                moved = moved || bit <= 1;
                ++value;
            }
            if (moved)
            {
                const Vector2i delta = takeWholeUnits(m_remainderX, m_remainderY, dx, dy);
                if (delta != Vector2i())
                    deltas.push_back(delta);
            }
        }
        XFreeEventData(display, cookie);
    }
}
} // namespace mivra::detail

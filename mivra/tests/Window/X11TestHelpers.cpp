// Xlib stays out of the test sources: its macros (None, Bool, Status) clash with other headers.
#include <X11/Xlib.h>

#include <cstdint>

namespace mivra::test
{
bool sendDeleteWindowRequest(std::uint64_t windowId)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const auto id = static_cast<::Window>(windowId);
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = id;
    message.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display, id, False, NoEventMask, &message) != 0;
    XCloseDisplay(display);
    return sent;
}
} // namespace mivra::test

#pragma once

#include "WindowImpl.hpp"

#include <mivra/Window/Context.hpp>

namespace mivra::detail
{
// A window with no display behind it: it only keeps its properties, and its events are the ones
// pushed into it. Makes window code testable without any display.
//
// Asked for a context, it has none of its own: drawing goes to the process's hidden shared
// context, when one can be had, and is never shown. Claiming a context with nothing current
// would send the graphics module's calls into a driver with no context, which aborts.
class NullWindowImpl : public WindowImpl
{
public:
    explicit NullWindowImpl(Vector2u size = {800, 600}, bool withContext = false)
        : m_size(size), m_withContext(withContext)
    {
    }

    Vector2i getPosition() const override { return m_position; }
    void setPosition(Vector2i position) override { m_position = position; }
    Vector2u getSize() const override { return m_size; }
    Vector2u getPhysicalSize() const override { return m_size * m_outputScale; }
    void setSize(Vector2u size) override { m_size = size; }
    void setTitle(const String& title) override { m_title = title; }
    void setVisible(bool visible) override { m_visible = visible; }
    void setMouseCursorVisible(bool visible) override { m_cursorVisible = visible; }
    bool hasFocus() const override { return m_focus; }
    void requestFocus() override { m_focus = true; }
    std::uint64_t getNativeHandle() const override { return 0; }

    bool hasContext() const override { return m_withContext; }
    bool setActive(bool active) override
    {
        if (!m_withContext)
            return false;
        return !active || Context::ensureActive();
    }
    void swapBuffers() override { ++m_swapCount; }
    bool setVerticalSync(bool enabled) override
    {
        m_verticalSync = enabled;
        return false;
    }

    // Puts the window on an output at `scale`, as a compositor does: the physical size follows.
    void setOutputScale(unsigned int scale) { m_outputScale = scale; }

    // Inspection, for tests.
    const String& getTitle() const { return m_title; }
    bool isVisible() const { return m_visible; }
    bool isCursorVisible() const { return m_cursorVisible; }
    int getSwapCount() const { return m_swapCount; }
    int getProcessCount() const { return m_processCount; }

protected:
    void processEvents() override { ++m_processCount; }

private:
    Vector2i m_position;
    Vector2u m_size;
    unsigned int m_outputScale{1};
    String m_title;
    bool m_visible{true};
    bool m_cursorVisible{true};
    bool m_focus{};
    bool m_withContext{};
    bool m_verticalSync{};
    int m_swapCount{};
    int m_processCount{};
};
} // namespace mivra::detail

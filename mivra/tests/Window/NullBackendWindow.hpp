#pragma once

// Windows made on the null backend, for tests that feed a window its events by hand and look at
// what reached the backend.

#include "detail/NullWindowImpl.hpp"
#include "detail/WindowBackend.hpp"

#include <utility>

namespace mivra::test
{
// Puts the null backend in place of the process's choice for the windows created until
// restore(), or until it ends.
class NullBackendSelection
{
public:
    NullBackendSelection() { detail::forceBackend("null"); }
    ~NullBackendSelection() { restore(); }
    NullBackendSelection(const NullBackendSelection&) = delete;
    NullBackendSelection& operator=(const NullBackendSelection&) = delete;

    void restore()
    {
        if (!m_restored)
            detail::forceBackend("");
        m_restored = true;
    }

private:
    bool m_restored{};
};

// A window of class `Base` (WindowBase, Window or a test's own subclass) on the null backend.
// The selection is a base built before `Base`, whose constructor is where the backend is chosen.
template <typename Base>
class NullBackendWindow : private NullBackendSelection, public Base
{
public:
    template <typename... Args>
    explicit NullBackendWindow(Args&&... args) : Base(std::forward<Args>(args)...)
    {
        restore();
    }

    [[nodiscard]] bool isOnNullBackend() const
    {
        return dynamic_cast<const detail::NullWindowImpl*>(this->getImpl()) != nullptr;
    }
    // The backend's state; valid while the window is open.
    [[nodiscard]] detail::NullWindowImpl& backend() const
    {
        return dynamic_cast<detail::NullWindowImpl&>(*this->getImpl());
    }
};
} // namespace mivra::test

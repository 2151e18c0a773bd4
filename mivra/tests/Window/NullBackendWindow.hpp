#pragma once

// Windows made on the null backend, for tests that feed a window its events by hand and look at
// what reached the backend.

#include "detail/NullWindowImpl.hpp"

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

namespace mivra::test
{
// Selects the null backend for the windows created until restore(), or until it ends.
class NullBackendSelection
{
public:
    NullBackendSelection()
    {
        if (const char* previous = std::getenv(variable))
            m_previous = previous;
        setenv(variable, "null", 1);
    }
    ~NullBackendSelection() { restore(); }
    NullBackendSelection(const NullBackendSelection&) = delete;
    NullBackendSelection& operator=(const NullBackendSelection&) = delete;

    void restore()
    {
        if (m_restored)
            return;
        m_restored = true;
        if (m_previous)
            setenv(variable, m_previous->c_str(), 1);
        else
            unsetenv(variable);
    }

private:
    static constexpr const char* variable = "MIVRA_WINDOW_BACKEND";
    std::optional<std::string> m_previous;
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

#pragma once

#include <mivra/Window/ContextSettings.hpp>

#include <memory>

namespace mivra
{
namespace detail
{
class GlContext;
}

/// An OpenGL context without a visible window, sharing its objects with every other context of
/// the process (windows' contexts included).
class Context
{
public:
    /// The type of an OpenGL function address, to be cast to the function's own type.
    using GlFunctionPointer = void (*)();

    /// Creates the context and makes it current on this thread. When it cannot be created, the reason
    /// is reported through the diagnostics sink and setActive() returns false.
    Context();
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    /// Makes the context current on this thread, or releases it; false (reported through the
    /// diagnostics sink) when the system refuses or the context could not be created.
    bool setActive(bool active);
    /// The settings the context was actually given.
    [[nodiscard]] const ContextSettings& getSettings() const;

    /// Makes some context current on this thread if none is: a hidden shared context created on
    /// first need. OpenGL objects can so be created before, or without, any window. False (reported
    /// through the diagnostics sink) when no context can be made.
    static bool ensureActive();
    /// Whether the current (or, when none is, the shared) context offers the extension.
    [[nodiscard]] static bool isExtensionAvailable(const char* name);
    /// The address of an OpenGL function, or nullptr.
    [[nodiscard]] static GlFunctionPointer getFunction(const char* name);

private:
    std::unique_ptr<detail::GlContext> m_context;
};
} // namespace mivra

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
    using GlFunctionPointer = void (*)();

    /// Creates the context and makes it current on this thread.
    Context();
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    bool setActive(bool active);
    [[nodiscard]] const ContextSettings& getSettings() const;

    /// Makes some context current on this thread if none is: a hidden shared context created on
    /// first need. OpenGL objects can so be created before, or without, any window.
    static bool ensureActive();
    /// Whether the current (or, when none is, the shared) context offers the extension.
    [[nodiscard]] static bool isExtensionAvailable(const char* name);
    /// The address of an OpenGL function, or nullptr.
    [[nodiscard]] static GlFunctionPointer getFunction(const char* name);

private:
    std::unique_ptr<detail::GlContext> m_context;
};
} // namespace mivra

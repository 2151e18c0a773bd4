#include <mivra/Window/Context.hpp>

#include "detail/GlContext.hpp"

namespace mivra
{
namespace
{
// The context ensureActive() falls back to, one per thread (a context is current on one
// thread at a time).
std::unique_ptr<detail::GlContext>& threadContext()
{
    thread_local std::unique_ptr<detail::GlContext> context;
    return context;
}
} // namespace

Context::Context() : m_context(detail::GlContext::create({}))
{
}

Context::~Context() = default;

bool Context::setActive(bool active)
{
    return m_context && m_context->setActive(active);
}

const ContextSettings& Context::getSettings() const
{
    static const ContextSettings none{0, 0, 0, 0, 0, ContextSettings::Default, false};
    return m_context ? m_context->getSettings() : none;
}

bool Context::ensureActive()
{
    if (detail::isAnyGlContextCurrent())
        return true;
    auto& context = threadContext();
    if (!context)
        context = detail::GlContext::create({});
    return context && context->setActive(true);
}

bool Context::isExtensionAvailable(const char* name)
{
    return ensureActive() && detail::isGlExtensionSupported(name);
}

Context::GlFunctionPointer Context::getFunction(const char* name)
{
    if (!ensureActive())
        return nullptr;
    return detail::getGlProcAddress(name);
}
} // namespace mivra

#pragma once

#include <mivra/Graphics/Transform.hpp>

namespace mivra::detail
{
// A transform derived from an object's parameters, and its inverse, each computed on the first
// read after a change: objects are moved far more often than they are drawn or hit-tested, and an
// inverse is rarely wanted at all.
class TransformCache
{
public:
    // After any change of the parameters the transform is built from.
    void invalidate()
    {
        m_transformStale = true;
        m_inverseStale = true;
    }

    // `compute` builds the transform from the current parameters; it runs only when they changed.
    template <typename Compute>
    [[nodiscard]] const Transform& get(Compute&& compute) const
    {
        if (m_transformStale)
        {
            m_transform = compute();
            m_transformStale = false;
        }
        return m_transform;
    }

    template <typename Compute>
    [[nodiscard]] const Transform& getInverse(Compute&& compute) const
    {
        if (m_inverseStale)
        {
            m_inverse = get(compute).getInverse();
            m_inverseStale = false;
        }
        return m_inverse;
    }

private:
    mutable Transform m_transform;
    mutable Transform m_inverse;
    mutable bool m_transformStale{true};
    mutable bool m_inverseStale{true};
};
} // namespace mivra::detail

#pragma once

#include <type_traits>

namespace mivra
{
/// When a pixel passes the stencil test: the reference compared with the stored value, both masked.
enum class StencilComparison
{
    Never = 0,
    Less = 1,         ///< reference < stored
    LessEqual = 2,    ///< reference <= stored
    Greater = 3,      ///< reference > stored
    GreaterEqual = 4, ///< reference >= stored
    Equal = 5,
    NotEqual = 6,
    Always = 7
};

/// What happens to the stored value where a pixel passes the stencil test.
enum class StencilUpdateOperation
{
    Keep = 0,
    Zero = 1,
    Replace = 2,   ///< store the reference
    Increment = 3, ///< add one, saturating at the largest value
    Decrement = 4, ///< subtract one, saturating at zero
    Invert = 5     ///< flip every bit
};

/// A value of the stencil buffer (or a mask), made from a signed or an unsigned integer.
/// A negative integer keeps its two's-complement bits.
struct StencilValue
{
    /// From a signed integer, keeping its two's-complement bits.
    constexpr StencilValue(int theValue) : value(static_cast<unsigned int>(theValue)) {}
    /// From an unsigned integer.
    constexpr StencilValue(unsigned int theValue) : value(theValue) {}
    /// Other arithmetic types would convert silently (a float, a bool): refuse them.
    template <typename T>
    requires(!std::is_same_v<T, int> && !std::is_same_v<T, unsigned int>) StencilValue(T)
    = delete;

    unsigned int value{}; ///< The bits.

    /// Same bits.
    friend constexpr bool operator==(const StencilValue&, const StencilValue&) = default;
};

/// The stencil test and update applied while drawing. The default mode tests nothing and leaves the
/// stencil buffer unchanged. With stencilOnly set, only the stencil buffer is written, no colour.
struct StencilMode
{
    StencilComparison stencilComparison{StencilComparison::Always}; ///< When a pixel passes the test.
    StencilUpdateOperation stencilUpdateOperation{
        StencilUpdateOperation::Keep}; ///< What a passing pixel does to the stored value.
    StencilValue stencilReference{0};  ///< The value compared with, and stored by Replace.
    StencilValue stencilMask{~0u};     ///< The bits the comparison looks at.
    bool stencilOnly{false};           ///< Whether to write the stencil buffer only, leaving the colours alone.

    /// Every field equal.
    friend constexpr bool operator==(const StencilMode&, const StencilMode&) = default;
};
} // namespace mivra

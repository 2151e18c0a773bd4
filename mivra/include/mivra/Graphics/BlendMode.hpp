#pragma once

namespace mivra
{
/// How the colour of a drawn pixel (source) combines with the colour already there (destination):
/// result = equation(source * srcFactor, destination * dstFactor), for colour and alpha apart.
struct BlendMode
{
    /// What a colour is multiplied by before the equation combines it.
    enum class Factor
    {
        Zero,
        One,
        SrcColor,
        OneMinusSrcColor,
        DstColor,
        OneMinusDstColor,
        SrcAlpha,
        OneMinusSrcAlpha,
        DstAlpha,
        OneMinusDstAlpha
    };

    /// How the weighted source and destination combine.
    enum class Equation
    {
        Add,
        Subtract,
        ReverseSubtract,
        Min,
        Max
    };

    /// Alpha blending, as mivra::BlendAlpha.
    constexpr BlendMode() = default;
    /// The same factors and equation for colour and alpha.
    constexpr BlendMode(Factor sourceFactor, Factor destinationFactor, Equation equation = Equation::Add)
        : colorSrcFactor(sourceFactor), colorDstFactor(destinationFactor), colorEquation(equation),
          alphaSrcFactor(sourceFactor), alphaDstFactor(destinationFactor), alphaEquation(equation)
    {
    }
    /// Colour and alpha blended apart.
    constexpr BlendMode(Factor colorSource, Factor colorDestination, Equation colorBlendEquation, Factor alphaSource,
                        Factor alphaDestination, Equation alphaBlendEquation)
        : colorSrcFactor(colorSource), colorDstFactor(colorDestination), colorEquation(colorBlendEquation),
          alphaSrcFactor(alphaSource), alphaDstFactor(alphaDestination), alphaEquation(alphaBlendEquation)
    {
    }

    Factor colorSrcFactor{Factor::SrcAlpha};         ///< Weight of the source colour.
    Factor colorDstFactor{Factor::OneMinusSrcAlpha}; ///< Weight of the destination colour.
    Equation colorEquation{Equation::Add};           ///< How the colours combine.
    Factor alphaSrcFactor{Factor::One};              ///< Weight of the source alpha.
    Factor alphaDstFactor{Factor::OneMinusSrcAlpha}; ///< Weight of the destination alpha.
    Equation alphaEquation{Equation::Add};           ///< How the alphas combine.

    /// Same factors and equations.
    friend constexpr bool operator==(const BlendMode&, const BlendMode&) = default;
};

/// Draws over what is there according to the source's alpha (the default).
inline constexpr BlendMode BlendAlpha{
    BlendMode::Factor::SrcAlpha, BlendMode::Factor::OneMinusSrcAlpha, BlendMode::Equation::Add,
    BlendMode::Factor::One,      BlendMode::Factor::OneMinusSrcAlpha, BlendMode::Equation::Add};
/// Adds the source to what is there.
inline constexpr BlendMode BlendAdd{BlendMode::Factor::SrcAlpha, BlendMode::Factor::One, BlendMode::Equation::Add,
                                    BlendMode::Factor::One,      BlendMode::Factor::One, BlendMode::Equation::Add};
/// Multiplies what is there by the source.
inline constexpr BlendMode BlendMultiply{BlendMode::Factor::DstColor, BlendMode::Factor::Zero,
                                         BlendMode::Equation::Add};
/// Keeps the smaller of source and destination, channel by channel.
inline constexpr BlendMode BlendMin{BlendMode::Factor::One, BlendMode::Factor::One, BlendMode::Equation::Min};
/// Keeps the larger of source and destination, channel by channel.
inline constexpr BlendMode BlendMax{BlendMode::Factor::One, BlendMode::Factor::One, BlendMode::Equation::Max};
/// Overwrites what is there.
inline constexpr BlendMode BlendNone{BlendMode::Factor::One, BlendMode::Factor::Zero, BlendMode::Equation::Add};
} // namespace mivra

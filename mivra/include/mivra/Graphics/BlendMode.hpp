#pragma once

namespace mivra
{
/// How the colour of a drawn pixel (source) combines with the colour already there (destination):
/// result = equation(source * srcFactor, destination * dstFactor), for colour and alpha apart.
struct BlendMode
{
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

    enum class Equation
    {
        Add,
        Subtract,
        ReverseSubtract,
        Min,
        Max
    };

    constexpr BlendMode() = default;
    constexpr BlendMode(Factor sourceFactor, Factor destinationFactor, Equation equation = Equation::Add)
        : colorSrcFactor(sourceFactor), colorDstFactor(destinationFactor), colorEquation(equation),
          alphaSrcFactor(sourceFactor), alphaDstFactor(destinationFactor), alphaEquation(equation)
    {
    }
    constexpr BlendMode(Factor colorSource, Factor colorDestination, Equation colorBlendEquation, Factor alphaSource,
                        Factor alphaDestination, Equation alphaBlendEquation)
        : colorSrcFactor(colorSource), colorDstFactor(colorDestination), colorEquation(colorBlendEquation),
          alphaSrcFactor(alphaSource), alphaDstFactor(alphaDestination), alphaEquation(alphaBlendEquation)
    {
    }

    Factor colorSrcFactor{Factor::SrcAlpha};
    Factor colorDstFactor{Factor::OneMinusSrcAlpha};
    Equation colorEquation{Equation::Add};
    Factor alphaSrcFactor{Factor::One};
    Factor alphaDstFactor{Factor::OneMinusSrcAlpha};
    Equation alphaEquation{Equation::Add};

    friend constexpr bool operator==(const BlendMode&, const BlendMode&) = default;
};

/// Draws over what is there according to the source's alpha (the default).
inline constexpr BlendMode BlendAlpha{BlendMode::Factor::SrcAlpha, BlendMode::Factor::OneMinusSrcAlpha, BlendMode::Equation::Add,
                                      BlendMode::Factor::One, BlendMode::Factor::OneMinusSrcAlpha, BlendMode::Equation::Add};
/// Adds the source to what is there.
inline constexpr BlendMode BlendAdd{BlendMode::Factor::SrcAlpha, BlendMode::Factor::One, BlendMode::Equation::Add,
                                    BlendMode::Factor::One, BlendMode::Factor::One, BlendMode::Equation::Add};
/// Multiplies what is there by the source.
inline constexpr BlendMode BlendMultiply{BlendMode::Factor::DstColor, BlendMode::Factor::Zero, BlendMode::Equation::Add};
inline constexpr BlendMode BlendMin{BlendMode::Factor::One, BlendMode::Factor::One, BlendMode::Equation::Min};
inline constexpr BlendMode BlendMax{BlendMode::Factor::One, BlendMode::Factor::One, BlendMode::Equation::Max};
/// Overwrites what is there.
inline constexpr BlendMode BlendNone{BlendMode::Factor::One, BlendMode::Factor::Zero, BlendMode::Equation::Add};
} // namespace mivra

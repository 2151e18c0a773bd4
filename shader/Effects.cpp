#include "Effects.hpp"

#include "EffectParameters.hpp"

#include <utility>

namespace shader
{
std::mt19937 randomEngine{std::random_device("default")()};

namespace
{
const char* const paragraphText =
    "Praesent suscipit augue in velit pulvinar hendrerit varius purus aliquam.\n"
    "Mauris mi odio, bibendum quis fringilla a, laoreet vel orci. Proin vitae vulputate tortor.\n"
    "Praesent cursus ultrices justo, ut feugiat ante vehicula quis.\n"
    "Donec fringilla scelerisque mauris et viverra.\n"
    "Maecenas adipiscing ornare scelerisque. Nullam at libero elit.\n"
    "Pellentesque habitant morbi tristique senectus et netus et malesuada fames ac turpis egestas.\n"
    "Nullam leo urna, tincidunt id semper eget, ultricies sed mi.\n"
    "Morbi mauris massa, commodo id dignissim vel, lobortis et elit.\n"
    "Fusce vel libero sed neque scelerisque venenatis.\n"
    "Integer mattis tincidunt quam vitae iaculis.\n"
    "Vivamus fringilla sem non velit venenatis fermentum.\n"
    "Vivamus varius tincidunt nisi id vehicula.\n"
    "Integer ullamcorper, enim vitae euismod rutrum, massa nisl semper ipsum,\n"
    "vestibulum sodales sem ante in massa.\n"
    "Vestibulum in augue non felis convallis viverra.\n"
    "Mauris ultricies dolor sed massa convallis sed aliquet augue fringilla.\n"
    "Duis erat eros, porta in accumsan in, blandit quis sem.\n"
    "In hac habitasse platea dictumst. Etiam fringilla est id odio dapibus sit amet semper dui laoreet.\n";
} // namespace

// Pixelate

Pixelate::Pixelate(mivra::Texture&& texture, mivra::Shader&& shader)
    : pictureTexture(std::move(texture)), effectShader(std::move(shader))
{
}

void Pixelate::animate(float, float x, float y)
{
    effectShader.setUniform("pixel_threshold", pixelThreshold(x, y));
}

void Pixelate::draw(mivra::RenderTarget& target, mivra::RenderStates states) const
{
    states.shader = &effectShader;
    target.draw(mivra::Sprite(pictureTexture), states);
}

std::optional<Pixelate> createPixelate(const std::filesystem::path& directory)
{
    mivra::Texture texture;
    if (!texture.loadFromFile(directory / "background.jpg"))
        return std::nullopt;
    mivra::Shader shader;
    if (!shader.loadFromFile(directory / "pixelate.frag", mivra::Shader::Type::Fragment))
        return std::nullopt;
    shader.setUniform("texture", mivra::Shader::CurrentTexture);
    return std::optional<Pixelate>(std::in_place, std::move(texture), std::move(shader));
}

// WaveBlur

WaveBlur::WaveBlur(mivra::Text&& text, mivra::Shader&& shader)
    : paragraph(std::move(text)), effectShader(std::move(shader))
{
}

void WaveBlur::animate(float time, float x, float y)
{
    const WaveBlurParameters p = waveBlurParameters(time, x, y);
    effectShader.setUniform("wave_phase", p.wavePhase);
    effectShader.setUniform("wave_amplitude", p.waveAmplitude);
    effectShader.setUniform("blur_radius", p.blurRadius);
}

void WaveBlur::draw(mivra::RenderTarget& target, mivra::RenderStates states) const
{
    states.shader = &effectShader;
    target.draw(paragraph, states);
}

std::optional<WaveBlur> createWaveBlur(const std::filesystem::path& directory, const mivra::Font& font)
{
    mivra::Shader shader;
    if (!shader.loadFromFile(directory / "wave.vert", directory / "blur.frag"))
        return std::nullopt;
    mivra::Text paragraph(font, paragraphText, 22);
    paragraph.setPosition({30.0f, 20.0f});
    return std::optional<WaveBlur>(std::in_place, std::move(paragraph), std::move(shader));
}

// StormBlink

StormBlink::StormBlink(mivra::VertexArray&& points, mivra::Shader&& shader)
    : dots(std::move(points)), effectShader(std::move(shader))
{
}

void StormBlink::animate(float time, float x, float y)
{
    const StormBlinkParameters p = stormBlinkParameters(time, x, y);
    effectShader.setUniform("storm_position", p.stormPosition);
    effectShader.setUniform("storm_inner_radius", p.stormInnerRadius);
    effectShader.setUniform("storm_total_radius", p.stormTotalRadius);
    effectShader.setUniform("blink_alpha", p.blinkAlpha);
}

void StormBlink::draw(mivra::RenderTarget& target, mivra::RenderStates states) const
{
    states.shader = &effectShader;
    target.draw(dots, states);
}

std::optional<StormBlink> createStormBlink(const std::filesystem::path& directory)
{
    mivra::Shader shader;
    if (!shader.loadFromFile(directory / "storm.vert", directory / "blink.frag"))
        return std::nullopt;
    mivra::VertexArray dots(mivra::PrimitiveType::Points);
    std::uniform_real_distribution<float> xDistribution(0.0f, sceneWidth);
    std::uniform_real_distribution<float> yDistribution(0.0f, sceneHeight);
    std::uniform_int_distribution<int> channelDistribution(0, 255);
    for (int i = 0; i < 40'000; ++i)
    {
        const float x = xDistribution(randomEngine);
        const float y = yDistribution(randomEngine);
        const auto r = static_cast<std::uint8_t>(channelDistribution(randomEngine));
        const auto g = static_cast<std::uint8_t>(channelDistribution(randomEngine));
        const auto b = static_cast<std::uint8_t>(channelDistribution(randomEngine));
        dots.append(mivra::Vertex{{x, y}, mivra::Color(r, g, b, 255), {0.0f, 0.0f}});
    }
    return std::optional<StormBlink>(std::in_place, std::move(dots), std::move(shader));
}

// Edge

Edge::Edge(mivra::RenderTexture&& renderTexture, mivra::Texture&& backdrop, mivra::Texture&& tiles,
           mivra::Shader&& shader)
    : canvas(std::move(renderTexture)), backdropTexture(std::move(backdrop)), tileTexture(std::move(tiles)),
      effectShader(std::move(shader))
{
}

void Edge::animate(float time, float x, float y)
{
    effectShader.setUniform("edge_threshold", edgeThreshold(x, y));

    canvas.clear(mivra::Color::White);
    mivra::Sprite backdrop(backdropTexture);
    backdrop.setPosition({135.0f, 100.0f});
    canvas.draw(backdrop);
    for (unsigned i = 0; i < 6; ++i)
    {
        mivra::Sprite tile(tileTexture, mivra::IntRect({96 * static_cast<int>(i), 0}, {96, 96}));
        tile.setPosition(edgeTilePosition(i, time));
        canvas.draw(tile);
    }
    canvas.display();
}

void Edge::draw(mivra::RenderTarget& target, mivra::RenderStates states) const
{
    states.shader = &effectShader;
    target.draw(mivra::Sprite(canvas.getTexture()), states);
}

std::optional<Edge> createEdge(const std::filesystem::path& directory)
{
    mivra::RenderTexture canvas;
    if (!canvas.resize({800, 600}))
        return std::nullopt;
    canvas.setSmooth(true);
    mivra::Texture backdrop;
    if (!backdrop.loadFromFile(directory / "mivra.png"))
        return std::nullopt;
    backdrop.setSmooth(true);
    mivra::Texture tiles;
    if (!tiles.loadFromFile(directory / "devices.png"))
        return std::nullopt;
    tiles.setSmooth(true);
    mivra::Shader shader;
    if (!shader.loadFromFile(directory / "edge.frag", mivra::Shader::Type::Fragment))
        return std::nullopt;
    shader.setUniform("texture", mivra::Shader::CurrentTexture);
    return std::optional<Edge>(std::in_place, std::move(canvas), std::move(backdrop), std::move(tiles),
                               std::move(shader));
}

// Geometry

Geometry::Geometry(mivra::Texture&& texture, mivra::Shader&& shader, mivra::VertexArray&& points)
    : billboardTexture(std::move(texture)), effectShader(std::move(shader)), billboardPoints(std::move(points))
{
}

void Geometry::animate(float, float x, float y)
{
    // A point is first rotated about the origin, then moved to the window's centre.
    sceneTransform = mivra::Transform::Identity;
    sceneTransform.translate({400.0f, 300.0f});
    sceneTransform.rotate(mivra::degrees(billboardRotationDegrees(x)));
    effectShader.setUniform("size", billboardSize(y));
}

void Geometry::draw(mivra::RenderTarget& target, mivra::RenderStates states) const
{
    states.transform = sceneTransform;
    states.texture = &billboardTexture;
    states.shader = &effectShader;
    target.draw(billboardPoints, states);
}

std::optional<Geometry> createGeometry(const std::filesystem::path& directory)
{
    if (!mivra::Shader::isGeometryAvailable())
        return std::nullopt;
    mivra::Texture texture;
    if (!texture.loadFromFile(directory / "logo.png"))
        return std::nullopt;
    texture.setSmooth(true);
    mivra::Shader shader;
    if (!shader.loadFromFile(directory / "billboard.vert", directory / "billboard.geom", directory / "billboard.frag"))
        return std::nullopt;
    shader.setUniform("texture", mivra::Shader::CurrentTexture);
    shader.setUniform("resolution", mivra::Vector2f(800.0f, 600.0f));
    mivra::VertexArray points(mivra::PrimitiveType::Points, 10'000);
    std::uniform_real_distribution<float> distribution(-480.0f, 480.0f);
    for (std::size_t i = 0; i < points.getVertexCount(); ++i)
    {
        const float x = distribution(randomEngine);
        const float y = distribution(randomEngine);
        points[i].position = {x, y};
    }
    return std::optional<Geometry>(std::in_place, std::move(texture), std::move(shader), std::move(points));
}
} // namespace shader

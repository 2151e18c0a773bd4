#pragma once

// The gallery's five effects: each a small scene drawn through its own shader, whose uniforms
// follow the time (seconds) and the mouse (x and y scaled to 0..1 across the window).
#include <mivra/Graphics.hpp>

#include <filesystem>
#include <optional>
#include <random>

namespace shader
{
// Drawn by the gallery's random effects; seeded once from the system's random device.
extern std::mt19937 randomEngine;

class Effect : public mivra::Drawable
{
public:
    // Sends the frame's uniform values to the shader and updates the scene.
    virtual void animate(float time, float x, float y) = 0;
    [[nodiscard]] virtual const mivra::Shader& getShader() const = 0;
};

// A picture seen through ever coarser pixels as the mouse moves right and down.
class Pixelate : public Effect
{
public:
    Pixelate(mivra::Texture&& texture, mivra::Shader&& shader);
    void animate(float time, float x, float y) override;
    [[nodiscard]] const mivra::Shader& getShader() const override { return effectShader; }

private:
    void draw(mivra::RenderTarget& target, mivra::RenderStates states) const override;

    mivra::Texture pictureTexture;
    mivra::Shader effectShader;
};

// A paragraph swaying on waves and blurred.
class WaveBlur : public Effect
{
public:
    WaveBlur(mivra::Text&& text, mivra::Shader&& shader);
    void animate(float time, float x, float y) override;
    [[nodiscard]] const mivra::Shader& getShader() const override { return effectShader; }

private:
    void draw(mivra::RenderTarget& target, mivra::RenderStates states) const override;

    mivra::Text paragraph;
    mivra::Shader effectShader;
};

// 40,000 coloured points blinking, with a storm that clears a disc around the mouse.
class StormBlink : public Effect
{
public:
    StormBlink(mivra::VertexArray&& points, mivra::Shader&& shader);
    void animate(float time, float x, float y) override;
    [[nodiscard]] const mivra::Shader& getShader() const override { return effectShader; }

private:
    void draw(mivra::RenderTarget& target, mivra::RenderStates states) const override;

    mivra::VertexArray dots;
    mivra::Shader effectShader;
};

// A scene of a backdrop and six moving tiles, drawn into a texture and then outlined by edge
// detection over the whole picture (a post-effect).
class Edge : public Effect
{
public:
    Edge(mivra::RenderTexture&& canvas, mivra::Texture&& backdrop, mivra::Texture&& tiles, mivra::Shader&& shader);
    void animate(float time, float x, float y) override;
    [[nodiscard]] const mivra::Shader& getShader() const override { return effectShader; }

private:
    void draw(mivra::RenderTarget& target, mivra::RenderStates states) const override;

    mivra::RenderTexture canvas;
    mivra::Texture backdropTexture;
    mivra::Texture tileTexture;
    mivra::Shader effectShader;
};

// 10,000 points turned into textured billboards by a geometry shader, the cloud turning with the
// mouse.
class Geometry : public Effect
{
public:
    Geometry(mivra::Texture&& texture, mivra::Shader&& shader, mivra::VertexArray&& points);
    void animate(float time, float x, float y) override;
    [[nodiscard]] const mivra::Shader& getShader() const override { return effectShader; }
    [[nodiscard]] const mivra::Transform& getSceneTransform() const { return sceneTransform; }

private:
    void draw(mivra::RenderTarget& target, mivra::RenderStates states) const override;

    mivra::Texture billboardTexture;
    mivra::Transform sceneTransform;
    mivra::Shader effectShader;
    mivra::VertexArray billboardPoints;
};

// Factories: each loads its files from `directory` and returns the effect, or nothing as soon as
// one load fails.
std::optional<Pixelate> createPixelate(const std::filesystem::path& directory);
std::optional<WaveBlur> createWaveBlur(const std::filesystem::path& directory, const mivra::Font& font);
std::optional<StormBlink> createStormBlink(const std::filesystem::path& directory);
std::optional<Edge> createEdge(const std::filesystem::path& directory);
std::optional<Geometry> createGeometry(const std::filesystem::path& directory);
} // namespace shader

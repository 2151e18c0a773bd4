#pragma once

#include <mivra/Graphics/Color.hpp>
#include <mivra/Graphics/Transform.hpp>
#include <mivra/System/Vector2.hpp>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mivra
{
class Texture;
namespace detail
{
struct ShaderStage;
}

/// A GLSL program of a vertex, an optional geometry and a fragment stage. Stages left out use the
/// fixed pipeline. Vertex shaders read gl_Vertex, gl_Color and gl_MultiTexCoord0 (texture
/// coordinates in pixels, normalised by gl_TextureMatrix[0]).
class Shader
{
public:
    enum class Type
    {
        Vertex,
        Geometry,
        Fragment
    };

    /// Marks a sampler uniform that takes the texture of the object being drawn.
    struct CurrentTextureType
    {
    };
    static inline constexpr CurrentTextureType CurrentTexture{};

    Shader();
    /// Load as loadFromFile does; throw mivra::Exception naming the file and the reason.
    Shader(const std::filesystem::path& filename, Type type);
    Shader(const std::filesystem::path& vertexFile, const std::filesystem::path& fragmentFile);
    Shader(const std::filesystem::path& vertexFile, const std::filesystem::path& geometryFile,
           const std::filesystem::path& fragmentFile);
    ~Shader();
    Shader(Shader&& other) noexcept;
    Shader& operator=(Shader&& other) noexcept;
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    /// On a missing file, a compile or a link error: one message on stderr naming the file (with
    /// the driver's log), false, and the shader left as it was.
    bool loadFromFile(const std::filesystem::path& filename, Type type);
    bool loadFromFile(const std::filesystem::path& vertexFile, const std::filesystem::path& fragmentFile);
    bool loadFromFile(const std::filesystem::path& vertexFile, const std::filesystem::path& geometryFile,
                      const std::filesystem::path& fragmentFile);
    bool loadFromMemory(std::string_view source, Type type);
    bool loadFromMemory(std::string_view vertexSource, std::string_view fragmentSource);
    bool loadFromMemory(std::string_view vertexSource, std::string_view geometrySource, std::string_view fragmentSource);

    /// Uniforms the program does not have (or that the compiler removed) are ignored.
    void setUniform(std::string_view name, float x);
    void setUniform(std::string_view name, Vector2f vector);
    void setUniform(std::string_view name, float x, float y, float z);
    void setUniform(std::string_view name, int x);
    void setUniform(std::string_view name, bool x);
    /// As a normalised vec4.
    void setUniform(std::string_view name, Color color);
    void setUniform(std::string_view name, const Transform& matrix);
    /// The texture must outlive the shader's use.
    void setUniform(std::string_view name, const Texture& texture);
    void setUniform(std::string_view name, const Texture&& texture) = delete;
    void setUniform(std::string_view name, CurrentTextureType);

    [[nodiscard]] unsigned int getNativeHandle() const { return m_program; }

    /// Makes the shader (or none) current for drawing outside the library.
    static void bind(const Shader* shader);
    [[nodiscard]] static bool isAvailable();
    [[nodiscard]] static bool isGeometryAvailable();

private:
    enum class OnFailure
    {
        Report, ///< one diagnostic, false
        Throw   ///< mivra::Exception
    };
    /// Reads the files, then loads their sources as load() does, failures named after the files.
    bool loadFiles(std::initializer_list<std::pair<Type, const std::filesystem::path*>> files, OnFailure onFailure);
    /// Sources in memory, failures named after their stage.
    bool loadSources(std::initializer_list<std::pair<Type, std::string_view>> sources);
    /// Every way of loading ends here: builds the program and takes it. On failure the shader is
    /// left as it was.
    bool load(const std::vector<detail::ShaderStage>& stages, OnFailure onFailure);
    int getUniformLocation(std::string_view name);
    void bindTextures() const;

    struct NameHash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };

    unsigned int m_program{};
    int m_currentTexture{-1};
    std::unordered_map<int, const Texture*> m_textures;
    std::unordered_map<std::string, int, NameHash, std::equal_to<>> m_uniforms;
};
} // namespace mivra

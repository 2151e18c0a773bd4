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
    /// A stage of the program.
    enum class Type
    {
        Vertex,   ///< Transforms each vertex.
        Geometry, ///< Makes primitives from primitives (needs isGeometryAvailable()).
        Fragment  ///< Colours each pixel.
    };

    /// Marks a sampler uniform that takes the texture of the object being drawn.
    struct CurrentTextureType
    {};
    /// Pass to setUniform() for a sampler that takes the texture of the object being drawn.
    static inline constexpr CurrentTextureType CurrentTexture{};

    /// No program: drawing with it uses the fixed pipeline.
    Shader();
    /// Load as loadFromFile() does; throw mivra::Exception, whose what() is the line loadFromFile()
    /// would report, when they cannot.
    ///@{
    Shader(const std::filesystem::path& filename, Type type);
    Shader(const std::filesystem::path& vertexFile, const std::filesystem::path& fragmentFile);
    Shader(const std::filesystem::path& vertexFile, const std::filesystem::path& geometryFile,
           const std::filesystem::path& fragmentFile);
    ///@}
    ~Shader();
    /// Takes the other's program, which is left without one.
    ///@{
    Shader(Shader&& other) noexcept;
    Shader& operator=(Shader&& other) noexcept;
    ///@}
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    /// Builds the program from the files of its stages. On a missing or unreadable file, a compile or
    /// a link error, or when shaders are unavailable: false, the shader left as it was, and one line
    /// through the diagnostics sink naming the file, with the driver's log on that line:
    /// "mivra: cannot load the shader: <file>: <why>".
    ///@{
    bool loadFromFile(const std::filesystem::path& filename, Type type);
    bool loadFromFile(const std::filesystem::path& vertexFile, const std::filesystem::path& fragmentFile);
    bool loadFromFile(const std::filesystem::path& vertexFile, const std::filesystem::path& geometryFile,
                      const std::filesystem::path& fragmentFile);
    ///@}
    /// Builds the program from the sources of its stages. On failure: false, the shader left as it
    /// was, and one line through the diagnostics sink naming the stage, with the driver's log.
    ///@{
    bool loadFromMemory(std::string_view source, Type type);
    bool loadFromMemory(std::string_view vertexSource, std::string_view fragmentSource);
    bool loadFromMemory(std::string_view vertexSource, std::string_view geometrySource,
                        std::string_view fragmentSource);
    ///@}

    /// Sets a float, vec2, vec3, int or bool uniform. Uniforms the program does not have (or that
    /// the compiler removed) are ignored.
    ///@{
    void setUniform(std::string_view name, float x);
    void setUniform(std::string_view name, Vector2f vector);
    void setUniform(std::string_view name, float x, float y, float z);
    void setUniform(std::string_view name, int x);
    void setUniform(std::string_view name, bool x);
    ///@}
    /// Sets a vec4 uniform from the colour, each channel divided by 255.
    void setUniform(std::string_view name, Color color);
    /// Sets a mat4 uniform from the transform's 4x4 matrix.
    void setUniform(std::string_view name, const Transform& matrix);
    /// Sets a sampler uniform to the texture, which must outlive the shader's use. When every
    /// texture unit is taken, the uniform is left as it was and one line goes to the diagnostics
    /// sink.
    void setUniform(std::string_view name, const Texture& texture);
    void setUniform(std::string_view name, const Texture&& texture) = delete;
    /// Makes the sampler take the texture of the object being drawn.
    void setUniform(std::string_view name, CurrentTextureType);

    /// The OpenGL program's name; 0 when none is loaded.
    [[nodiscard]] unsigned int getNativeHandle() const { return m_program; }

    /// Makes the shader (or none) current for drawing outside the library.
    static void bind(const Shader* shader);
    /// Whether the graphics driver supports shaders.
    [[nodiscard]] static bool isAvailable();
    /// Whether it supports geometry shaders too.
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
    /// Ends a batch drawing with this shader; whether there is a program and a context to set
    /// uniforms in.
    bool readyForUniforms();
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

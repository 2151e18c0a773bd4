#include <mivra/Graphics/Shader.hpp>
#include <mivra/Graphics/Texture.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/Window/Context.hpp>

#include "Graphics/detail/GlSavers.hpp"
#include "Graphics/detail/GlUse.hpp"
#include "System/detail/FileReading.hpp"

#include <epoxy/gl.h>

#include <optional>
#include <utility>
#include <vector>

namespace mivra
{
// One stage to build: its type, the name failures are reported under, and its source.
struct detail::ShaderStage
{
    Shader::Type type;
    std::string name;
    std::string source;
};

namespace
{
// Why a load failed: the file it concerns and the reason, as loadFromFile reports it and the
// loading constructors throw it.
struct Failure
{
    std::filesystem::path file;
    std::string reason;
};

// Shader sources are text of a few kilobytes; a file far larger is not one.
constexpr std::uint64_t maxShaderFileSize = 16 * 1024 * 1024;

std::optional<Failure> readSource(const std::filesystem::path& path, std::string& out)
{
    const detail::FileContents file = detail::readWholeFile(path, maxShaderFileSize);
    if (!file)
        return Failure{path, file.failure};
    out.assign(file.bytes.begin(), file.bytes.end());
    return std::nullopt;
}

const char* stageName(GLenum type)
{
    switch (type)
    {
    case GL_VERTEX_SHADER: return "vertex";
    case GL_GEOMETRY_SHADER: return "geometry";
    default: return "fragment";
    }
}

std::string trimmed(std::string log)
{
    while (!log.empty() && (log.back() == '\n' || log.back() == '\r' || log.back() == ' ' || log.back() == '\0'))
        log.pop_back();
    return log.empty() ? "no log from the driver" : log;
}

// The driver's log of a shader or a program, read with that kind of object's pair of calls.
template <typename GetParameter, typename GetLog>
std::string driverLog(GLuint object, GetParameter getParameter, GetLog getLog)
{
    GLint length = 0;
    getParameter(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(std::max(length, 1)), '\0');
    getLog(object, length, nullptr, log.data());
    return trimmed(std::move(log));
}

std::string shaderLog(GLuint shader)
{
    return driverLog(shader, glGetShaderiv, glGetShaderInfoLog);
}

std::string programLog(GLuint program)
{
    return driverLog(program, glGetProgramiv, glGetProgramInfoLog);
}

// A diagnostic is one line; the driver's log, which spans several, is joined with "; ".
std::string oneLine(const std::string& text)
{
    std::string line;
    for (std::size_t start = 0; start <= text.size();)
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view part(text.data() + start, end - start);
        if (!part.empty())
            line.append(line.empty() ? "" : line.back() == ':' ? " " : "; ").append(part);
        start = end + 1;
    }
    return line;
}


// Compiles and links the stages given; a program name on success.
std::optional<Failure> build(const std::vector<detail::ShaderStage>& stages, GLuint& programOut)
{
    if (!Context::ensureActive())
        return Failure{stages.front().name, "no graphics context"};
    if (!Shader::isAvailable())
        return Failure{stages.front().name, "shaders are not supported on this system"};

    const GLuint program = glCreateProgram();
    std::string allNames;
    for (const detail::ShaderStage& stage : stages)
    {
        GLenum type = GL_FRAGMENT_SHADER;
        if (stage.type == Shader::Type::Vertex)
            type = GL_VERTEX_SHADER;
        else if (stage.type == Shader::Type::Geometry)
        {
            if (!Shader::isGeometryAvailable())
            {
                glDeleteProgram(program);
                return Failure{stage.name, "geometry shaders are not supported on this system"};
            }
            type = GL_GEOMETRY_SHADER;
        }
        const GLuint shader = glCreateShader(type);
        const GLchar* text = stage.source.c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        GLint status = GL_FALSE;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
        if (status != GL_TRUE)
        {
            Failure failure{stage.name,
                            std::string("cannot compile the ") + stageName(type) + " shader:\n" + shaderLog(shader)};
            glDeleteShader(shader);
            glDeleteProgram(program);
            return failure;
        }
        glAttachShader(program, shader);
        glDeleteShader(shader); // freed with the program
        allNames += (allNames.empty() ? "" : "\", \"") + stage.name;
    }

    glLinkProgram(program);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status != GL_TRUE)
    {
        Failure failure{allNames, "cannot link the shader program:\n" + programLog(program)};
        glDeleteProgram(program);
        return failure;
    }
    glFlush();
    programOut = program;
    return std::nullopt;
}

const char* stageName(Shader::Type type)
{
    return stageName(type == Shader::Type::Vertex     ? GL_VERTEX_SHADER
                     : type == Shader::Type::Geometry ? GL_GEOMETRY_SHADER
                                                      : GL_FRAGMENT_SHADER);
}

GLint maxTextureUnits()
{
    static GLint units = 0;
    if (units == 0)
        glGetIntegerv(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS, &units);
    return units;
}
} // namespace

Shader::Shader() = default;

Shader::Shader(const std::filesystem::path& filename, Type type)
{
    loadFiles({{type, &filename}}, OnFailure::Throw);
}

Shader::Shader(const std::filesystem::path& vertexFile, const std::filesystem::path& fragmentFile)
{
    loadFiles({{Type::Vertex, &vertexFile}, {Type::Fragment, &fragmentFile}}, OnFailure::Throw);
}

Shader::Shader(const std::filesystem::path& vertexFile, const std::filesystem::path& geometryFile,
               const std::filesystem::path& fragmentFile)
{
    loadFiles({{Type::Vertex, &vertexFile}, {Type::Geometry, &geometryFile}, {Type::Fragment, &fragmentFile}},
              OnFailure::Throw);
}

Shader::~Shader()
{
    const detail::GlUse use(*this);
    if (m_program && Context::ensureActive())
        glDeleteProgram(m_program);
}

Shader::Shader(Shader&& other) noexcept
    : m_program(std::exchange(other.m_program, 0u)), m_currentTexture(std::exchange(other.m_currentTexture, -1)),
      m_textures(std::move(other.m_textures)), m_uniforms(std::move(other.m_uniforms))
{
}

Shader& Shader::operator=(Shader&& other) noexcept
{
    if (this != &other)
    {
        const detail::GlUse usesThis(*this), usesOther(other);
        std::swap(m_program, other.m_program);
        std::swap(m_currentTexture, other.m_currentTexture);
        std::swap(m_textures, other.m_textures);
        std::swap(m_uniforms, other.m_uniforms);
    }
    return *this;
}

bool Shader::loadFromFile(const std::filesystem::path& filename, Type type)
{
    return loadFiles({{type, &filename}}, OnFailure::Report);
}

bool Shader::loadFromFile(const std::filesystem::path& vertexFile, const std::filesystem::path& fragmentFile)
{
    return loadFiles({{Type::Vertex, &vertexFile}, {Type::Fragment, &fragmentFile}}, OnFailure::Report);
}

bool Shader::loadFromFile(const std::filesystem::path& vertexFile, const std::filesystem::path& geometryFile,
                          const std::filesystem::path& fragmentFile)
{
    return loadFiles({{Type::Vertex, &vertexFile}, {Type::Geometry, &geometryFile}, {Type::Fragment, &fragmentFile}},
                     OnFailure::Report);
}

bool Shader::loadFromMemory(std::string_view source, Type type)
{
    return loadSources({{type, source}});
}

bool Shader::loadFromMemory(std::string_view vertexSource, std::string_view fragmentSource)
{
    return loadSources({{Type::Vertex, vertexSource}, {Type::Fragment, fragmentSource}});
}

bool Shader::loadFromMemory(std::string_view vertexSource, std::string_view geometrySource,
                            std::string_view fragmentSource)
{
    return loadSources(
        {{Type::Vertex, vertexSource}, {Type::Geometry, geometrySource}, {Type::Fragment, fragmentSource}});
}

namespace
{
bool fail(const Failure& failure, bool report)
{
    if (!report)
        throw Exception("cannot load the shader", failure.file.string(), oneLine(failure.reason));
    reportDiagnostic("cannot load the shader", failure.file.string(), oneLine(failure.reason));
    return false;
}
} // namespace

bool Shader::loadFiles(std::initializer_list<std::pair<Type, const std::filesystem::path*>> files, OnFailure onFailure)
{
    std::vector<detail::ShaderStage> stages;
    for (const auto& [type, path] : files)
    {
        std::string source;
        if (auto failure = readSource(*path, source))
            return fail(*failure, onFailure == OnFailure::Report);
        stages.push_back({type, path->string(), std::move(source)});
    }
    return load(stages, onFailure);
}

bool Shader::loadSources(std::initializer_list<std::pair<Type, std::string_view>> sources)
{
    std::vector<detail::ShaderStage> stages;
    for (const auto& [type, source] : sources)
        stages.push_back({type, std::string(stageName(type)) + " shader source in memory", std::string(source)});
    return load(stages, OnFailure::Report);
}

bool Shader::load(const std::vector<detail::ShaderStage>& stages, OnFailure onFailure)
{
    GLuint program = 0;
    if (auto failure = build(stages, program))
        return fail(*failure, onFailure == OnFailure::Report);
    Shader loaded;
    loaded.m_program = program;
    *this = std::move(loaded);
    return true;
}

int Shader::getUniformLocation(std::string_view name)
{
    if (const auto it = m_uniforms.find(name); it != m_uniforms.end())
        return it->second;
    std::string key(name);
    const int location = glGetUniformLocation(m_program, key.c_str());
    m_uniforms.emplace(std::move(key), location);
    return location;
}

bool Shader::readyForUniforms()
{
    const detail::GlUse use(*this);
    return m_program && Context::ensureActive();
}

namespace
{
// Runs the uniform call with the program current, then restores the program in use.
template <typename Call>
void withProgram(unsigned int program, int location, Call&& call)
{
    if (location == -1)
        return;
    const detail::ProgramSaver saver;
    glUseProgram(program);
    call(location);
}
} // namespace

void Shader::setUniform(std::string_view name, float x)
{
    if (readyForUniforms())
        withProgram(m_program, getUniformLocation(name), [&](int location) { glUniform1f(location, x); });
}

void Shader::setUniform(std::string_view name, Vector2f vector)
{
    if (readyForUniforms())
        withProgram(m_program, getUniformLocation(name),
                    [&](int location) { glUniform2f(location, vector.x, vector.y); });
}

void Shader::setUniform(std::string_view name, float x, float y, float z)
{
    if (readyForUniforms())
        withProgram(m_program, getUniformLocation(name), [&](int location) { glUniform3f(location, x, y, z); });
}

void Shader::setUniform(std::string_view name, int x)
{
    if (readyForUniforms())
        withProgram(m_program, getUniformLocation(name), [&](int location) { glUniform1i(location, x); });
}

void Shader::setUniform(std::string_view name, bool x)
{
    setUniform(name, static_cast<int>(x));
}

void Shader::setUniform(std::string_view name, Color color)
{
    if (readyForUniforms())
        withProgram(m_program, getUniformLocation(name), [&](int location) {
            glUniform4f(location, color.r / 255.f, color.g / 255.f, color.b / 255.f, color.a / 255.f);
        });
}

void Shader::setUniform(std::string_view name, const Transform& matrix)
{
    if (readyForUniforms())
        withProgram(m_program, getUniformLocation(name),
                    [&](int location) { glUniformMatrix4fv(location, 1, GL_FALSE, matrix.getMatrix()); });
}

void Shader::setUniform(std::string_view name, const Texture& texture)
{
    if (!readyForUniforms())
        return;
    const int location = getUniformLocation(name);
    if (location == -1)
        return;
    if (const auto it = m_textures.find(location); it != m_textures.end())
    {
        it->second = &texture;
        return;
    }
    // Unit 0 holds the current texture; the others take one unit each from 1 up.
    if (static_cast<GLint>(m_textures.size()) + 1 >= maxTextureUnits())
    {
        reportDiagnostic("cannot set the texture uniform", name, "all texture units are in use");
        return;
    }
    m_textures.emplace(location, &texture);
}

void Shader::setUniform(std::string_view name, CurrentTextureType)
{
    if (!readyForUniforms())
        return;
    m_currentTexture = getUniformLocation(name);
    withProgram(m_program, m_currentTexture, [&](int location) { glUniform1i(location, 0); });
}

void Shader::bindTextures() const
{
    GLint unit = 1;
    for (const auto& [location, texture] : m_textures)
    {
        glUniform1i(location, unit);
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        Texture::bind(texture);
        ++unit;
    }
    glActiveTexture(GL_TEXTURE0);
}

void Shader::bind(const Shader* shader)
{
    const detail::GlUse use;
    if (shader && shader->m_program)
    {
        glUseProgram(shader->m_program);
        shader->bindTextures();
        if (shader->m_currentTexture != -1)
            glUniform1i(shader->m_currentTexture, 0);
    }
    else
    {
        glUseProgram(0);
    }
}

bool Shader::isAvailable()
{
    static int available = -1;
    if (available == -1)
    {
        if (!Context::ensureActive())
            return false;
        available = epoxy_gl_version() >= 20 ? 1 : 0;
    }
    return available == 1;
}

bool Shader::isGeometryAvailable()
{
    static int available = -1;
    if (available == -1)
    {
        if (!Context::ensureActive())
            return false;
        available = (isAvailable() && epoxy_gl_version() >= 32) ? 1 : 0;
    }
    return available == 1;
}
} // namespace mivra

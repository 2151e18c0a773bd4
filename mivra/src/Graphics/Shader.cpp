#include <mivra/Graphics/Shader.hpp>
#include <mivra/Graphics/Texture.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/Window/Context.hpp>

#include "Graphics/detail/GlSavers.hpp"

#include <epoxy/gl.h>

#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

namespace mivra
{
struct Shader::SourceFile
{
    std::string name; // the file, or a description of memory sources
    std::string source;
};

namespace
{
// Why a load failed: the file it concerns and the reason, as loadFromFile prints it and the
// loading constructors throw it.
struct Failure
{
    std::filesystem::path file;
    std::string reason;
};

std::optional<Failure> readSource(const std::filesystem::path& path, std::string& out)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return Failure{path, "no such file"};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Failure{path, "cannot open the file"};
    std::ostringstream contents;
    contents << in.rdbuf();
    if (in.bad())
        return Failure{path, "cannot read the file"};
    out = contents.str();
    return std::nullopt;
}

const char* stageName(GLenum type)
{
    switch (type)
    {
    case GL_VERTEX_SHADER:
        return "vertex";
    case GL_GEOMETRY_SHADER:
        return "geometry";
    default:
        return "fragment";
    }
}

std::string trimmed(std::string log)
{
    while (!log.empty() && (log.back() == '\n' || log.back() == '\r' || log.back() == ' ' || log.back() == '\0'))
        log.pop_back();
    return log.empty() ? "no log from the driver" : log;
}

std::string shaderLog(GLuint shader)
{
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(std::max(length, 1)), '\0');
    glGetShaderInfoLog(shader, length, nullptr, log.data());
    return trimmed(std::move(log));
}

std::string programLog(GLuint program)
{
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(std::max(length, 1)), '\0');
    glGetProgramInfoLog(program, length, nullptr, log.data());
    return trimmed(std::move(log));
}

void report(const Failure& failure)
{
    std::cerr << "Failed to load shader \"" << failure.file.string() << "\": " << failure.reason << std::endl;
}

// Compiles and links the stages given; a program name on success.
std::optional<Failure> build(const Shader::Type* types, const std::string* names, const std::string* sources, std::size_t count,
                             GLuint& programOut)
{
    if (!Context::ensureActive())
        return Failure{names[0], "no graphics context"};
    if (!Shader::isAvailable())
        return Failure{names[0], "shaders are not supported on this system"};

    const GLuint program = glCreateProgram();
    std::string allNames;
    for (std::size_t i = 0; i < count; ++i)
    {
        GLenum type = GL_FRAGMENT_SHADER;
        if (types[i] == Shader::Type::Vertex)
            type = GL_VERTEX_SHADER;
        else if (types[i] == Shader::Type::Geometry)
        {
            if (!Shader::isGeometryAvailable())
            {
                glDeleteProgram(program);
                return Failure{names[i], "geometry shaders are not supported on this system"};
            }
            type = GL_GEOMETRY_SHADER;
        }
        const GLuint shader = glCreateShader(type);
        const GLchar* text = sources[i].c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        GLint status = GL_FALSE;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
        if (status != GL_TRUE)
        {
            Failure failure{names[i], std::string("cannot compile the ") + stageName(type) + " shader:\n" + shaderLog(shader)};
            glDeleteShader(shader);
            glDeleteProgram(program);
            return failure;
        }
        glAttachShader(program, shader);
        glDeleteShader(shader); // freed with the program
        allNames += (i ? "\", \"" : "") + names[i];
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

template <typename Path>
std::optional<Failure> loadFiles(std::initializer_list<std::pair<Shader::Type, Path>> files, GLuint& program)
{
    std::vector<Shader::Type> types;
    std::vector<std::string> names;
    std::vector<std::string> sources;
    for (const auto& [type, path] : files)
    {
        std::string source;
        if (auto failure = readSource(path, source))
            return failure;
        types.push_back(type);
        names.push_back(std::filesystem::path(path).string());
        sources.push_back(std::move(source));
    }
    return build(types.data(), names.data(), sources.data(), types.size(), program);
}

std::optional<Failure> loadSources(std::initializer_list<std::pair<Shader::Type, std::string_view>> stages, GLuint& program)
{
    std::vector<Shader::Type> types;
    std::vector<std::string> names;
    std::vector<std::string> sources;
    for (const auto& [type, source] : stages)
    {
        types.push_back(type);
        names.push_back(std::string(stageName(type == Shader::Type::Vertex     ? GL_VERTEX_SHADER
                                              : type == Shader::Type::Geometry ? GL_GEOMETRY_SHADER
                                                                               : GL_FRAGMENT_SHADER)) +
                        " shader source in memory");
        sources.emplace_back(source);
    }
    return build(types.data(), names.data(), sources.data(), types.size(), program);
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
    GLuint program = 0;
    if (auto failure = loadFiles<std::filesystem::path>({{type, filename}}, program))
        throw Exception(failure->file, failure->reason);
    m_program = program;
}

Shader::Shader(const std::filesystem::path& vertexFile, const std::filesystem::path& fragmentFile)
{
    GLuint program = 0;
    if (auto failure = loadFiles<std::filesystem::path>({{Type::Vertex, vertexFile}, {Type::Fragment, fragmentFile}}, program))
        throw Exception(failure->file, failure->reason);
    m_program = program;
}

Shader::Shader(const std::filesystem::path& vertexFile, const std::filesystem::path& geometryFile,
               const std::filesystem::path& fragmentFile)
{
    GLuint program = 0;
    if (auto failure = loadFiles<std::filesystem::path>(
            {{Type::Vertex, vertexFile}, {Type::Geometry, geometryFile}, {Type::Fragment, fragmentFile}}, program))
        throw Exception(failure->file, failure->reason);
    m_program = program;
}

Shader::~Shader()
{
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
        std::swap(m_program, other.m_program);
        std::swap(m_currentTexture, other.m_currentTexture);
        std::swap(m_textures, other.m_textures);
        std::swap(m_uniforms, other.m_uniforms);
    }
    return *this;
}

bool Shader::loadFromFile(const std::filesystem::path& filename, Type type)
{
    GLuint program = 0;
    if (auto failure = loadFiles<std::filesystem::path>({{type, filename}}, program))
    {
        report(*failure);
        return false;
    }
    Shader loaded;
    loaded.m_program = program;
    *this = std::move(loaded);
    return true;
}

bool Shader::loadFromFile(const std::filesystem::path& vertexFile, const std::filesystem::path& fragmentFile)
{
    GLuint program = 0;
    if (auto failure = loadFiles<std::filesystem::path>({{Type::Vertex, vertexFile}, {Type::Fragment, fragmentFile}}, program))
    {
        report(*failure);
        return false;
    }
    Shader loaded;
    loaded.m_program = program;
    *this = std::move(loaded);
    return true;
}

bool Shader::loadFromFile(const std::filesystem::path& vertexFile, const std::filesystem::path& geometryFile,
                          const std::filesystem::path& fragmentFile)
{
    GLuint program = 0;
    if (auto failure = loadFiles<std::filesystem::path>(
            {{Type::Vertex, vertexFile}, {Type::Geometry, geometryFile}, {Type::Fragment, fragmentFile}}, program))
    {
        report(*failure);
        return false;
    }
    Shader loaded;
    loaded.m_program = program;
    *this = std::move(loaded);
    return true;
}

bool Shader::loadFromMemory(std::string_view source, Type type)
{
    GLuint program = 0;
    if (auto failure = loadSources({{type, source}}, program))
    {
        report(*failure);
        return false;
    }
    Shader loaded;
    loaded.m_program = program;
    *this = std::move(loaded);
    return true;
}

bool Shader::loadFromMemory(std::string_view vertexSource, std::string_view fragmentSource)
{
    GLuint program = 0;
    if (auto failure = loadSources({{Type::Vertex, vertexSource}, {Type::Fragment, fragmentSource}}, program))
    {
        report(*failure);
        return false;
    }
    Shader loaded;
    loaded.m_program = program;
    *this = std::move(loaded);
    return true;
}

bool Shader::loadFromMemory(std::string_view vertexSource, std::string_view geometrySource, std::string_view fragmentSource)
{
    GLuint program = 0;
    if (auto failure =
            loadSources({{Type::Vertex, vertexSource}, {Type::Geometry, geometrySource}, {Type::Fragment, fragmentSource}}, program))
    {
        report(*failure);
        return false;
    }
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
    if (!m_program || !Context::ensureActive())
        return;
    withProgram(m_program, getUniformLocation(name), [&](int location) { glUniform1f(location, x); });
}

void Shader::setUniform(std::string_view name, Vector2f vector)
{
    if (!m_program || !Context::ensureActive())
        return;
    withProgram(m_program, getUniformLocation(name), [&](int location) { glUniform2f(location, vector.x, vector.y); });
}

void Shader::setUniform(std::string_view name, float x, float y, float z)
{
    if (!m_program || !Context::ensureActive())
        return;
    withProgram(m_program, getUniformLocation(name), [&](int location) { glUniform3f(location, x, y, z); });
}

void Shader::setUniform(std::string_view name, int x)
{
    if (!m_program || !Context::ensureActive())
        return;
    withProgram(m_program, getUniformLocation(name), [&](int location) { glUniform1i(location, x); });
}

void Shader::setUniform(std::string_view name, bool x)
{
    setUniform(name, static_cast<int>(x));
}

void Shader::setUniform(std::string_view name, Color color)
{
    if (!m_program || !Context::ensureActive())
        return;
    withProgram(m_program, getUniformLocation(name),
                [&](int location) { glUniform4f(location, color.r / 255.f, color.g / 255.f, color.b / 255.f, color.a / 255.f); });
}

void Shader::setUniform(std::string_view name, const Transform& matrix)
{
    if (!m_program || !Context::ensureActive())
        return;
    withProgram(m_program, getUniformLocation(name),
                [&](int location) { glUniformMatrix4fv(location, 1, GL_FALSE, matrix.getMatrix()); });
}

void Shader::setUniform(std::string_view name, const Texture& texture)
{
    if (!m_program || !Context::ensureActive())
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
        std::cerr << "Cannot set texture uniform \"" << name << "\": all texture units are in use" << std::endl;
        return;
    }
    m_textures.emplace(location, &texture);
}

void Shader::setUniform(std::string_view name, CurrentTextureType)
{
    if (!m_program || !Context::ensureActive())
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

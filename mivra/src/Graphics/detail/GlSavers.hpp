#pragma once

#include <epoxy/gl.h>

namespace mivra::detail
{
// Restores the texture binding of the current unit when leaving the scope, so texture work done
// between two draw calls does not disturb what a render target believes is bound.
class TextureBindingSaver
{
public:
    TextureBindingSaver() { glGetIntegerv(GL_TEXTURE_BINDING_2D, &m_binding); }
    ~TextureBindingSaver() { glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(m_binding)); }
    TextureBindingSaver(const TextureBindingSaver&) = delete;
    TextureBindingSaver& operator=(const TextureBindingSaver&) = delete;

private:
    GLint m_binding{};
};

// The same for the program in use.
class ProgramSaver
{
public:
    ProgramSaver() { glGetIntegerv(GL_CURRENT_PROGRAM, &m_program); }
    ~ProgramSaver() { glUseProgram(static_cast<GLuint>(m_program)); }
    ProgramSaver(const ProgramSaver&) = delete;
    ProgramSaver& operator=(const ProgramSaver&) = delete;

private:
    GLint m_program{};
};
} // namespace mivra::detail

// Windows only. The system's opengl32 exports OpenGL 1.1 alone; every later
// function the program calls is the driver's, found with wglGetProcAddress
// the first time it is called (a context is current by then: the demo makes
// its one context before drawing anything). Each function below has the
// name and the signature <GL/glext.h> declares, so the code that draws calls
// it as on Linux. A driver that lacks one ends the demo with its name. A
// function the code starts to call needs its line here: the Windows link
// names it until it has one.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "engine/fatal.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

namespace {

// Some drivers answer 1, 2, 3 or -1 instead of null for a function they lack.
void* Entry(const std::string& name)
{
  void* const entry = reinterpret_cast<void*>(wglGetProcAddress(name.c_str()));
  const intptr_t value = reinterpret_cast<intptr_t>(entry);
  return value == 0 || value == 1 || value == 2 || value == 3 || value == -1 ? nullptr : entry;
}

// The core function, or where the driver knows it only by the extension that
// brought it (Wine's opengl32 has glMultiTexCoord2dARB, not glMultiTexCoord2d)
// that one.
void* FindEntry(const char* name)
{
  void* entry = Entry(name);
  if (!entry)
    entry = Entry(std::string(name) + "ARB");
  if (!entry)
    entry = Entry(std::string(name) + "EXT");
  if (!entry)
    FatalMessage(std::string("The OpenGL driver has no ") + name +
                     " (this program needs OpenGL 2.1 with framebuffer objects).",
                 "Error");
  return entry;
}

}  // namespace

#define FORWARD(Result, Name, Parameters, Arguments)                                 \
  extern "C" Result APIENTRY Name Parameters                                         \
  {                                                                                  \
    static const auto entry = reinterpret_cast<decltype(&Name)>(FindEntry(#Name));   \
    return entry Arguments;                                                          \
  }

FORWARD(void, glActiveTexture, (GLenum texture), (texture))
FORWARD(void, glAttachShader, (GLuint program, GLuint shader), (program, shader))
FORWARD(void, glBindFramebuffer, (GLenum target, GLuint framebuffer), (target, framebuffer))
FORWARD(void, glBindRenderbuffer, (GLenum target, GLuint renderbuffer), (target, renderbuffer))
FORWARD(void, glBlitFramebuffer,
        (GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0, GLint dstY0, GLint dstX1,
         GLint dstY1, GLbitfield mask, GLenum filter),
        (srcX0, srcY0, srcX1, srcY1, dstX0, dstY0, dstX1, dstY1, mask, filter))
FORWARD(GLenum, glCheckFramebufferStatus, (GLenum target), (target))
FORWARD(void, glCompileShader, (GLuint shader), (shader))
FORWARD(GLuint, glCreateProgram, (void), ())
FORWARD(GLuint, glCreateShader, (GLenum type), (type))
FORWARD(void, glDeleteFramebuffers, (GLsizei n, const GLuint *framebuffers), (n, framebuffers))
FORWARD(void, glDeleteProgram, (GLuint program), (program))
FORWARD(void, glDeleteRenderbuffers, (GLsizei n, const GLuint *renderbuffers), (n, renderbuffers))
FORWARD(void, glDeleteShader, (GLuint shader), (shader))
FORWARD(void, glDrawRangeElements,
        (GLenum mode, GLuint start, GLuint end, GLsizei count, GLenum type, const void *indices),
        (mode, start, end, count, type, indices))
FORWARD(void, glFramebufferRenderbuffer,
        (GLenum target, GLenum attachment, GLenum renderbuffertarget, GLuint renderbuffer),
        (target, attachment, renderbuffertarget, renderbuffer))
FORWARD(void, glGenFramebuffers, (GLsizei n, GLuint *framebuffers), (n, framebuffers))
FORWARD(void, glGenRenderbuffers, (GLsizei n, GLuint *renderbuffers), (n, renderbuffers))
FORWARD(void, glGetProgramInfoLog,
        (GLuint program, GLsizei bufSize, GLsizei *length, GLchar *infoLog),
        (program, bufSize, length, infoLog))
FORWARD(void, glGetProgramiv,
        (GLuint program, GLenum pname, GLint *params),
        (program, pname, params))
FORWARD(void, glGetShaderInfoLog,
        (GLuint shader, GLsizei bufSize, GLsizei *length, GLchar *infoLog),
        (shader, bufSize, length, infoLog))
FORWARD(void, glGetShaderiv, (GLuint shader, GLenum pname, GLint *params), (shader, pname, params))
FORWARD(GLint, glGetUniformLocation, (GLuint program, const GLchar *name), (program, name))
FORWARD(void, glLinkProgram, (GLuint program), (program))
FORWARD(void, glMultiTexCoord2d, (GLenum target, GLdouble s, GLdouble t), (target, s, t))
FORWARD(void, glRenderbufferStorage,
        (GLenum target, GLenum internalformat, GLsizei width, GLsizei height),
        (target, internalformat, width, height))
FORWARD(void, glRenderbufferStorageMultisample,
        (GLenum target, GLsizei samples, GLenum internalformat, GLsizei width, GLsizei height),
        (target, samples, internalformat, width, height))
FORWARD(void, glShaderSource,
        (GLuint shader, GLsizei count, const GLchar *const*string, const GLint *length),
        (shader, count, string, length))
FORWARD(void, glUniform1i, (GLint location, GLint v0), (location, v0))
FORWARD(void, glUniform2f, (GLint location, GLfloat v0, GLfloat v1), (location, v0, v1))
FORWARD(void, glUniform3f,
        (GLint location, GLfloat v0, GLfloat v1, GLfloat v2),
        (location, v0, v1, v2))
FORWARD(void, glUniform3fv,
        (GLint location, GLsizei count, const GLfloat *value),
        (location, count, value))
FORWARD(void, glUniform4f,
        (GLint location, GLfloat v0, GLfloat v1, GLfloat v2, GLfloat v3),
        (location, v0, v1, v2, v3))
FORWARD(void, glUniform4fv,
        (GLint location, GLsizei count, const GLfloat *value),
        (location, count, value))
FORWARD(void, glUniformMatrix3fv,
        (GLint location, GLsizei count, GLboolean transpose, const GLfloat *value),
        (location, count, transpose, value))
FORWARD(void, glUseProgram, (GLuint program), (program))

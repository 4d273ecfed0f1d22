#include "engine/shaders.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <vector>

namespace {

bool Reference = false;

// A shader's or a program's info log, through the matching pair of getters.
template <typename Getiv, typename GetLog>
std::string InfoLog(GLuint object, Getiv getiv, GetLog getLog)
{
  GLint length = 0;
  getiv(object, GL_INFO_LOG_LENGTH, &length);
  std::vector<char> log(static_cast<size_t>(length > 0 ? length : 1), '\0');
  getLog(object, static_cast<GLsizei>(log.size()), nullptr, log.data());
  return log.data();
}

// The shader's GL name, or 0 with its log in error.
GLuint CompileShader(GLenum kind, const char* source, std::string& error)
{
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok == GL_TRUE)
    return shader;
  error = std::string(kind == GL_VERTEX_SHADER ? "vertex" : "fragment") +
          " shader: " + InfoLog(shader, glGetShaderiv, glGetShaderInfoLog);
  glDeleteShader(shader);
  return 0;
}

}  // namespace

void UseReferencePath(bool on)
{
  Reference = on;
}

bool ReferencePathInUse()
{
  return Reference;
}

uint32_t BuildProgram(const char* vertexShader, const char* fragmentShader, std::string& error)
{
  const GLuint vertex = CompileShader(GL_VERTEX_SHADER, vertexShader, error);
  if (vertex == 0)
    return 0;
  const GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, fragmentShader, error);
  if (fragment == 0) {
    glDeleteShader(vertex);
    return 0;
  }
  const GLuint program = glCreateProgram();
  glAttachShader(program, vertex);
  glAttachShader(program, fragment);
  glLinkProgram(program);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (ok == GL_TRUE)
    return program;
  error = "link: " + InfoLog(program, glGetProgramiv, glGetProgramInfoLog);
  glDeleteProgram(program);
  return 0;
}

uint32_t FastProgram(TFastProgram& program)
{
  if (Reference || program.Failed)
    return 0;
  if (program.Id != 0)
    return program.Id;
  std::string error;
  program.Id = BuildProgram(program.VertexShader, program.FragmentShader, error);
  if (program.Id == 0) {
    program.Failed = true;
    std::fprintf(stderr, "the %s program could not be built, drawn layer by layer instead: %s\n",
                 program.Name, error.c_str());
    return 0;
  }
  program.Uniforms.clear();
  for (const char* name : program.UniformNames)
    program.Uniforms.push_back(glGetUniformLocation(program.Id, name));
  return program.Id;
}

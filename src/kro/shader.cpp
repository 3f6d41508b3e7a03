// Shader programs over the OpenGL 2.0 entry points.
#include <kro/kro.h>
#include <kro/shader.h>
#include <tessel/tessel.h>

#include <GL/glew.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>

bool Shader::entryPointsLoaded = false;

bool Shader::loadEntryPoints() {
  if (entryPointsLoaded) return true;
  const GLenum result = glewInit();
  if (result != GLEW_OK) {
    const std::string reason = reinterpret_cast<const char*>(glewGetErrorString(result));
    debug(("Shader: no OpenGL entry points: " + reason).c_str());
    return false;
  }
  entryPointsLoaded = true;
  return true;
}

bool Shader::shadersAvailable() {
  if (!loadEntryPoints()) return false;
  if (!GLEW_VERSION_2_0) {
    debug("Shader: the OpenGL context does not offer shaders (OpenGL 2.0)");
    return false;
  }
  return true;
}

Shader::Shader() : sp(0), vs(0), ps(0), linked(false) {}

Shader::~Shader() { release(); }

// Shaders flagged for deletion live on while attached, so they are detached first;
// the program itself goes once it is no longer current.
void Shader::release() {
  if (sp) {
    if (vs) glDetachShader(sp, vs);
    if (ps) glDetachShader(sp, ps);
    glDeleteProgram(sp);
  }
  if (vs) glDeleteShader(vs);
  if (ps) glDeleteShader(ps);
  sp = vs = ps = 0;
  linked = false;
  vars.clear();
}

void Shader::load(const char* vertexFile, const char* fragmentFile) {
  std::unique_ptr<char[]> vertex(vertexFile ? file2string(vertexFile) : nullptr);
  std::unique_ptr<char[]> fragment(fragmentFile ? file2string(fragmentFile) : nullptr);
  setSrc(vertex.get(), fragment.get());
}

void Shader::setSrc(const char* vertexSource, const char* fragmentSource) {
  release();
  if (!shadersAvailable()) return;
  vs = vertexSource ? compile(GL_VERTEX_SHADER, vertexSource) : 0;
  ps = fragmentSource ? compile(GL_FRAGMENT_SHADER, fragmentSource) : 0;
  sp = glCreateProgram();
  if (vs) glAttachShader(sp, vs);
  if (ps) glAttachShader(sp, ps);
  glLinkProgram(sp);
  GLint status = GL_FALSE;
  glGetProgramiv(sp, GL_LINK_STATUS, &status);
  linked = status == GL_TRUE;
}

unsigned Shader::compile(unsigned type, const char* source) {
  const GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  printLog(shader);
  return shader;
}

// Without a linked program there is nothing to make current, and nothing of ours
// to put away: the program another Shader made current stays so.
void Shader::begin() {
  if (linked) glUseProgram(sp);
}

void Shader::end() {
  if (linked) glUseProgram(0);
}

unsigned Shader::location(const char* name) {
  if (!vars.isKey(name)) vars[name] = static_cast<unsigned>(glGetUniformLocation(sp, name));
  return vars[name];
}

void Shader::sendUniform1i(const char* name, unsigned value) {
  if (!linked) return;
  const GLint where = static_cast<GLint>(location(name));
  begin();
  glUniform1i(where, static_cast<GLint>(value));
  end();
}

void Shader::sendUniform1f(const char* name, float value) {
  if (!linked) return;
  const GLint where = static_cast<GLint>(location(name));
  begin();
  glUniform1f(where, value);
  end();
}

void Shader::testOpengl() {
  if (!loadEntryPoints()) return;
  const struct {
    GLboolean available;
    const char* text;
  } versions[] = {
      {GLEW_VERSION_1_2, "Opengl 1.2 ok"}, {GLEW_VERSION_1_3, "Opengl 1.3 ok"}, {GLEW_VERSION_1_4, "Opengl 1.4 ok"},
      {GLEW_VERSION_1_5, "Opengl 1.5 ok"}, {GLEW_VERSION_2_0, "Opengl 2.0 ok"}, {GLEW_VERSION_2_1, "Opengl 2.1 ok"},
      {GLEW_VERSION_3_0, "Opengl 3.0 ok"},
  };
  for (const auto& v : versions)
    if (v.available) debug(v.text);
}

char* Shader::file2string(const char* name) {
  Tessel::File hand(Tessel::openFile(name, "r"));
  if (!hand) {
    std::fprintf(stderr, "Can't open file '%s' for reading\n", name);
    return nullptr;
  }
  std::fseek(hand.get(), 0, SEEK_END);
  const long size = std::ftell(hand.get());
  std::fseek(hand.get(), 0, SEEK_SET);
  if (size < 0) return nullptr;
  // At least one byte, so that an empty file still has room for its terminator.
  std::unique_ptr<char[]> text(new (std::nothrow) char[std::size_t(size) + 1]);
  if (!text) return nullptr;
  const std::size_t got = std::fread(text.get(), 1, std::size_t(size), hand.get());
  // The last byte read (the final line feed of a well-formed file) gives way to
  // the terminator.
  text[got ? got - 1 : 0] = 0;
  return text.release();
}

void Shader::printLog(unsigned object) {
  char log[1024];
  GLsizei length = 0;
  if (glIsShader(object))
    glGetShaderInfoLog(object, sizeof log, &length, log);
  else
    glGetProgramInfoLog(object, sizeof log, &length, log);
  if (length > 0) debug(log);
}

// Shader programs in a real OpenGL context (Xvfb, Mesa): what they draw is read back from the frame.
#include <GL/glew.h>

#include <kro/kro.h>
#include <kro/modtxtshow.h>
#include <kro/shader.h>

#include <platform/display.h>
#include <platform/window.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "support/tempdir.h"

namespace {

const int SIZE = 64;
const char* const VERTEX = "void main() { gl_Position = gl_Vertex; }\n";
const char* const COLOUR =
    "uniform float r, g; uniform int quarters; void main() { gl_FragColor = vec4(r, g, float(quarters) / 4.0, 1); }";

using Ids = std::array<GLuint, 3>;
struct OpenShader : Shader {
  using Shader::sp;
  Ids ids() const { return {sp, vs, ps}; }
};
int alive(Ids ids) { return glIsProgram(ids[0]) + glIsShader(ids[1]) + glIsShader(ids[2]); }

GLuint currentProgram() {
  GLint current = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  return GLuint(current);
}

// Draws the left half of the viewport (the vertex shaders take no matrices) and expects `want` there.
void expectDraws(Shader& shader, std::array<int, 3> want) {
  shader.begin();
  glRectf(-1, -1, 0, 1);
  shader.end();
  unsigned char pixel[3] = {};
  glReadPixels(SIZE / 4, SIZE / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(pixel[c], want[c], 2) << "channel " << c;
}

using ShaderGl = TempDirTest;

}  // namespace

TEST_F(ShaderGl, ProgramsDrawWithTheirUniformsAndFailuresChangeNothing) {
  if (!platform::hasDisplay()) GTEST_SKIP() << "needs an X display (tools/test.sh starts one)";
  OpenShader early;  // without a context: no entry points, said once, and no program
  early.setSrc(VERTEX, COLOUR);
  EXPECT_EQ(readFile("data/log.txt").rfind("Shader: no OpenGL entry points: ", 0), 0u);
  EXPECT_EQ(readFile("data/log.txt").find('\n'), readFile("data/log.txt").size() - 1);
  std::string error;
  ASSERT_TRUE(platform::openWindow(SIZE, SIZE, false, "shader test", error)) << error;
  ASSERT_EQ(glewInit(), GLenum(GLEW_OK));
  auto shader = std::make_unique<OpenShader>();
  shader->setSrc(VERTEX, COLOUR);
  const Ids first = shader->ids();
  ASSERT_EQ(alive(first), 3);
  shader->sendUniform1f("r", 1.0f);
  shader->sendUniform1f("g", 0.25f);
  shader->sendUniform1i("quarters", 1);
  shader->sendUniform1f("g", 0.5f);  // the last value counts
  EXPECT_EQ(currentProgram(), 0u) << "sending a uniform leaves no program current";
  expectDraws(*shader, {255, 128, 64});

  // A vertex file that cannot be read (a folder) leaves the program fragment-only, and the one before is released.
  writeFile("colour.frag", "void main() { gl_FragColor = vec4(0.0, 1.0, 0.0, 1.0); }\n");
  testing::internal::CaptureStderr();
  shader->load("data", "colour.frag");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can't open file 'data' for reading\n");
  EXPECT_EQ(shader->ids()[1], 0u);
  EXPECT_EQ(alive(first), 0);
  expectDraws(*shader, {0, 255, 0});
  // An empty file is an empty text (its terminator once went before the buffer).
  writeFile("empty.vert", "");
  shader->load("empty.vert", "colour.frag");
  GLint length = -1;
  glGetShaderiv(shader->ids()[1], GL_SHADER_SOURCE_LENGTH, &length);
  EXPECT_LE(length, 1);  // nothing, or the terminator alone

  // Without a linked program (none made, or its compile failed) the current one stays.
  shader->setSrc(VERTEX, COLOUR);
  OpenShader none, broken;
  broken.setSrc(nullptr, "void main() { this is not a shader; }\n");
  EXPECT_NE(readFile("data/log.txt").find("error"), std::string::npos);  // the compile log
  for (OpenShader* failed : {&none, &broken}) {
    shader->begin();
    failed->begin();
    failed->sendUniform1f("r", 1.0f);
    failed->end();
    EXPECT_EQ(currentProgram(), shader->sp) << "shader " << failed->sp;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "shader " << failed->sp;
    shader->end();
  }
  const Ids ids = shader->ids();
  ASSERT_EQ(alive(ids), 3);
  shader.reset();
  EXPECT_EQ(alive(ids), 0) << "the destructor releases the program and its shaders";

  // The engine's fixed-function drawing: lit without a lamp, a material shows a fifth of its ambient
  // part, a lamp facing it adds the diffuse part; a text page leaves the matrix stack as it found it.
  glEnable(GL_LIGHTING);
  kroColor3f(0.5f, 1, 0, 0.5f);
  expectDraws(none, {13, 26, 0});
  glEnable(GL_LIGHT0);
  expectDraws(none, {77, 153, 0});
  glDisable(GL_LIGHTING);
  ModTxtShow::I(nullptr, "colour.frag", nullptr)->draw2d();
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Shader programs in a real OpenGL context (Xvfb with Mesa's software renderer):
// what they draw is read back from the frame, their logs from data/log.txt.
#include <GL/glew.h>

#include <kro/shader.h>

#include <platform/display.h>
#include <platform/window.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

#include "kro/console_support.h"

namespace {

const int SIZE = 64;

const char* const VERTEX = "void main() { gl_Position = gl_Vertex; }\n";
const char* const COLOUR =
    "uniform float r;\n"
    "uniform float g;\n"
    "uniform int quarters;\n"
    "void main() { gl_FragColor = vec4(r, g, float(quarters) / 4.0, 1.0); }\n";

struct OpenShader : Shader {
  using Shader::ps;
  using Shader::sp;
  using Shader::vs;
};

// Counts the uniform-location queries that go to OpenGL.
PFNGLGETUNIFORMLOCATIONPROC realGetUniformLocation = nullptr;
int locationQueries = 0;
GLint GLAPIENTRY countingGetUniformLocation(GLuint program, const GLchar* name) {
  ++locationQueries;
  return realGetUniformLocation(program, name);
}

class ShaderGl : public ConsoleTest {
protected:
  static void SetUpTestSuite() {
    if (!platform::hasDisplay()) return;
    std::string error;
    ready = platform::openWindow(SIZE, SIZE, false, "shader test", error);
    ASSERT_TRUE(ready) << error;
  }
  void SetUp() override {
    ConsoleTest::SetUp();
    if (!ready) GTEST_SKIP() << "needs an X display (tools/test.sh starts one)";
    ASSERT_EQ(glewInit(), GLenum(GLEW_OK));
    glViewport(0, 0, SIZE, SIZE);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
  }

  // Draws over the left half of the viewport (the vertex shaders take no
  // matrices) and expects `want` there, the right half still black.
  static void expectDraws(Shader& shader, std::array<int, 3> want) {
    shader.begin();
    glRectf(-1, -1, 0, 1);
    shader.end();
    unsigned char row[SIZE * 3] = {};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, SIZE / 2, SIZE, 1, GL_RGB, GL_UNSIGNED_BYTE, row);
    for (int c = 0; c < 3; ++c) {
      EXPECT_NEAR(row[SIZE / 4 * 3 + c], want[c], 2) << "channel " << c;
      EXPECT_EQ(row[3 * SIZE / 4 * 3 + c], 0) << "right half, channel " << c;
    }
  }

  static bool ready;
};
bool ShaderGl::ready = false;

}  // namespace

TEST_F(ShaderGl, UniformsColourTheQuadAndLocationsAreQueriedOnce) {
  OpenShader shader;
  shader.setSrc(VERTEX, COLOUR);
  realGetUniformLocation = glGetUniformLocation;
  glGetUniformLocation = countingGetUniformLocation;
  locationQueries = 0;

  shader.sendUniform1f("r", 1.0f);
  shader.sendUniform1f("g", 0.25f);
  shader.sendUniform1i("quarters", 1);
  EXPECT_EQ(locationQueries, 3);
  shader.sendUniform1f("g", 0.5f);  // known by now
  EXPECT_EQ(locationQueries, 3);
  glGetUniformLocation = realGetUniformLocation;

  GLint current = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  EXPECT_EQ(current, 0) << "sending a uniform leaves no program current";

  expectDraws(shader, {255, 128, 64});
}

// A Shader without a linked program, none made or one whose link failed, has
// nothing to make current or put away: another Shader's program stays current.
TEST_F(ShaderGl, WithoutAProgramBeginAndEndLeaveTheCurrentOneAlone) {
  OpenShader other, none, broken;
  other.setSrc(VERTEX, COLOUR);
  broken.setSrc(nullptr, "void main() { this is not a shader; }\n");
  ASSERT_NE(broken.sp, 0u);
  for (OpenShader* shader : {&none, &broken}) {
    other.begin();
    shader->begin();
    shader->sendUniform1f("r", 1.0f);
    shader->end();
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(GLuint(current), other.sp) << "shader " << shader->sp;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "shader " << shader->sp;
    other.end();
  }
}

TEST_F(ShaderGl, CompileErrorGoesToTheConsoleLog) {
  OpenShader shader;
  shader.setSrc(nullptr, "void main() { this is not a shader; }\n");
  GLint compiled = GL_TRUE;
  glGetShaderiv(shader.ps, GL_COMPILE_STATUS, &compiled);
  EXPECT_EQ(compiled, GL_FALSE);
  const std::string log = readFile("data/log.txt");
  EXPECT_NE(log.find("error"), std::string::npos) << log;
}

// A fragment file ending with a line feed compiles (only the line feed is
// dropped); a missing vertex file leaves the program fragment-only; an empty file
// is an empty text (its terminator once went before the buffer).
TEST_F(ShaderGl, LoadsFiles) {
  writeFile("colour.frag", "void main() { gl_FragColor = vec4(0.0, 1.0, 0.0, 1.0); }\n");
  writeFile("empty.vert", "");
  OpenShader shader;
  testing::internal::CaptureStderr();
  shader.load("missing.vert", "colour.frag");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can't open file 'missing.vert' for reading\n");
  EXPECT_EQ(shader.vs, 0u);
  expectDraws(shader, {0, 255, 0});

  shader.load("empty.vert", "colour.frag");
  ASSERT_NE(shader.vs, 0u);
  GLint length = -1;
  glGetShaderiv(shader.vs, GL_SHADER_SOURCE_LENGTH, &length);
  EXPECT_LE(length, 1);  // nothing, or the terminator alone
}

TEST_F(ShaderGl, DestructorReleasesTheProgramAndItsShaders) {
  struct Ids {
    GLuint sp, vs, ps;
  } last{};
  auto alive = [](Ids i) { return glIsProgram(i.sp) + glIsShader(i.vs) + glIsShader(i.ps); };
  {
    OpenShader shader;
    shader.setSrc(VERTEX, COLOUR);
    const Ids first{shader.sp, shader.vs, shader.ps};
    ASSERT_EQ(alive(first), 3);
    shader.setSrc(VERTEX, COLOUR);  // a second program replaces the first
    EXPECT_EQ(alive(first), 0);
    last = {shader.sp, shader.vs, shader.ps};
  }
  EXPECT_EQ(alive(last), 0);
}

// Shader programs in a real OpenGL context (under Xvfb with Mesa's software
// renderer): what they draw is read back from the frame, their logs from the
// console's log file.
#include <GL/glew.h>

#include <kro/shader.h>

#include "platform/window.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
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

// The fields, for the tests to look at.
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
    if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY")) return;
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

  // The left half of the viewport (the vertex shaders take no matrices).
  static void quad() { glRectf(-1, -1, 0, 1); }
  static std::array<int, 3> pixel(int x, int y) {
    unsigned char p[3] = {};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
  }
  static void expectNear(std::array<int, 3> got, std::array<int, 3> want) {
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], want[c], 2) << "channel " << c;
  }
  static bool logHas(const std::string& text) { return readFile("data/log.txt").find(text) != std::string::npos; }

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

  shader.begin();
  quad();
  shader.end();
  expectNear(pixel(SIZE / 4, SIZE / 2), {255, 128, 64});
  expectNear(pixel(3 * SIZE / 4, SIZE / 2), {0, 0, 0});
}

TEST_F(ShaderGl, CompileErrorGoesToTheConsoleLog) {
  OpenShader shader;
  shader.setSrc(nullptr, "void main() { this is not a shader; }\n");
  EXPECT_NE(shader.ps, 0u);
  EXPECT_NE(shader.sp, 0u);
  GLint compiled = GL_TRUE;
  glGetShaderiv(shader.ps, GL_COMPILE_STATUS, &compiled);
  EXPECT_EQ(compiled, GL_FALSE);
  EXPECT_TRUE(logHas("error")) << readFile("data/log.txt");
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
  shader.begin();
  quad();
  shader.end();
  expectNear(pixel(SIZE / 4, SIZE / 2), {0, 255, 0});

  shader.load("empty.vert", "colour.frag");
  ASSERT_NE(shader.vs, 0u);
  GLint length = -1;
  glGetShaderiv(shader.vs, GL_SHADER_SOURCE_LENGTH, &length);
  EXPECT_LE(length, 1);  // nothing, or the terminator alone
}

TEST_F(ShaderGl, DestructorReleasesTheProgramAndItsShaders) {
  GLuint sp, vs, ps;
  {
    OpenShader shader;
    shader.setSrc(VERTEX, COLOUR);
    sp = shader.sp;
    vs = shader.vs;
    ps = shader.ps;
    ASSERT_TRUE(glIsProgram(sp) && glIsShader(vs) && glIsShader(ps));
    shader.setSrc(VERTEX, COLOUR);  // a second program replaces the first
    EXPECT_FALSE(glIsProgram(sp) || glIsShader(vs) || glIsShader(ps));
    sp = shader.sp;
    vs = shader.vs;
    ps = shader.ps;
  }
  EXPECT_FALSE(glIsProgram(sp));
  EXPECT_FALSE(glIsShader(vs));
  EXPECT_FALSE(glIsShader(ps));
}

// One line per version up to the one the context reports, none beyond.
TEST_F(ShaderGl, TestOpenglLogsTheVersionsTheContextOffers) {
  int major = 0, minor = 0;
  std::sscanf(reinterpret_cast<const char*>(glGetString(GL_VERSION)), "%d.%d", &major, &minor);
  Shader::testOpengl();
  for (const char* v : {"1.2", "1.3", "1.4", "1.5", "2.0", "2.1", "3.0"}) {
    const bool offered = (v[0] - '0') * 10 + (v[2] - '0') <= major * 10 + minor;
    EXPECT_EQ(logHas(std::string("Opengl ") + v + " ok"), offered) << v << " against " << major << "." << minor;
  }
}

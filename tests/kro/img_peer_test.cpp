// BMP and TGA files exchanged with ImageMagick's convert, pixel for pixel; and the Windows build's
// picture reader against the image library, texture for texture.
#include <kro/img.h>
#include <kro/textureMenager.h>

#include <platform/display.h>
#include <platform/picture.h>
#include <platform/window.h>
#include <support/peer.h>
#include <support/tempdir.h>

#ifndef _WIN32
#include <GL/gl.h>
#define ILUT_USE_OPENGL
#include <IL/il.h>
#include <IL/ilut.h>
#endif
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr int W = 7, H = 5;  // rows of 21 bytes: BMP padding on every row

// The picture as convert dumps it, 3 or 4 bytes a pixel. Our row 0 is a BMP's bottom row and a TGA's
// first stored row: convert stores a TGA's top row first (origin flagged bottom left), reads in stored order.
std::string dump(const Img& img, int channels) {
  std::string s;
  for (int row = 0; row < H; ++row)
    for (int x = 0; x < W; ++x)
      for (int c = 0; c < channels; ++c)
        s += char(img.getData()[((channels == 3 ? H - 1 - row : row) * W + x) * 4 + c]);
  return s;
}

void convert(const std::string& arguments, const std::string& read, const std::string& written) {
  ASSERT_EQ(peer("convert " + arguments, {read}, {written}), 0) << "convert " << arguments;
}

using ImgPeer = TempDirTest;

}  // namespace

TEST_F(ImgPeer, FilesGoBothWaysWithConvert) {
  ASSERT_EQ(peer("command -v convert >/dev/null 2>&1"), 0)
      << "ImageMagick's convert is not installed (Debian package imagemagick)";
  // convert's default BMP has the 124-byte info header, BMP3 the 40-byte one.
  for (std::string written : {"-type TrueColor a.bmp", "-type TrueColor BMP3:a.bmp", "a.tga"}) {
    SCOPED_TRACE(written);
    const bool tga = written == "a.tga";
    const int channels = tga ? 4 : 3;
    const std::string file = tga ? "a.tga" : "a.bmp", raw = tga ? " rgba:" : " rgb:";
    const std::string theirs = randomBytes(W * H * channels, channels);
    writeFile("in.raw", theirs);
    convert("-size 7x5 -depth 8" + raw + "in.raw " + written, "in.raw", file);
    Img img(1, 1);
    tga ? img.load2tga(file.c_str()) : img.load2bmp(file.c_str());
    ASSERT_EQ(img.getWidth() * 10 + img.getHeight(), unsigned(W * 10 + H));
    EXPECT_EQ(dump(img, channels), theirs);
    for (int k = 0; k < W * H && !tga; ++k) EXPECT_EQ(img.getData()[4 * k + 3], 255);  // BMP has no alpha
    if (written.find("BMP3") != std::string::npos) continue;                           // we write one kind of BMP

    const std::string ours = randomBytes(W * H * 4, channels + 10);
    std::copy(ours.begin(), ours.end(), img.getData());
    tga ? img.save2tga(file.c_str()) : img.save2bmp(file.c_str());
    convert(file + " -depth 8" + raw + "out.raw", file, "out.raw");
    EXPECT_EQ(readFile("out.raw"), dump(img, channels));
  }
}

#ifndef _WIN32  // the image library is the reference, and Windows has none
namespace {

// A texture as the game would draw it: its size, its internal format and its pixels as RGBA.
std::string texture(unsigned id) {
  if (id == 0) return "none";
  GLint width = 0, height = 0, format = 0;
  glBindTexture(GL_TEXTURE_2D, id);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
  std::string pixels(std::size_t(width) * height * 4, '\0');
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  glDeleteTextures(1, &id);
  return std::to_string(width) + "x" + std::to_string(height) + " format " + std::to_string(format) + " " + pixels;
}

}  // namespace

// Every shipped picture, under either origin setting, and files that are no picture.
TEST_F(ImgPeer, TheWindowsPictureReaderMakesTheImageLibrarysTextures) {
  if (!platform::hasDisplay()) GTEST_SKIP() << "needs an X display (tools/test.sh starts one)";
  std::string error;
  ASSERT_TRUE(platform::openWindow(64, 64, false, "picture test", error)) << error;
  TextureMenager::initImageLibrary();
  writeFile("text.png", "not a picture at all");
  writeFile("half.png", readFile(std::string(GIFTGUARD_SOURCE_DIR) + "/data/gift.png").substr(0, 8));
  std::vector<std::string> files = {"missing.png", "text.png", "half.png"};
  for (const auto& entry : std::filesystem::directory_iterator(std::string(GIFTGUARD_SOURCE_DIR) + "/data"))
    if (entry.path().extension() == ".png" || entry.path().extension() == ".jpg") files.push_back(entry.path());
  ASSERT_GT(files.size(), 20u);
  for (const ILenum origin : {IL_ORIGIN_LOWER_LEFT, IL_ORIGIN_UPPER_LEFT}) {  // the game's, and the other
    ilOriginFunc(origin);
    for (std::string& name : files) {
      const std::string theirs = texture(ilutGLLoadImage(name.data()));
      EXPECT_TRUE(texture(platform::loadPictureTexture(name.c_str())) == theirs)
          << name << " with origin " << origin << ": " << theirs.substr(0, 30);
    }
  }
  platform::closeWindow();
}
#endif

// BMP and TGA files exchanged with ImageMagick's convert, pixel for pixel.
// Our row y = 0 is a BMP's bottom row and a TGA's first stored row, its top
// row by the origin flag our writer sets.
#include <kro/img.h>

#include <support/tempdir.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

namespace {

constexpr int W = 7, H = 5;  // rows of 21 bytes: BMP padding on every row

std::string randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(rng());
  return s;
}

unsigned char at(const std::string& raw, int channels, int x, int row, int c) {
  return static_cast<unsigned char>(raw[(std::size_t(row) * W + x) * channels + c]);
}

class ImgPeer : public TempDirTest {
protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ASSERT_EQ(std::system("command -v convert >/dev/null 2>&1"), 0)
        << "ImageMagick's convert is not installed (Debian package imagemagick)";
  }
  static void convert(const std::string& arguments) {
    ASSERT_EQ(std::system(("convert " + arguments).c_str()), 0) << "convert " << arguments;
  }
  static Img randomImg(unsigned seed, bool opaque) {
    Img img(W, H);
    const std::string raw = randomBytes(W * H * 4, seed);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        for (int c = 0; c < 4; ++c) img.getData()[(y * W + x) * 4 + c] = opaque && c == 3 ? 255 : at(raw, 4, x, y, c);
    return img;
  }
};

}  // namespace

TEST_F(ImgPeer, ConvertReadsOurBmp) {
  const Img img = randomImg(1, true);
  img.save2bmp("ours.bmp");
  convert("ours.bmp -depth 8 rgb:ours.rgb");
  const std::string raw = readFile("ours.rgb");
  ASSERT_EQ(raw.size(), std::size_t(W * H * 3));
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      for (int c = 0; c < 3; ++c) EXPECT_EQ(at(raw, 3, x, H - 1 - y, c), img.getData()[(y * W + x) * 4 + c]);
}

TEST_F(ImgPeer, ConvertReadsOurTga) {
  const Img img = randomImg(2, false);
  img.save2tga("ours.tga");
  convert("ours.tga -depth 8 rgba:ours.rgba");
  const std::string raw = readFile("ours.rgba");
  ASSERT_EQ(raw.size(), std::size_t(W * H * 4));
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      for (int c = 0; c < 4; ++c) EXPECT_EQ(at(raw, 4, x, y, c), img.getData()[(y * W + x) * 4 + c]);
}

TEST_F(ImgPeer, WeReadBmpFromConvert) {
  const std::string raw = randomBytes(W * H * 3, 3);
  writeFile("in.rgb", raw);
  // The default output has the 124-byte info header, BMP3 the 40-byte one.
  for (const char* target : {"theirs.bmp", "BMP3:theirs3.bmp"}) {
    convert("-size 7x5 -depth 8 rgb:in.rgb -type TrueColor " + std::string(target));
    Img img(1, 1);
    const std::string name(target);
    img.load2bmp(name.substr(name.find(':') + 1).c_str());
    ASSERT_EQ(img.getWidth(), unsigned(W));
    ASSERT_EQ(img.getHeight(), unsigned(H));
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        for (int c = 0; c < 3; ++c) EXPECT_EQ(img.getData()[(y * W + x) * 4 + c], at(raw, 3, x, H - 1 - y, c)) << target;
        EXPECT_EQ(img.getA(x, y), 255);
      }
  }
}

TEST_F(ImgPeer, WeReadTgaFromConvert) {
  const std::string raw = randomBytes(W * H * 4, 4);
  writeFile("in.rgba", raw);
  // convert stores its top row first (flagging the origin bottom left) and
  // reads rows back in stored order: so do we.
  convert("-size 7x5 -depth 8 rgba:in.rgba theirs.tga");
  Img img(1, 1);
  img.load2tga("theirs.tga");
  ASSERT_EQ(img.getWidth(), unsigned(W));
  ASSERT_EQ(img.getHeight(), unsigned(H));
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      for (int c = 0; c < 4; ++c) EXPECT_EQ(img.getData()[(y * W + x) * 4 + c], at(raw, 4, x, y, c));
}

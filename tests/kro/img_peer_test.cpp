// BMP and TGA files exchanged with ImageMagick's convert, pixel for pixel.
// Our row y = 0 is a BMP's bottom row and a TGA's first stored row.
#include <kro/img.h>

#include <support/tempdir.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>

namespace {

constexpr int W = 7, H = 5;  // rows of 21 bytes: BMP padding on every row

struct Format {
  const char* file;
  const char* written;  // convert's output argument for this file
  int channels;         // 3 for BMP (convert's rgb:), 4 for TGA (rgba:)
};
// convert's default BMP has the 124-byte info header, BMP3 the 40-byte one.
// convert stores a TGA's top row first (flagging the origin bottom left) and
// reads rows back in stored order: so do we.
const Format formats[] = {{"a.bmp", "-type TrueColor a.bmp", 3},
                          {"b.bmp", "-type TrueColor BMP3:b.bmp", 3},
                          {"c.tga", "c.tga", 4}};

std::string randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(rng());
  return s;
}

// Byte c of our pixel (x, y) in convert's raw dump of the file.
unsigned char rawAt(const std::string& raw, const Format& f, int x, int y, int c) {
  const int row = f.channels == 3 ? H - 1 - y : y;
  return static_cast<unsigned char>(raw[(std::size_t(row) * W + x) * f.channels + c]);
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
};

}  // namespace

TEST_F(ImgPeer, ConvertReadsOurFiles) {
  for (const Format& f : {formats[0], formats[2]}) {
    const std::string raw = randomBytes(W * H * 4, f.channels);
    Img img(W, H);
    std::copy(raw.begin(), raw.end(), img.getData());
    if (f.channels == 3)
      img.save2bmp(f.file);
    else
      img.save2tga(f.file);
    convert(std::string(f.file) + " -depth 8 " + (f.channels == 3 ? "rgb:" : "rgba:") + "out.raw");
    const std::string out = readFile("out.raw");
    ASSERT_EQ(out.size(), std::size_t(W * H * f.channels)) << f.file;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        for (int c = 0; c < f.channels; ++c)
          EXPECT_EQ(rawAt(out, f, x, y, c), img.getData()[(y * W + x) * 4 + c]) << f.file;
  }
}

TEST_F(ImgPeer, WeReadFilesFromConvert) {
  for (const Format& f : formats) {
    const std::string raw = randomBytes(W * H * f.channels, f.channels);
    writeFile("in.raw", raw);
    convert(std::string("-size 7x5 -depth 8 ") + (f.channels == 3 ? "rgb:" : "rgba:") + "in.raw " + f.written);
    Img img(1, 1);
    if (f.channels == 3)
      img.load2bmp(f.file);
    else
      img.load2tga(f.file);
    ASSERT_EQ(img.getWidth(), unsigned(W)) << f.file;
    ASSERT_EQ(img.getHeight(), unsigned(H)) << f.file;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        for (int c = 0; c < 4; ++c)
          EXPECT_EQ(img.getData()[(y * W + x) * 4 + c], c < f.channels ? rawAt(raw, f, x, y, c) : 255) << f.file;
  }
}

#include <kro/img.h>

#include <support/tempdir.h>

#include "../../bench/img_literal.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Pixels from a small palette, so that fills find areas of equal colour.
Img randomImg(unsigned w, unsigned h, unsigned seed, unsigned colours = 0) {
  Img img(w, h);
  std::mt19937 rng(seed);
  for (unsigned y = 0; y < h; ++y)
    for (unsigned x = 0; x < w; ++x) img.get(int(x), int(y)) = colours ? 0xFF000000u + rng() % colours : rng();
  return img;
}

std::vector<unsigned char> bytes(const Img& img) {
  return {img.getData(), img.getData() + std::size_t(img.getWidth()) * img.getHeight() * 4};
}

}  // namespace

TEST(Img, PixelsWrapAndStoreColoursAsRGBA) {
  Img img(4, 3);
  EXPECT_EQ(img.add_method, 3);
  EXPECT_EQ(bytes(img), std::vector<unsigned char>(48, 0));
  img.get(3, 0) = 0x44332211;
  EXPECT_EQ(&img.get(-1, 0), &img.get(3, 0));
  EXPECT_EQ(&img.get(4, 3), &img.get(0, 0));
  EXPECT_EQ(&img.get(INT_MIN, INT_MAX), &img.get(INT_MIN % 4 + 4, INT_MAX % 3));
  EXPECT_EQ(img.getR(3, 0), 0x11);
  EXPECT_EQ(img.getA(-1, 3), 0x44);
  EXPECT_EQ(img.getData()[12], 0x11);
  EXPECT_EQ(img.getData()[15], 0x44);
  EXPECT_EQ(&img.getf(0.75f, 1.0f), &img.get(3, 0));
  EXPECT_EQ(&img.getf(-0.3f, 0.5f), &img.get(-1, 1));  // trunc(-1.2) = -1
  EXPECT_EQ(&img.getAf(1e30f, 0), &img.getA(INT_MAX, 0));

  Img empty(0, 3);
  EXPECT_EQ(thrownMessage([&] { empty.get(0, 0); }), "Img: picture has no pixels");
  EXPECT_EQ(thrownMessage([&] { empty.lineto(0, 0, 1, 1, 0); }), "Img: picture has no pixels");
  EXPECT_EQ(thrownMessage([&] { empty.callf(0, 0); }), "Img: picture has no pixels");
  empty.move(1, 1);
  empty.smoth();
  EXPECT_EQ(thrownMessage([] { Img huge(0x80000000u, 1); }), "Img: picture too large");
}

TEST(Img, CopyPrintsAndOwnsItsPixels) {
  Img img = randomImg(3, 2, 1);
  testing::internal::CaptureStdout();
  Img copy(img);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "debug Img::Img(Img) copy data\n");
  EXPECT_EQ(bytes(copy), bytes(img));
  copy.get(0, 0) ^= 1;
  EXPECT_NE(copy.get(0, 0), img.get(0, 0));
}

TEST(Img, BlendingModes) {
  Img img(2, 1);
  img.add(0, 0, 0x80FF0000);  // mode 3: k = 1 - 128/255 in floats
  EXPECT_EQ(img.get(0, 0), 0x80800000u);
  img.add(0, 0, 0x80FF0000);
  EXPECT_EQ(img.getA(0, 0), 255);
  img.add_method = 4;
  for (unsigned a : {0u, 1u, 128u, 254u, 255u}) {
    img.add(1, 0, a << 24 | 0x123456);
    EXPECT_EQ(img.get(1, 0), a << 24 | 0x123456) << a;
  }
  img.add_method = 2;  // keeps the old alpha and weighs the old colour by it
  img.get(0, 0) = 0x800000C8;
  img.add(0, 0, 0xFF000000);
  EXPECT_EQ(img.get(0, 0), 0x80000064u);
  img.add_method = 1;  // equal alphas weigh alike; the alpha formula always gives 0 or 255·0
  img.get(0, 0) = 0xFF0000C8;
  img.add(0, 0, 0xFF000064);
  EXPECT_EQ(img.get(0, 0), 0x00000096u);
  img.add(0, 0, 0x000000C8);  // two transparent colours: no 0/0, an even mix
  EXPECT_EQ(img.get(0, 0), 0x000000AFu);
  img.add_method = 5;
  EXPECT_EQ(thrownMessage([&] { img.add(0, 0, 0); }), "Img::add() unknow add_methond");
  EXPECT_EQ(img.get(0, 0), 0x000000AFu);
}

TEST(Img, CallfSamplesBilinearlyWithinTheCell) {
  Img img(2, 2);
  img.get(0, 0) = 0x00000000;
  img.get(1, 0) = 0x000000C8;
  img.get(0, 1) = 0xFF000064;
  img.get(1, 1) = 0xFF0000FF;
  EXPECT_EQ(img.callf(0, 0), 0x00000000u);
  EXPECT_EQ(img.callf(0.5f, 0.5f), 0xFF0000FFu);          // last column of the last row
  EXPECT_EQ(img.callf(0.25f, 0.5f), 0xFF0000B1u);   // last row: across only
  EXPECT_EQ(img.callf(0.5f, 0.25f), 0x7F0000E3u);   // last column: down only
  EXPECT_EQ(img.callf(0.25f, 0.25f), 0x7F00008Au);  // (0 + 200 + 100 + 255) / 4
  // Left of the origin the cell is the one the wrapped position lies in: no
  // weight outside 0..1 can push a channel into its neighbour.
  EXPECT_EQ(img.callf(-0.75f, -0.75f), img.callf(0.25f, 0.25f));
  EXPECT_EQ(img.callf(-0.25f, 0), img.callf(0.75f, 0));
  Img one(1, 1);
  one.get(0, 0) = 0x89ABCDEF;
  for (float f : {0.0f, 0.3f, 0.99f, -2.5f, 7.0f}) EXPECT_EQ(one.callf(f, 1 - f), 0x89ABCDEFu) << f;
}

TEST(Img, LinesBlendOncePerPassAndMatchTheShiftingAlgorithm) {
  Img img(10, 10);
  img.lineto(0, 2, 5, 2, 0x80FFFFFF);  // one pass: no second blend, no 0/0
  img.lineto(7, 9, 7, 6, 0x80FFFFFF);
  img.lineto(4, 4, 4, 4, 0x80FFFFFF);
  img.lineto(0, 0, 1, 1, 0x80FFFFFF);  // both passes hit each pixel
  img.lineto(8, 0, 11, 0, 0x80FFFFFF);  // wraps to x = 0 and 1
  std::string alphas;
  for (int y : {0, 1, 2, 6, 9})
    for (int x = 0; x < 10; ++x) alphas += "0123456789ABCDEF"[img.getA(x, y) / 16];
  EXPECT_EQ(alphas, "F800000088" "0F00000000" "8888880000" "0000000800" "0000000800");
  EXPECT_EQ(img.getA(4, 4), 128);

  std::mt19937 rng(5);
  for (auto size : {std::pair<unsigned, unsigned>{7, 5}, {1, 9}, {16, 16}}) {
    Img ours = randomImg(size.first, size.second, 2), theirs(ours);
    for (int k = 0; k < 40; ++k) {
      int c[4];
      for (int& v : c) v = int(rng() % 41) - 20;
      const std::uint32_t colour = rng();
      ours.lineto(c[0], c[1], c[2], c[3], colour);
      literal::lineto(theirs, c[0], c[1], c[2], c[3], colour);
    }
    EXPECT_EQ(bytes(ours), bytes(theirs)) << size.first << "x" << size.second;
  }
  Img f(8, 8), l(8, 8);
  f.linetof(0.1f, 0.9f, 1.2f, 0.3f, 0xFF00FF00);
  l.lineto(0, 7, 9, 2, 0xFF00FF00);
  EXPECT_EQ(bytes(f), bytes(l));
}

TEST(Img, FillTakesTheWrappedFourConnectedArea) {
  for (unsigned seed = 0; seed < 6; ++seed) {
    Img ours = randomImg(13 + seed, 11 - seed, seed, 2), theirs(ours);
    ours.fill(int(seed), 3, 0xFF00FF00);
    literal::fill(theirs, int(seed), 3, 0xFF00FF00);
    EXPECT_EQ(bytes(ours), bytes(theirs)) << seed;
  }
  Img ring(6, 1);  // a wall at x = 2: the fill goes round the other way
  ring.get(2, 0) = 1;
  ring.fillf(0.0f, 0.0f, 7);
  EXPECT_EQ(ring.get(3, 0), 7u);
  EXPECT_EQ(ring.get(2, 0), 1u);
  ring.fill(0, 0, 7);  // already that colour
  EXPECT_EQ(ring.get(1, 0), 7u);
  // An area of four million pixels: the recursion depth would overflow the stack.
  Img large(2048, 2048);
  for (int y = 0; y < 2047; y += 2) large.lineto(y % 4 ? 1 : 0, y + 1, y % 4 ? 2047 : 2046, y + 1, 0xFF000000);
  large.fill(0, 0, 0xFFFFFFFF);
  EXPECT_EQ(large.get(2047, 2046), 0xFFFFFFFFu);
  EXPECT_EQ(large.get(0, 1), 0xFF000000u);
  EXPECT_EQ(large.get(2047, 1), 0xFFFFFFFFu);
}

TEST(Img, CirclesAndPlacedPictures) {
  Img img(8, 8);
  img.putcir(0, 0, 2, 0xFFFFFFFF);  // strictly inside, not wrapped
  EXPECT_EQ(img.get(1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(img.get(2, 0), 0u);
  EXPECT_EQ(img.get(7, 7), 0u);
  img.putcirf(0.5f, 0.5f, 0.1f, 0xFF0000FF);  // radius 0.8: only the centre
  EXPECT_EQ(img.get(4, 4), 0xFF0000FFu);
  EXPECT_EQ(img.get(4, 5), 0u);

  Img spot(2, 1);
  spot.get(0, 0) = 0xFF000011;
  spot.get(1, 0) = 0xFF000022;
  img.putimg(spot, 7, 6);
  EXPECT_EQ(img.get(7, 6), 0xFF000011u);
  EXPECT_EQ(img.get(0, 6), 0xFF000022u);
  img.putimgf(spot, 0.25f, -0.125f);
  EXPECT_EQ(img.get(3, 7), 0xFF000022u);

  Img src = randomImg(4, 4, 9), dst(8, 8);
  dst.add_method = 4;
  testing::internal::CaptureStdout();
  dst.putimg2f(src, 0.5f, 0.5f, 0.5f, 0, 0, 0.5f);  // the lower right quarter, pixel for pixel
  dst.putimg2f(src, 0, 0, 1, 2, 0.5f, 1);           // flat: nothing, and no division by zero
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "debug putimg2f( img, 0.500000, 0.500000,   0.500000, 0.000000,   0.000000, 0.500000 );\n"
            "debug putimg2f( img, 0.000000, 0.000000,   1.000000, 2.000000,   0.500000, 1.000000 );\n");
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(dst.get(x, y), x < 4 || y < 4 ? 0u : src.get(x - 4, y - 4));
}

TEST(Img, MoveMaskGreyAndResize) {
  Img ours = randomImg(5, 3, 4), theirs(ours);
  for (auto m : {std::pair<int, int>{2, 1}, {-7, 5}, {-1000003, 1000001}, {0, -1}}) {
    ours.move(m.first, m.second);
    literal::move(theirs, m.first, m.second);
    EXPECT_EQ(bytes(ours), bytes(theirs));
  }
  ours.movef(0.4f, -0.34f);
  literal::move(theirs, 2, -1);
  EXPECT_EQ(bytes(ours), bytes(theirs));

  const float weights[][9] = {{0.1f, 0.1f, 0.1f, 0.1f, 0.2f, 0.1f, 0.1f, 0.1f, 0.1f},
                              {-1, 3, 0.5f, 2, -0.25f, 1, 0, 7, -2},
                              {1, 0, -1, 0, 0, 0, -1, 0, 1}};  // weight sum 0 inside
  for (const float* k : weights) {
    Img a = randomImg(9, 7, 3), b(a);
    a.mask(k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8]);
    literal::mask(b, k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8]);
    EXPECT_EQ(bytes(a), bytes(b));
  }
  Img row(3, 1);
  row.get(1, 0) = 0x5A5A5A5A;
  row.mask(1, 1, 1, 1, 1, 1, 1, 1, 1);  // the ends have one neighbour inside
  EXPECT_EQ(row.get(0, 0), 0x2D2D2D2Du);
  Img still = randomImg(4, 4, 8), before(still);
  still.mask(0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(bytes(still), bytes(before));
  still.mask(NAN, 1, 1, 1, 1, 1, 1, 1, 1);
  EXPECT_EQ(still.get(3, 3), 0u);

  Img grey(1, 1);
  grey.get(0, 0) = 0x04030201;
  grey.makeGreay();
  EXPECT_EQ(grey.get(0, 0), 0x02020202u);
  Img sized = randomImg(3, 2, 6), old(sized);
  sized.resize(4, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(sized.get(x, y), x < 3 && y < 2 ? old.get(x, y) : 0u);
  sized.resize(2, 1);
  EXPECT_EQ(sized.getWidth(), 2u);
  EXPECT_EQ(sized.get(1, 0), old.get(1, 0));
}

TEST(Img, PerlinNoiseFillsEveryPixelOfEveryOctave) {
  for (auto size : {std::pair<unsigned, unsigned>{32, 16}, {19, 7}, {3, 5}}) {
    Img ours(size.first, size.second), theirs(ours);
    std::srand(11);
    ours.perlinNoise(3, 1);  // grids up to 16 cells: wider than two of these pictures
    std::srand(11);
    literal::perlinNoise(theirs, 3, 1);
    EXPECT_EQ(bytes(ours), bytes(theirs));
    for (unsigned k = 0; k < size.first * size.second; ++k) {
      const unsigned char* p = ours.getData() + 4 * k;
      EXPECT_TRUE(p[0] == p[1] && p[1] == p[2] && p[3] == 255);
    }
  }
  // The one pixel is the whole last cell of every grid: its value is the last drawn.
  Img one(1, 1);
  std::srand(4);
  int expected = 0;
  for (int o = 1; o <= 3; ++o) {
    int last = 0;
    for (int k = 0; k < (1 << (o + 1)) * (1 << (o + 1)); ++k) last = std::rand() % 255;
    expected += last >> o;
  }
  std::srand(4);
  one.perlinNoise(3, 1);
  EXPECT_EQ(one.get(0, 0), 0xFF000000u | 0x010101u * unsigned(expected % 256));
  EXPECT_EQ(thrownMessage([&] { one.perlinNoise(-1, 2); }), "Img::perlinNoise() grid size out of range");
  EXPECT_EQ(thrownMessage([&] { one.perlinNoise(10, 3); }), "Img::perlinNoise() grid size out of range");
}

TEST(Img, SierpinskiTriangleLeavesItsHoles) {
  Img img(64, 64);
  std::srand(1);
  img.sierpinskiTriangle();
  EXPECT_EQ(img.getA(32, 16), 0);  // inside the middle triangle
  EXPECT_EQ(img.getA(8, 60), 0);   // left of the slope
  EXPECT_GT(img.getA(1, 1), 0);
  EXPECT_GT(img.getR(1, 1), 200);
  EXPECT_EQ(img.getG(1, 1), 0);
  EXPECT_EQ(thrownMessage([&] { img.ifs(0, nullptr, 0, 1); }), "Img::ifs() needs at least one map");
}

TEST(Img, CristalGrowsWhereWalkersTouchTheCrystal) {
  auto seeded = [] {
    Img img(32, 24);
    for (int x = 0; x < 32; ++x) {
      img.getA(x, 12) = 255;  // crystal
      img.getA(x, 8) = 1;     // start points
    }
    img.getA(5, 11) = 2;  // a barrier: nothing sticks beside it
    return img;
  };
  Img ours = seeded(), theirs = seeded();
  std::srand(3);
  testing::internal::CaptureStdout();
  EXPECT_TRUE(ours.cristal(40, 500, 0xFF0000FF));
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.back(), '\n');
  std::srand(3);
  EXPECT_TRUE(literal::cristal(theirs, 40, 500, 0xFF0000FF));
  EXPECT_EQ(bytes(ours), bytes(theirs));
  int put = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 32; ++x)
      if (ours.get(x, y) == 0xFF0000FF) {
        ++put;
        EXPECT_TRUE(ours.getA(x + 1, y) == 255 || ours.getA(x, y + 1) == 255 || ours.getA(x - 1, y) == 255 ||
                    ours.getA(x, y - 1) == 255);
        EXPECT_FALSE(((x == 4 || x == 6) && y == 11) || (x == 5 && y == 10));
      }
  EXPECT_EQ(put, 40);

  // Start points but no crystal: every walker runs out of steps; progress every 128 rounds.
  Img lonely(8, 8);
  lonely.getA(3, 3) = 1;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(lonely.cristal(1, 300, 0xFF0000FF));
  EXPECT_NE(testing::internal::GetCapturedStdout().find("cristal\t0\t"), std::string::npos);
  Img none(4, 4);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(none.cristal(1, 5, 0xFF0000FF));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n");
}

TEST(Img, TextureGeneratorsStayInsideThePicture) {
  Img kd(10, 6);
  kd.getA(4, 4) = 77;
  kd.texgenkd();
  EXPECT_EQ(kd.get(0, 0), 0x00FFFFFFu);
  EXPECT_EQ(kd.getA(4, 4), 77);
  EXPECT_LT(kd.getR(5, 3), 20);
  for (int y = 1; y < 6; ++y)
    for (int x = 1; x < 10; ++x) {
      EXPECT_EQ(kd.getG(x, y), kd.getG(10 - x, y));
      EXPECT_EQ(kd.getB(x, y), kd.getB(x, 6 - y));
    }
  // Sizes that are no multiple of the tile: the last tile row reaches past the bottom.
  for (auto size : {std::pair<unsigned, unsigned>{37, 29}, {4, 8}, {10, 17}, {64, 64}}) {
    void (Img::*ours[])() = {&Img::texgencastw1, &Img::texgencastf, &Img::texgenroad1};
    void (*theirs[])(Img&) = {literal::texgencastw1, literal::texgencastf, literal::texgenroad1};
    for (int k = 0; k < 3; ++k) {
      Img a(size.first, size.second), b(a);
      (a.*ours[k])();
      theirs[k](b);
      EXPECT_EQ(bytes(a), bytes(b)) << k << " " << size.first << "x" << size.second;
    }
  }
  Img small(3, 8);
  EXPECT_EQ(thrownMessage([&] { small.texgencastw1(); }), "Img::texgencastw1() needs a picture of at least 4 x 8 pixels");
  Img thin(5, 1);
  EXPECT_EQ(thrownMessage([&] { thin.texgencastf(); }), "Img::texgencastf() needs a picture of at least 2 x 2 pixels");
  // A step of 0.1/w too small to move the float would walk forever.
  Img wide(4000000, 1);
  wide.texgenroad1();
  EXPECT_EQ(wide.getf(0.495f, 0), 0xF0F0F010u);
}

class ImgFiles : public TempDirTest {};

TEST_F(ImgFiles, BmpRoundTrip) {
  Img img = randomImg(3, 2, 12);
  img.save2bmp("data/a.bmp");
  const std::string file = readFile("data/a.bmp");
  ASSERT_EQ(file.size(), 54u + 2 * 12);
  const std::string head("BM\x4E\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\3\0\0\0\2\0\0\0\1\0\x18\0\0\0\0\0\0\0\0\0"
                         "\x12\x0B\0\0\x12\x0B\0\0\0\0\0\0\0\0\0\0",
                         54);
  EXPECT_EQ(file.substr(0, 54), head);
  const std::string firstPixel{char(img.getB(0, 0)), char(img.getG(0, 0)), char(img.getR(0, 0))};
  EXPECT_EQ(file.substr(54, 3), firstPixel);
  EXPECT_EQ(file.substr(63, 3), std::string(3, '\0'));
  Img back(1, 1);
  back.load2bmp("data/a.bmp");
  ASSERT_EQ(back.getWidth(), 3u);
  ASSERT_EQ(back.getHeight(), 2u);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(back.get(x, y), img.get(x, y) | 0xFF000000u);
  // A width above 16 bits keeps its true size in the header.
  Img wide(70000, 1);
  wide.get(69999, 0) = 0xFF010203;
  wide.save2bmp("wide.bmp");
  EXPECT_EQ(readFile("wide.bmp").substr(18, 4), std::string("\x70\x11\x01\0", 4));
}

TEST_F(ImgFiles, TgaRoundTrip) {
  Img img = randomImg(3, 2, 13);
  img.save2tga("data/a.tga");
  const std::string file = readFile("data/a.tga");
  ASSERT_EQ(file.size(), 18u + 24 + 26);
  EXPECT_EQ(file.substr(0, 18), std::string("\0\0\2\0\0\0\0\0\0\0\0\0\3\0\2\0\x20\x28", 18));
  EXPECT_EQ(file.substr(42), std::string(8, '\0') + "TRUEVISION-XFILE." + std::string(1, '\0'));
  Img back(1, 1);
  back.load2tga("data/a.tga");
  EXPECT_EQ(bytes(back), bytes(img));
  // An image id and an unused colour map come before the pixels; the rows stay
  // in stored order whatever the origin flag says.
  writeFile("id.tga", std::string("\2\1\2\0\0\1\0\x18\0\0\0\0\1\0\2\0\x20\x08", 18) + "id" + "map" + "\1\2\3\4" +
                          "\5\6\7\x08");
  back.load2tga("id.tga");
  EXPECT_EQ(back.get(0, 0), 0x04010203u);
  EXPECT_EQ(back.get(0, 1), 0x08050607u);
  Img wide(70000, 1);
  EXPECT_EQ(thrownMessage([&] { wide.save2tga("wide.tga"); }), "Img::save2tga picture too large for a TGA file");
}

TEST_F(ImgFiles, ReadersRejectWhatTheyCannotReadAndKeepThePicture) {
  Img ref = randomImg(5, 4, 14);
  ref.save2bmp("ok.bmp");
  ref.save2tga("ok.tga");
  const std::string bmp = readFile("ok.bmp"), tga = readFile("ok.tga");
  auto patched = [](std::string s, std::size_t at, std::string with) { return s.replace(at, with.size(), with); };
  const std::pair<std::string, const char*> bmps[] = {
      {"", "Img::load2bmp() file too short"},
      {bmp.substr(0, 53), "Img::load2bmp() file too short"},
      {bmp.substr(0, bmp.size() - 5), "Img::load2bmp() file too short"},
      {patched(bmp, 0, "PM"), "Img::load2bmp() not a BMP file"},
      {patched(bmp, 14, "\x0C"), "Img::load2bmp() unsupported BMP header"},
      {patched(bmp, 10, "\x20"), "Img::load2bmp() unsupported BMP header"},
      {patched(bmp, 28, "\x20"), "Img::load2bmp() only 24-bit BMP files can be read"},
      {patched(bmp, 30, "\x01"), "Img::load2bmp() compressed BMP files can not be read"},
      {patched(bmp, 18, std::string("\0\0\1\0", 4)), "Img::load2bmp() picture size out of range"},
      {patched(bmp, 22, "\xFF\xFF\xFF\x7F"), "Img::load2bmp() picture size out of range"},
      {patched(bmp, 10, "\xFF\xFF\xFF\xFF"), "Img::load2bmp() file too short"},
  };
  const std::pair<std::string, const char*> tgas[] = {
      {tga.substr(0, 17), "Img::load2tga file too short"},
      {tga.substr(0, 18 + 5 * 4 * 4 - 1), "Img::load2tga file too short"},
      {patched(tga, 2, "\x0A"), "Img::load2tga only uncompressed true-colour TGA files can be read"},
      {patched(tga, 1, "\x02"), "Img::load2tga only uncompressed true-colour TGA files can be read"},
      {patched(tga, 16, "\x18"), "Img::load2tga only 32-bit TGA files can be read"},
      {patched(tga, 12, "\x01\x40"), "Img::load2tga picture size out of range"},
      {patched(tga, 0, "\xFF"), "Img::load2tga file too short"},
  };
  Img img = randomImg(2, 2, 15), before(img);
  for (const auto& c : bmps) {
    writeFile("bad", c.first);
    EXPECT_EQ(thrownMessage([&] { img.load2bmp("bad"); }), c.second) << c.second;
  }
  for (const auto& c : tgas) {
    writeFile("bad", c.first);
    EXPECT_EQ(thrownMessage([&] { img.load2tga("bad"); }), c.second) << c.second;
  }
  EXPECT_EQ(bytes(img), bytes(before));
  // The last row's padding may be missing; top-down rows come in reversed.
  writeFile("bad", patched(bmp.substr(0, bmp.size() - 1), 22, "\xFC\xFF\xFF\xFF"));
  img.load2bmp("bad");
  EXPECT_EQ(img.get(0, 3) & 0xFFFFFF, ref.get(0, 0) & 0xFFFFFF);

  EXPECT_EQ(thrownMessage([&] { img.load2bmp("none.bmp"); }), "Img::load2bmp() can not open file");
  EXPECT_EQ(thrownMessage([&] { img.load2tga("none.tga"); }), "Img::load2tga can not open file");
  EXPECT_EQ(thrownMessage([&] { img.save2bmp("no/dir.bmp"); }), "Img::save2bmp can not open file");
  EXPECT_EQ(thrownMessage([&] { img.save2tga("no/dir.tga"); }), "Img::save2tga can not open file");
  // A full disk is a failure, not a silently short file.
  EXPECT_EQ(thrownMessage([&] { img.save2bmp("/dev/full"); }), "Img::save2bmp can not write file");
  EXPECT_EQ(thrownMessage([&] { img.save2tga("/dev/full"); }), "Img::save2tga can not write file");
}

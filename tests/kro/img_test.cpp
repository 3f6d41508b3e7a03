// Tests of Img's operations and files.
#include <kro/img.h>

#include <support/tempdir.h>

#include "../../bench/img_literal.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <new>
#include <random>
#include <string>
#include <utility>
#include <vector>

// While a test starves the program, allocations of failFrom bytes or more fail
// as if memory had run out; smaller ones, and all others, go through.
static std::size_t failFrom = SIZE_MAX;

// Out of line, so that GCC does not take a replaced pair inlined for a mismatch.
[[gnu::noinline]] void* operator new(std::size_t n) {
  void* p = n < failFrom ? std::malloc(n ? n : 1) : nullptr;
  if (!p) throw std::bad_alloc();
  return p;
}
[[gnu::noinline]] void* operator new[](std::size_t n) { return operator new(n); }
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// The message `body` threw while every allocation of `bytes` or more failed.
template <typename F> std::string starved(std::size_t bytes, F&& body) {
  struct Starve {
    explicit Starve(std::size_t bytes) { failFrom = bytes; }
    ~Starve() { failFrom = SIZE_MAX; }
  } starve(bytes);
  return thrownMessage(body);
}

// With `colours`, pixels come from a small palette so that fills find areas of equal colour.
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

using Size = std::pair<unsigned, unsigned>;

// Runs our operation and its straightforward version from the benchmark on
// copies of `img`, with rand() seeded alike: the bytes must agree.
template <typename Ours, typename Theirs>
void expectLikeLiteral(const Img& img, Ours ours, Theirs theirs, const std::string& what = "") {
  testing::internal::CaptureStdout();  // the copies' debug lines
  Img a(img), b(img);
  testing::internal::GetCapturedStdout();
  std::srand(11);
  ours(a);
  std::srand(11);
  theirs(b);
  EXPECT_EQ(bytes(a), bytes(b)) << what;
}

}  // namespace

TEST(Img, PixelsWrapAndStoreColoursAsRGBA) {
  Img img(4, 3);
  EXPECT_EQ(bytes(img), std::vector<unsigned char>(48, 0));
  img.get(3, 0) = 0x44332211;
  EXPECT_EQ(&img.get(INT_MIN, INT_MAX), &img.get(INT_MIN % 4 + 4, INT_MAX % 3));
  EXPECT_EQ(img.getData()[12], 0x11);
  EXPECT_EQ(img.getA(-1, 3), 0x44);
  EXPECT_EQ(&img.getf(-0.3f, 0.5f), &img.get(-1, 1));  // trunc(-1.2) = -1
  EXPECT_EQ(&img.getAf(1e30f, 0), &img.getA(INT_MAX, 0));

  Img empty(0, 3);
  EXPECT_EQ(thrownMessage([&] { empty.get(0, 0); }), "Img: picture has no pixels");
  EXPECT_EQ(thrownMessage([&] { empty.lineto(0, 0, 1, 1, 0); }), "Img: picture has no pixels");
  EXPECT_EQ(thrownMessage([&] { empty.callf(0, 0); }), "Img: picture has no pixels");
  empty.move(1, 1);
  empty.smoth();
  // One bound on the pixel count, 4096 × 4096, whatever the shape; the product
  // is taken in 64 bits, and an empty picture's side is bounded too.
  for (Size size : {Size{0x80000000u, 1}, {4096, 4097}, {65536, 65536}, {0x80000000u, 0}})
    EXPECT_EQ(thrownMessage([&] { Img huge(size.first, size.second); }), "Img: picture too large") << size.first;
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
  img.add(1, 0, 0x00123456);  // sets, even a transparent colour
  EXPECT_EQ(img.get(1, 0), 0x00123456u);
  img.add_method = 2;  // keeps the old alpha and weighs the old colour by it
  img.get(0, 0) = 0x800000C8;
  img.add(0, 0, 0xFF000000);
  EXPECT_EQ(img.get(0, 0), 0x80000064u);
  img.add_method = 1;  // equal alphas weigh alike; the alpha always comes out 0
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
  img.get(1, 0) = 0x000000C8;
  img.get(0, 1) = 0xFF000064;
  img.get(1, 1) = 0xFF0000FF;
  EXPECT_EQ(img.callf(0.5f, 0.5f), 0xFF0000FFu);    // last column of the last row
  EXPECT_EQ(img.callf(0.25f, 0.5f), 0xFF0000B1u);   // last row: across only
  EXPECT_EQ(img.callf(0.5f, 0.25f), 0x7F0000E3u);   // last column: down only
  EXPECT_EQ(img.callf(0.25f, 0.25f), 0x7F00008Au);  // (0 + 200 + 100 + 255) / 4
  // Left of the origin the cell is the one the wrapped position lies in, so no
  // weight outside 0..1 pushes a channel into its neighbour.
  EXPECT_EQ(img.callf(-0.75f, -0.75f), img.callf(0.25f, 0.25f));
  EXPECT_EQ(img.callf(-0.25f, 0), img.callf(0.75f, 0));
  Img one(1, 1);
  one.get(0, 0) = 0x89ABCDEF;
  for (float f : {0.0f, 0.3f, -2.5f, 7.0f}) EXPECT_EQ(one.callf(f, 1 - f), 0x89ABCDEFu) << f;
}

TEST(Img, LinesBlendOncePerPassAndMatchTheShiftingAlgorithm) {
  Img img(10, 3);
  img.lineto(0, 2, 5, 2, 0x80FFFFFF);  // one pass: no second blend, no 0/0
  img.lineto(7, 2, 7, 0, 0x80FFFFFF);
  img.lineto(4, 1, 4, 1, 0x80FFFFFF);   // a point: blended once
  img.lineto(0, 0, 1, 1, 0x80FFFFFF);   // both passes hit each pixel
  img.lineto(8, 0, 11, 0, 0x80FFFFFF);  // wraps to x = 0 and 1
  std::string alphas;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 10; ++x) alphas += "0123456789ABCDEF"[img.getA(x, y) / 16];
  EXPECT_EQ(alphas,
            "F800000888"
            "0F00800800"
            "8888880800");

  std::mt19937 rng(5);
  for (Size size : {Size{7, 5}, {1, 9}, {16, 16}}) {
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
  for (int seed = 0; seed < 6; ++seed)
    expectLikeLiteral(
        randomImg(13 + seed, 11 - seed, seed, 2), [&](Img& i) { i.fill(seed, 3, 0xFF00FF00); },
        [&](Img& i) { literal::fill(i, seed, 3, 0xFF00FF00); }, std::to_string(seed));
  Img ring(6, 1);  // a wall at x = 2: the fill goes round the other way
  ring.get(2, 0) = 1;
  ring.fillf(0.0f, 0.0f, 7);
  EXPECT_EQ(ring.get(3, 0), 7u);
  EXPECT_EQ(ring.get(2, 0), 1u);
  ring.fill(0, 0, 7);  // already that colour: must not loop
  // A snake of four million pixels: a recursive fill would overflow the stack.
  Img large(2048, 2048);
  for (int y = 0; y < 2047; y += 2) large.lineto(y % 4 ? 1 : 0, y + 1, y % 4 ? 2047 : 2046, y + 1, 0xFF000000);
  large.fill(0, 0, 0xFFFFFFFF);
  EXPECT_EQ(large.get(2047, 2046), 0xFFFFFFFFu);
  EXPECT_EQ(large.get(0, 1), 0xFF000000u);
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

  Img src = randomImg(4, 4, 9), dst(8, 8);
  dst.add_method = 4;
  dst.putimg(src, 7, 6);  // wraps
  EXPECT_EQ(dst.get(0, 7), src.get(1, 1));
  dst.clear(0);
  testing::internal::CaptureStdout();               // a debug line per call
  dst.putimg2f(src, 0.5f, 0.5f, 0.5f, 0, 0, 0.5f);  // the lower right quarter, pixel for pixel
  dst.putimg2f(src, 0, 0, 1, 2, 0.5f, 1);           // flat: nothing, and no division by zero
  testing::internal::GetCapturedStdout();
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(dst.get(x, y), x < 4 || y < 4 ? 0u : src.get(x - 4, y - 4));
}

TEST(Img, MoveMaskGreyAndResize) {
  for (int m : {2, -7, -1000003})
    expectLikeLiteral(
        randomImg(5, 3, 4), [&](Img& i) { i.move(m, 1 - m); }, [&](Img& i) { literal::move(i, m, 1 - m); });
  const float weights[][9] = {{-1, 3, 0.5f, 2, -0.25f, 1, 0, 7, -2},
                              {1, 0, -1, 0, 0, 0, -1, 0, 1}};  // weight sum 0 inside
  for (const float* k : weights)
    expectLikeLiteral(
        randomImg(9, 7, 3), [&](Img& i) { i.mask(k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8]); },
        [&](Img& i) { literal::mask(i, k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8]); });
  Img still = randomImg(4, 4, 8), before(still);
  still.mask(0, 0, 0, 0, 0, 0, 0, 0, 0);  // no weight: no change
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
  EXPECT_EQ(thrownMessage([&] { sized.resize(4096, 4097); }), "Img: picture too large");
  EXPECT_EQ(sized.getWidth(), 2u);
  EXPECT_EQ(sized.get(1, 0), old.get(1, 0));
}

TEST(Img, PerlinNoiseFillsEveryPixelOfEveryOctave) {
  // Grids up to 16 cells: wider than some of these pictures.
  for (Size size : {Size{32, 16}, {19, 7}, {3, 5}, {1, 1}}) {
    Img ours(size.first, size.second);
    expectLikeLiteral(
        ours, [](Img& i) { i.perlinNoise(3, 1); }, [](Img& i) { literal::perlinNoise(i, 3, 1); });
    ours.perlinNoise(3, 1);
    for (unsigned k = 0; k < size.first * size.second; ++k) {
      const unsigned char* p = ours.getData() + 4 * k;
      EXPECT_TRUE(p[0] == p[1] && p[1] == p[2] && p[3] == 255);
    }
  }
  EXPECT_EQ(thrownMessage([] { Img(1, 1).perlinNoise(-1, 2); }), "Img::perlinNoise() grid size out of range");
  EXPECT_EQ(thrownMessage([] { Img(1, 1).perlinNoise(10, 3); }), "Img::perlinNoise() grid size out of range");
}

TEST(Img, RunningOutOfMemoryIsAMessage) {
  // Each needs a buffer of 64 bytes or more: a copy's pixels, mask's copy, the
  // fill's seeds (a comb of 32 teeth), the noise grid, cristal's counts, the
  // road's rows.
  Img img(64, 64);
  for (int x = 1; x < 64; x += 2) img.get(x, 1) = 1;
  const std::function<void()> ops[] = {[&] { Img copy(img); },          [&] { img.smoth(); },
                                       [&] { img.fill(0, 0, 5); },      [&] { img.perlinNoise(3, 1); },
                                       [&] { img.cristal(1, 1, 255); }, [&] { img.texgenroad1(); }};
  for (const auto& op : ops) EXPECT_EQ(starved(64, op), "Img: out of memory") << &op - ops;
}

TEST(Img, SierpinskiTriangleLeavesItsHoles) {
  Img img(64, 64);
  std::srand(1);
  img.sierpinskiTriangle();
  EXPECT_EQ(img.getA(32, 16), 0);  // inside the middle triangle
  EXPECT_EQ(img.getA(8, 60), 0);   // left of the slope
  EXPECT_GT(img.getR(1, 1), 200);
  EXPECT_EQ(thrownMessage([&] { img.ifs(0, nullptr, 0, 1); }), "Img::ifs() needs at least one map");
}

TEST(Img, CristalGrowsWhereWalkersTouchTheCrystal) {
  Img ours(32, 24);
  for (int x = 0; x < 32; ++x) {
    ours.getA(x, 12) = 255;  // crystal
    ours.getA(x, 8) = 1;     // start points
  }
  ours.getA(5, 11) = 2;                // a barrier: nothing sticks beside it
  testing::internal::CaptureStdout();  // progress lines
  std::srand(3);
  EXPECT_TRUE(ours.cristal(40, 500, 0xFF0000FF));
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

  // No crystal: every walker runs out of steps. No start points: nothing to walk.
  Img lonely(8, 8);
  lonely.getA(3, 3) = 1;
  EXPECT_FALSE(lonely.cristal(1, 300, 0xFF0000FF));
  EXPECT_FALSE(Img(4, 4).cristal(1, 5, 0xFF0000FF));
  // Its scratch space is 4 bytes a pixel: it runs where 5 are not to be had.
  lonely.resize(64, 64);
  EXPECT_EQ(starved(5 * 64 * 64, [&] { lonely.cristal(1, 1, 0xFF0000FF); }), "");
  testing::internal::GetCapturedStdout();
}

TEST(Img, TextureGeneratorsStayInsideThePicture) {
  Img kd(10, 6);
  kd.getA(4, 4) = 77;
  kd.texgenkd();
  EXPECT_EQ(kd.get(0, 0), 0x00FFFFFFu);
  EXPECT_LT(kd.getR(5, 3), 20);
  EXPECT_EQ(kd.getA(4, 4), 77);
  for (int y = 1; y < 6; ++y)
    for (int x = 1; x < 10; ++x)
      EXPECT_TRUE(kd.getG(x, y) == kd.getG(10 - x, y) && kd.getB(x, y) == kd.getB(x, 6 - y)) << x << "," << y;
  // Sizes that are no multiple of the tile: the last tile row reaches past the bottom.
  void (Img::*ours[])() = {&Img::texgencastw1, &Img::texgencastf, &Img::texgenroad1};
  void (*theirs[])(Img&) = {literal::texgencastw1, literal::texgencastf, literal::texgenroad1};
  for (Size size : {Size{37, 29}, {4, 8}, {10, 17}, {64, 64}})
    for (int k = 0; k < 3; ++k)
      expectLikeLiteral(
          Img(size.first, size.second), [&](Img& i) { (i.*ours[k])(); }, theirs[k],
          std::to_string(k) + " " + std::to_string(size.first) + "x" + std::to_string(size.second));
  EXPECT_EQ(thrownMessage([] { Img(3, 8).texgencastw1(); }),
            "Img::texgencastw1() needs a picture of at least 4 x 8 pixels");
  EXPECT_EQ(thrownMessage([] { Img(5, 1).texgencastf(); }),
            "Img::texgencastf() needs a picture of at least 2 x 2 pixels");
  // A step of 0.1/w too small to move the float would walk forever.
  Img wide(4000000, 1);
  wide.texgenroad1();
  EXPECT_EQ(wide.getf(0.495f, 0), 0xF0F0F010u);
}

class ImgFiles : public TempDirTest {};

// Round trips keep every pixel (BMP drops the alpha). The file layouts are
// checked against convert in img_peer_test.
TEST_F(ImgFiles, RoundTrips) {
  Img img = randomImg(3, 2, 12);
  img.save2bmp("data/a.bmp");
  img.save2tga("data/a.tga");
  EXPECT_EQ(readFile("data/a.tga").size(), 18u + 24 + 26);
  Img bmp(1, 1), tga(1, 1);
  bmp.load2bmp("data/a.bmp");
  tga.load2tga("data/a.tga");
  EXPECT_EQ(bytes(tga), bytes(img));
  for (int k = 0; k < 6; ++k) img.getData()[4 * k + 3] = 255;
  EXPECT_EQ(bytes(bmp), bytes(img));

  // An image id and an unused colour map come before the pixels; the rows stay
  // in stored order whatever the origin flag says.
  writeFile("id.tga",
            std::string("\2\1\2\0\0\1\0\x18\0\0\0\0\1\0\2\0\x20\x08", 18) + "id" + "map" + "\1\2\3\4" + "\5\6\7\x08");
  tga.load2tga("id.tga");
  EXPECT_EQ(tga.get(0, 0), 0x04010203u);
  EXPECT_EQ(tga.get(0, 1), 0x08050607u);
  // A side of any length within the pixel bound reads back.
  Img line = randomImg(20000, 1, 13);
  line.save2bmp("line.bmp");
  line.save2tga("line.tga");
  tga.load2tga("line.tga");
  EXPECT_EQ(bytes(tga), bytes(line));
  bmp.load2bmp("line.bmp");
  EXPECT_EQ(bmp.getWidth(), 20000u);
  EXPECT_EQ(bmp.get(19999, 0), line.get(19999, 0) | 0xFF000000u);
  // Memory running out is a message: the picture is kept, no file is begun.
  const std::function<void()> io[] = {[&] { line.save2bmp("no.bmp"); }, [&] { line.save2tga("no.tga"); },
                                      [&] { bmp.load2bmp("line.bmp"); }, [&] { tga.load2tga("line.tga"); }};
  for (const auto& op : io) EXPECT_EQ(starved(64, op), "Img: out of memory") << &op - io;
  EXPECT_EQ(bytes(tga), bytes(line));
  EXPECT_FALSE(std::filesystem::exists("no.bmp") || std::filesystem::exists("no.tga"));
  // A width above 16 bits keeps its true size in a BMP header; a TGA can't hold it.
  Img wide(70000, 1);
  wide.save2bmp("wide.bmp");
  EXPECT_EQ(readFile("wide.bmp").substr(18, 4), std::string("\x70\x11\x01\0", 4));
  EXPECT_EQ(thrownMessage([&] { wide.save2tga("wide.tga"); }), "Img::save2tga picture too large for a TGA file");
}

TEST_F(ImgFiles, ReadersRejectWhatTheyCannotReadAndKeepThePicture) {
  Img ref = randomImg(5, 4, 14);
  ref.save2bmp("ok.bmp");
  ref.save2tga("ok.tga");
  const std::string bmp = readFile("ok.bmp"), tga = readFile("ok.tga");
  auto patched = [](std::string s, std::size_t at, std::string with) { return s.replace(at, with.size(), with); };
  const std::pair<std::string, const char*> bmps[] = {
      {bmp.substr(0, 53), "Img::load2bmp() file too short"},
      {bmp.substr(0, bmp.size() - 5), "Img::load2bmp() file too short"},
      {patched(bmp, 0, "PM"), "Img::load2bmp() not a BMP file"},
      {patched(bmp, 14, "\x0C"), "Img::load2bmp() unsupported BMP header"},
      {patched(bmp, 10, "\x20"), "Img::load2bmp() unsupported BMP header"},
      {patched(bmp, 28, "\x20"), "Img::load2bmp() only 24-bit BMP files can be read"},
      {patched(bmp, 30, "\x01"), "Img::load2bmp() compressed BMP files can not be read"},
      {patched(bmp, 18, std::string("\1\0\x40\0", 4)), "Img::load2bmp() picture size out of range"},
      {patched(bmp, 18, std::string("\0\0\x40\0", 4)), "Img::load2bmp() file too short"},  // at the bound
      {patched(patched(bmp, 18, std::string("\0\0\1\0", 4)), 22, std::string("\0\0\1\0", 4)),
       "Img::load2bmp() picture size out of range"},  // 2^32 pixels
      {patched(bmp, 22, "\xFF\xFF\xFF\x7F"), "Img::load2bmp() picture size out of range"},
      {patched(bmp, 10, "\xFF\xFF\xFF\xFF"), "Img::load2bmp() file too short"},
  };
  const std::pair<std::string, const char*> tgas[] = {
      {tga.substr(0, 17), "Img::load2tga file too short"},
      {tga.substr(0, 18 + 5 * 4 * 4 - 1), "Img::load2tga file too short"},
      {patched(tga, 2, "\x0A"), "Img::load2tga only uncompressed true-colour TGA files can be read"},
      {patched(tga, 1, "\x02"), "Img::load2tga only uncompressed true-colour TGA files can be read"},
      {patched(tga, 16, "\x18"), "Img::load2tga only 32-bit TGA files can be read"},
      {patched(tga, 12, "\xFF\xFF\xFF\xFF"), "Img::load2tga picture size out of range"},
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

// Tests of Img's operations and files.
#include <kro/img.h>

#include <support/tempdir.h>

#include "../../bench/img_literal.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <functional>
#include <new>
#include <random>

// While a test starves the program, allocations of failFrom bytes or more fail
// as if memory had run out. Out of line, so that GCC does not take a replaced
// pair inlined for a mismatch.
static std::size_t failFrom = SIZE_MAX;
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
  struct Restore {
    ~Restore() { failFrom = SIZE_MAX; }
  } restore;
  failFrom = bytes;
  return thrownMessage(body);
}

// With `colours`, pixels come from a small palette so that fills find areas of equal colour.
Img randomImg(unsigned w, unsigned h, unsigned seed, unsigned colours = 0) {
  Img img(w, h);
  std::mt19937 rng(seed);
  auto* pixels = reinterpret_cast<std::uint32_t*>(img.getData());
  for (std::size_t k = 0; k < std::size_t(w) * h; ++k) pixels[k] = colours ? 0xFF000000u + rng() % colours : rng();
  return img;
}

std::vector<unsigned char> bytes(const Img& img) {
  return {img.getData(), img.getData() + std::size_t(img.getWidth()) * img.getHeight() * 4};
}

using Size = std::pair<unsigned, unsigned>;

// One of our operations and its straightforward version (bench/img_literal.h),
// each run on its own copy of img with rand() seeded alike.
struct LikeLiteral {
  std::string name;
  Img img;
  std::function<void(Img&)> ours, theirs;
};
template <typename R, typename... P, typename... A>
LikeLiteral like(std::string name, const Img& img, R (Img::*ours)(P...), R (*theirs)(Img&, P...), A... args) {
  return {name, img, [=](Img& i) { (i.*ours)(args...); }, [=](Img& i) { theirs(i, args...); }};
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
  Img copy(img);
  copy.get(3, 0) = 0;  // the copy owns its pixels
  EXPECT_EQ(img.get(3, 0), 0x44332211u);
  // One bound on the pixel count, 4096 × 4096, whatever the shape, an empty picture's side too.
  for (Size size : {Size{0x80000000u, 1}, {4096, 4097}, {65536, 65536}, {0x80000000u, 0}})
    EXPECT_EQ(thrownMessage([&] { Img huge(size.first, size.second); }), "Img: picture too large") << size.first;
}

TEST(Img, BlendingModes) {
  const std::array<std::uint32_t, 4> rows[] = {
      // add_method, pixel, colour, result
      {3, 0, 0x80FF0000, 0x80800000},           // k = 1 - 128/255 in floats
      {3, 0x80800000, 0x80FF0000, 0xFFBF0000},  // the alphas add up to at most 255
      {4, 0xFFFFFFFF, 0x00123456, 0x00123456},  // sets, even a transparent colour
      {2, 0x800000C8, 0xFF000000, 0x80000064},  // keeps the old alpha and weighs the old colour by it
      {1, 0xFF0000C8, 0xFF000064, 0x00000096},  // equal alphas weigh alike; the alpha always comes out 0
      {1, 0x00000096, 0x000000C8, 0x000000AF},  // two transparent colours: no 0/0, an even mix
      {5, 0x000000AF, 0, 0x000000AF},           // refused, the pixel kept
  };
  for (const auto& row : rows) {
    Img img(1, 1);
    img.add_method = std::uint16_t(row[0]);
    img.get(0, 0) = row[1];
    EXPECT_EQ(thrownMessage([&] { img.add(0, 0, row[2]); }), row[0] == 5 ? "Img::add() unknow add_methond" : "");
    EXPECT_EQ(img.get(0, 0), row[3]) << row[0] << " " << std::hex << row[1];
  }
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
  EXPECT_EQ(one.callf(0.3f, -2.5f), 0x89ABCDEFu);
}

// Lines, fills, filters and generators give the bytes of their straightforward versions.
TEST(Img, OperationsMatchTheirLiteralVersions) {
  testing::internal::CaptureStdout();  // copies and cristal print debug lines
  std::vector<LikeLiteral> rows;
  // A line along one axis makes one pass, a point blends once, a diagonal twice; lines wrap.
  const int fixed[][4] = {{0, 2, 5, 2}, {7, 2, 7, 0}, {4, 1, 4, 1}, {0, 0, 1, 1}, {8, 0, 11, 0}};
  for (const int* c : fixed)
    rows.push_back(like("line", Img(10, 3), &Img::lineto, literal::lineto, c[0], c[1], c[2], c[3], 0x80FFFFFFu));
  std::mt19937 rng(5);
  for (Size size : {Size{7, 5}, {1, 9}, {16, 16}})
    for (int k = 0; k < 40; ++k) {
      int c[4];
      for (int& v : c) v = int(rng() % 41) - 20;
      const Img img = randomImg(size.first, size.second, k);
      rows.push_back(
          like("random line", img, &Img::lineto, literal::lineto, c[0], c[1], c[2], c[3], std::uint32_t(rng())));
    }
  rows.push_back({"linetof", Img(8, 8), [](Img& i) { i.linetof(0.1f, 0.9f, 1.2f, 0.3f, 0xFF00FF00); },
                  [](Img& i) { literal::lineto(i, 0, 7, 9, 2, 0xFF00FF00); }});
  for (int seed = 0; seed < 6; ++seed)
    rows.push_back(
        like("fill", randomImg(13 + seed, 11 - seed, seed, 2), &Img::fill, literal::fill, seed, 3, 0xFF00FF00u));
  rows.push_back(like("fill, whole rows round", Img(5, 3), &Img::fill, literal::fill, 1, 1, 7u));
  rows.push_back(
      like("fill, already that colour", randomImg(5, 5, 1, 1), &Img::fill, literal::fill, 1, 1, 0xFF000000u));
  rows.push_back({"fillf", randomImg(6, 4, 7, 2), [](Img& i) { i.fillf(0.5f, 0.5f, 7); },
                  [](Img& i) { literal::fill(i, 3, 2, 7); }});
  for (int m : {2, -7, -1000003}) rows.push_back(like("move", randomImg(5, 3, 4), &Img::move, literal::move, m, 1 - m));
  rows.push_back(
      {"movef", randomImg(5, 3, 4), [](Img& i) { i.movef(0.4f, -0.34f); }, [](Img& i) { literal::move(i, 2, -1); }});
  const float weights[][9] = {{-1, 3, 0.5f, 2, -0.25f, 1, 0, 7, -2},
                              {1, 0, -1, 0, 0, 0, -1, 0, 1},  // weight sum 0 inside
                              {0, 0, 0, 0, 0, 0, 0, 0, 0},
                              {NAN, 1, 1, 1, 1, 1, 1, 1, 1}};
  for (const float* k : weights)
    rows.push_back(like("mask", randomImg(9, 7, 3), &Img::mask, literal::mask, k[0], k[1], k[2], k[3], k[4], k[5], k[6],
                        k[7], k[8]));
  // Noise grids up to 16 cells: wider than some of these pictures.
  for (Size size : {Size{32, 16}, {19, 7}, {3, 5}, {1, 1}})
    rows.push_back(like("perlinNoise", Img(size.first, size.second), &Img::perlinNoise, literal::perlinNoise, 3, 1));
  // Generators on sizes that are no multiple of the tile: the last tile row reaches past the bottom.
  for (Size size : {Size{37, 29}, {4, 8}, {10, 17}, {64, 64}}) {
    const Img img(size.first, size.second);
    rows.push_back(like("texgenkd", randomImg(size.first, size.second, 8), &Img::texgenkd, literal::texgenkd));
    rows.push_back(like("texgencastw1", img, &Img::texgencastw1, literal::texgencastw1));
    rows.push_back(like("texgencastf", img, &Img::texgencastf, literal::texgencastf));
    rows.push_back(like("texgenroad1", img, &Img::texgenroad1, literal::texgenroad1));
  }
  // Walkers start at alpha 1, above and below, and stick beside alpha 255, never beside a barrier
  // of alpha 2; a put pixel of alpha 1 is one more start.
  Img crystal(32, 24);
  for (int x = 0; x < 32; ++x) crystal.getA(x, 11) = 255, crystal.getA(x, 8) = crystal.getA(x, 16) = 1;
  crystal.getA(5, 10) = 2;
  crystal.getA(0, 0) = 1;
  for (std::uint32_t colour : {0xFF0000FFu, 0x010000FFu})
    rows.push_back(like("cristal", crystal, &Img::cristal, literal::cristal, 40, 500, colour));
  std::vector<std::string> differ;
  for (const LikeLiteral& row : rows) {
    Img ours(row.img), theirs(row.img);
    std::srand(11);
    row.ours(ours);
    std::srand(11);
    row.theirs(theirs);
    if (bytes(ours) != bytes(theirs)) differ.push_back(row.name + ", row " + std::to_string(&row - rows.data()));
  }
  // Whether cristal put every pixel: not when no walker finds a crystal, or none starts.
  Img lonely(64, 64);
  lonely.getA(3, 3) = 1;
  const bool put[] = {Img(crystal).cristal(40, 500, 0xFF0000FF), lonely.cristal(1, 300, 1), Img(4, 4).cristal(1, 5, 1)};
  // Its scratch space is 4 bytes a pixel: it runs where 5 are not to be had.
  const std::string starvedCristal = starved(5 * 64 * 64, [&] { lonely.cristal(1, 1, 1); });
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(differ, std::vector<std::string>{});
  EXPECT_TRUE(put[0] && !put[1] && !put[2]);
  EXPECT_EQ(starvedCristal, "");
}

TEST(Img, CirclesAndPlacedPictures) {
  Img img(8, 8);
  img.putcir(0, 0, 2, 0xFFFFFFFF);  // strictly inside, not wrapped
  EXPECT_EQ(img.get(1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(img.get(2, 0) | img.get(7, 7), 0u);
  img.putcirf(0.5f, 0.5f, 0.1f, 0xFF0000FF);  // radius 0.8: only the centre
  EXPECT_EQ(img.get(4, 4), 0xFF0000FFu);
  EXPECT_EQ(img.get(4, 5), 0u);

  Img src = randomImg(4, 4, 9), dst(8, 8);
  dst.add_method = 4;
  dst.putimg(src, 7, 6);  // wraps
  EXPECT_EQ(dst.get(0, 7), src.get(1, 1));
  Img same(dst);  // by fractions: at (8 * 0.25, 8 * -0.125)
  dst.putimgf(src, 0.25f, -0.125f);
  same.putimg(src, 2, -1);
  EXPECT_EQ(bytes(dst), bytes(same));
  dst.clear(0);
  testing::internal::CaptureStdout();         // a debug line per call
  dst.putimg2f(src, 0, 0, 0.5f, 0, 0, 0.5f);  // the upper left quarter, pixel for pixel, and its far edges
  dst.putimg2f(src, 0, 0, 1, 2, 0.5f, 1);     // flat: nothing, and no division by zero
  testing::internal::GetCapturedStdout();
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(dst.get(x, y), x <= 4 && y <= 4 ? src.get(x % 4, y % 4) : 0u) << x << y;
}

TEST(Img, GreyAndResize) {
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

TEST(Img, WhatCannotBeDrawnOrFindsNoMemoryIsRefusedWithAMessage) {
  Img empty(0, 3), img(64, 64);
  empty.move(1, 1);
  empty.smoth();
  // Starved, each needs a buffer of 64 bytes or more: a copy's pixels, mask's copy, the fill's
  // seeds (a comb of 32 teeth), the noise grid, cristal's counts, the road's rows.
  for (int x = 1; x < 64; x += 2) img.get(x, 1) = 1;
  const std::string none = "Img: picture has no pixels", memory = "Img: out of memory";
  const struct {
    std::size_t starve;
    std::function<void()> op;
    std::string message;
  } refused[] = {
      {SIZE_MAX, [&] { empty.get(0, 0); }, none},
      {SIZE_MAX, [&] { empty.lineto(0, 0, 1, 1, 0); }, none},
      {SIZE_MAX, [&] { empty.callf(0, 0); }, none},
      {SIZE_MAX, [] { Img(1, 1).perlinNoise(-1, 2); }, "Img::perlinNoise() grid size out of range"},
      {SIZE_MAX, [] { Img(1, 1).perlinNoise(10, 3); }, "Img::perlinNoise() grid size out of range"},
      {SIZE_MAX, [] { Img(3, 8).texgencastw1(); }, "Img::texgencastw1() needs a picture of at least 4 x 8 pixels"},
      {SIZE_MAX, [] { Img(5, 1).texgencastf(); }, "Img::texgencastf() needs a picture of at least 2 x 2 pixels"},
      {SIZE_MAX, [] { Img(1, 1).ifs(0, nullptr, 0, 1); }, "Img::ifs() needs at least one map"},
      {64, [&] { Img copy(img); }, memory},
      {64, [&] { img.smoth(); }, memory},
      {64, [&] { img.fill(0, 0, 5); }, memory},
      {64, [&] { img.perlinNoise(3, 1); }, memory},
      {64, [&] { img.cristal(1, 1, 255); }, memory},
      {64, [&] { img.texgenroad1(); }, memory},
  };
  for (const auto& row : refused) EXPECT_EQ(starved(row.starve, row.op), row.message) << &row - refused;
  // A step of 0.1/w too small to move the float would walk forever.
  Img wide(4000000, 1);
  wide.texgenroad1();
  EXPECT_EQ(wide.getf(0.495f, 0), 0xF0F0F010u);
  std::srand(1);
  img.sierpinskiTriangle();
  EXPECT_EQ(img.getA(32, 16) + img.getA(8, 60), 0);  // inside the middle triangle, left of the slope
  EXPECT_GT(img.getR(1, 1), 200);
}

class ImgFiles : public TempDirTest {};

// A side of any length within the pixel bound reads back, every pixel (BMP drops
// the alpha). The file layouts are checked against convert in img_peer_test.
TEST_F(ImgFiles, RoundTrips) {
  Img line = randomImg(20000, 1, 13), bmp(1, 1), tga(1, 1);
  line.save2bmp("line.bmp");
  line.save2tga("line.tga");
  EXPECT_EQ(readFile("line.tga").size(), 18u + 80000 + 26);
  tga.load2tga("line.tga");
  bmp.load2bmp("line.bmp");
  EXPECT_EQ(bytes(tga), bytes(line));
  // Memory running out is a message: the picture is kept, no file is begun.
  const std::function<void()> io[] = {[&] { line.save2bmp("no.bmp"); }, [&] { line.save2tga("no.tga"); },
                                      [&] { bmp.load2bmp("line.bmp"); }, [&] { tga.load2tga("line.tga"); }};
  for (const auto& op : io) EXPECT_EQ(starved(64, op), "Img: out of memory") << &op - io;
  EXPECT_FALSE(std::filesystem::exists("no.bmp") || std::filesystem::exists("no.tga"));
  EXPECT_EQ(bytes(tga), bytes(line));
  for (int x = 0; x < 20000; ++x) line.getA(x, 0) = 255;
  EXPECT_EQ(bytes(bmp), bytes(line));

  // An image id and an unused colour map come before the pixels; the rows stay
  // in stored order whatever the origin flag says.
  writeFile("id.tga",
            std::string("\2\1\2\0\0\1\0\x18\0\0\0\0\1\0\2\0\x20\x08", 18) + "id" + "map" + "\1\2\3\4" + "\5\6\7\x08");
  tga.load2tga("id.tga");
  EXPECT_EQ(tga.get(0, 0), 0x04010203u);
  EXPECT_EQ(tga.get(0, 1), 0x08050607u);
  // A width above 16 bits keeps its true size in a BMP header; a TGA can't hold it.
  Img wide(70000, 1);
  wide.save2bmp("wide.bmp");
  EXPECT_EQ(readFile("wide.bmp").substr(18, 28),
            std::string("\x70\x11\x01\0\1\0\0\0\1\0\x18\0\0\0\0\0\0\0\0\0\x12\x0B\0\0\x12\x0B\0\0", 28));
  EXPECT_EQ(thrownMessage([&] { wide.save2tga("wide.tga"); }), "Img::save2tga picture too large for a TGA file");
}

TEST_F(ImgFiles, ReadersRejectWhatTheyCannotReadAndKeepThePicture) {
  Img ref = randomImg(5, 4, 14);
  ref.save2bmp("ok.bmp");
  ref.save2tga("ok.tga");
  const std::string bmp = readFile("ok.bmp"), tga = readFile("ok.tga");
  auto patched = [](std::string s, std::size_t at, std::string with) { return s.replace(at, with.size(), with); };
  const std::string tooShort = "file too short", size = "picture size out of range",
                    tgaKind = "only uncompressed true-colour TGA files can be read";
  const struct {
    bool tga;
    std::string file, message;
  } rows[] = {
      {false, bmp.substr(0, 53), tooShort},
      {false, bmp.substr(0, bmp.size() - 5), tooShort},
      {false, patched(bmp, 0, "PM"), "not a BMP file"},
      {false, patched(bmp, 14, "\x0C"), "unsupported BMP header"},
      {false, patched(bmp, 10, "\x20"), "unsupported BMP header"},
      {false, patched(bmp, 28, "\x20"), "only 24-bit BMP files can be read"},
      {false, patched(bmp, 30, "\x01"), "compressed BMP files can not be read"},
      {false, patched(bmp, 18, std::string("\1\0\x40\0", 4)), size},
      {false, patched(bmp, 18, std::string("\0\0\x40\0", 4)), tooShort},  // at the bound
      {false, patched(patched(bmp, 18, std::string("\0\0\1\0", 4)), 22, std::string("\0\0\1\0", 4)), size},  // 2^32
      {false, patched(bmp, 22, "\xFF\xFF\xFF\x7F"), size},
      {false, patched(bmp, 10, "\xFF\xFF\xFF\xFF"), tooShort},
      {true, tga.substr(0, 17), tooShort},
      {true, tga.substr(0, 18 + 5 * 4 * 4 - 1), tooShort},
      {true, patched(tga, 2, "\x0A"), tgaKind},
      {true, patched(tga, 1, "\x02"), tgaKind},
      {true, patched(tga, 16, "\x18"), "only 32-bit TGA files can be read"},
      {true, patched(tga, 12, "\xFF\xFF\xFF\xFF"), size},
      {true, patched(tga, 0, "\xFF"), tooShort},
  };
  Img img = randomImg(2, 2, 15), before(img);
  for (const auto& row : rows) {
    writeFile("bad", row.file);
    EXPECT_EQ(thrownMessage([&] { row.tga ? img.load2tga("bad") : img.load2bmp("bad"); }),
              (row.tga ? "Img::load2tga " : "Img::load2bmp() ") + row.message)
        << &row - rows;
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
#ifndef _WIN32  // a full disk is a failure, not a silently short file; Windows has no full device
  EXPECT_EQ(thrownMessage([&] { img.save2bmp("/dev/full"); }), "Img::save2bmp can not write file");
  EXPECT_EQ(thrownMessage([&] { img.save2tga("/dev/full"); }), "Img::save2tga can not write file");
#endif
}

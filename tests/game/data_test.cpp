// The files the game ships in data/: the pictures decode with the image library
// the game loads them with, sprites are cut out on transparent ground, the text
// pages fit the screen, and the console's demo script runs cleanly.
#include <kro/cfr.h>
#include <kro/loglog.h>

#include <IL/il.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "kro/console_support.h"

namespace {

const std::string DATA = std::string(GIFTGUARD_SOURCE_DIR) + "/data/";

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool powerOfTwo(unsigned n) { return n != 0 && (n & (n - 1)) == 0; }

// A picture decoded to 8-bit RGBA by the image library the game uses.
struct Decoded {
  bool ok = false;
  unsigned width = 0, height = 0;
  std::vector<unsigned char> rgba;
  unsigned char alpha(unsigned x, unsigned y) const { return rgba[4 * (y * width + x) + 3]; }
  // Mean brightness (0..1) of the rows from y0 to y1 (fractions from the top of the picture).
  double brightness(double y0, double y1) const {
    double sum = 0;
    unsigned count = 0;
    for (unsigned y = 0; y < height; ++y) {
      const double at = (y + 0.5) / height;
      if (at < y0 || at > y1) continue;
      for (unsigned x = 0; x < width; ++x, ++count) {
        const unsigned char* p = &rgba[4 * (y * width + x)];
        sum += (0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]) / 255.0;
      }
    }
    return count ? sum / count : 0;
  }
};

Decoded decode(const std::string& path) {
  static const bool ready = [] {
    ilInit();
    // Row 0 at the top, as the picture is drawn in a viewer.
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    return true;
  }();
  (void)ready;
  Decoded out;
  ILuint image = 0;
  ilGenImages(1, &image);
  ilBindImage(image);
  if (ilLoadImage(path.c_str()) && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) {
    out.width = ilGetInteger(IL_IMAGE_WIDTH);
    out.height = ilGetInteger(IL_IMAGE_HEIGHT);
    out.rgba.resize(size_t(out.width) * out.height * 4);
    ilCopyPixels(0, 0, 0, out.width, out.height, 1, IL_RGBA, IL_UNSIGNED_BYTE, out.rgba.data());
    out.ok = true;
  }
  ilDeleteImages(1, &image);
  return out;
}

// Sprites: figures, heads, the gift and the car, drawn over the field.
const char* const SPRITES[] = {
    "zombieBody",        "zombieBody2",       "priestRunBody",  "priestArmorBody", "priestArmorBodyR",
    "priestArmorBodyS",  "priestRopeBody",    "priestRopeBodyR", "priestRopeBodyS", "kalvorBody",
    "luxmobil",          "zombieHead",        "priestHead",     "priestHead2",     "kalvorHead",
    "gift"};
// Full-screen pictures.
const char* const BACKDROPS[] = {"bg", "lost"};

TEST(ShippedPictures, SpritesArePowerOfTwoRgbaCutOutOnTransparentGround) {
  for (const char* name : SPRITES) {
    SCOPED_TRACE(name);
    const std::string path = DATA + name + ".png";
    const Decoded picture = decode(path);
    ASSERT_TRUE(picture.ok) << "the image library cannot read " << path;
    EXPECT_TRUE(powerOfTwo(picture.width) && powerOfTwo(picture.height)) << picture.width << "x" << picture.height;
    const unsigned w = picture.width - 1, h = picture.height - 1;
    EXPECT_EQ(picture.alpha(0, 0) + picture.alpha(w, 0) + picture.alpha(0, h) + picture.alpha(w, h), 0)
        << "corners must be transparent";
    // Something is actually drawn, and not just a frame: between a tenth and
    // nine tenths of the picture is solid.
    unsigned solid = 0;
    for (unsigned y = 0; y <= h; ++y)
      for (unsigned x = 0; x <= w; ++x) solid += picture.alpha(x, y) == 255;
    const double share = double(solid) / (picture.width * picture.height);
    EXPECT_GT(share, 0.1);
    EXPECT_LT(share, 0.9);
  }
}

TEST(ShippedPictures, BackdropsAreOpaqueDarkForWhiteTextAndLightWhereGameOverIsWritten) {
  for (const char* name : BACKDROPS) {
    SCOPED_TRACE(name);
    const std::string path = DATA + name + ".png";
    const Decoded picture = decode(path);
    ASSERT_TRUE(picture.ok) << path;
    EXPECT_TRUE(powerOfTwo(picture.width) && powerOfTwo(picture.height)) << picture.width << "x" << picture.height;
    EXPECT_GE(picture.width, 512u);
    bool opaque = true;
    for (size_t i = 3; i < picture.rgba.size(); i += 4) opaque = opaque && picture.rgba[i] == 255;
    EXPECT_TRUE(opaque);
  }
  // White score and story text over the field, red text over the game-over band.
  EXPECT_LT(decode(DATA + "bg.png").brightness(0, 1), 0.3);
  EXPECT_LT(decode(DATA + "bg.png").brightness(0, 0.15), 0.15) << "the score's corner";
  EXPECT_GT(decode(DATA + "lost.png").brightness(0.35, 0.55), 0.8);
}

TEST(ShippedPictures, FallbackPictureIsASquareJpeg) {
  const std::string bytes = slurp(DATA + "vossa.jpg");
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.compare(0, 3, "\xff\xd8\xff"), 0) << "no JPEG start marker";
  const Decoded picture = decode(DATA + "vossa.jpg");
  ASSERT_TRUE(picture.ok);
  EXPECT_TRUE(powerOfTwo(picture.width));
  EXPECT_EQ(picture.width, picture.height);
}

TEST(ShippedPages, StoryAndEndPagesFitTheScreenInPlainAscii) {
  const char* const pages[] = {"story1.txt", "story2.txt", "story3.txt", "story4.txt", "story5.txt", "theend.txt"};
  for (const char* name : pages) {
    SCOPED_TRACE(name);
    const std::string text = slurp(DATA + name);
    ASSERT_FALSE(text.empty()) << "missing or empty";
    std::istringstream in(text);
    unsigned count = 0;
    for (std::string line; std::getline(in, line); ++count) {
      EXPECT_LE(line.size(), 30u) << "line " << count + 1 << ": " << line;
      for (char c : line)
        EXPECT_TRUE(c >= ' ' && c <= '~') << "line " << count + 1 << " has byte " << int(static_cast<unsigned char>(c));
    }
    EXPECT_GE(count, 8u);
    EXPECT_LE(count, 16u);
  }
}

class ShippedScript : public ConsoleTest {};

TEST_F(ShippedScript, DemoRunsToItsLastLineWithoutErrors) {
  const std::string path = DATA + "test.kro";
  std::vector<std::string> lines;
  {
    std::istringstream in(slurp(path));
    for (std::string line; std::getline(in, line);)
      if (!line.empty()) lines.push_back(line);
  }
  ASSERT_GE(lines.size(), 8u);

  // A jump that loops for ever ends at the budget instead of hanging the test.
  console->setStepLimit(100000);
  const std::string thrown = thrownMessage([&] { console->runScirptFile(path.c_str()); });
  const bool exhausted = console->outOfSteps();
  console->setStepLimit(~0ull);
  EXPECT_EQ(thrown, "");
  EXPECT_FALSE(exhausted) << "the script did not finish";

  const std::vector<std::string> log = logged();
  for (const std::string& line : log) EXPECT_NE(line.rfind("error", 0), 0u) << line;
  for (const auto& record : recent(Loglog::logsnum - 1)) EXPECT_NE(record.first, 3) << record.second;
  // Every line ran at least once, the last one included.
  for (const std::string& line : lines) {
    bool ran = false;
    for (const std::string& entry : log) ran = ran || entry == line;
    EXPECT_TRUE(ran) << "never ran: " << line;
  }
}

}  // namespace

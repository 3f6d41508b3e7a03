// Tests of the files the game ships in data/.
//
// The files the game ships in data/: the pictures decode with the image library
// the game loads them with, sprites are cut out on transparent ground, the text
// pages fit the screen, and the console's demo script runs cleanly.
#include <kro/cfr.h>
#include <kro/loglog.h>

#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>
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

// A picture decoded to 8-bit RGBA, row 0 at the top; 0 x 0 when unreadable.
struct Decoded {
  unsigned width = 0, height = 0;
  std::vector<unsigned char> rgba;
  unsigned char alpha(unsigned x, unsigned y) const { return rgba[4 * (y * width + x) + 3]; }
  // Mean brightness (0..1) of the rows from y0 to y1 (fractions from the top).
  double brightness(double y0, double y1) const {
    double sum = 0;
    unsigned count = 0;
    for (unsigned y = unsigned(y0 * height); y < unsigned(y1 * height); ++y)
      for (unsigned x = 0; x < width; ++x, ++count) {
        const unsigned char* p = &rgba[4 * (y * width + x)];
        sum += (0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]) / 255.0;
      }
    return count ? sum / count : 0;
  }
};

Decoded decode(const std::string& name) {
  static const bool ready = (ilInit(), ilEnable(IL_ORIGIN_SET) && ilOriginFunc(IL_ORIGIN_UPPER_LEFT));
  (void)ready;
  Decoded out;
  ILuint image = 0;
  ilGenImages(1, &image);
  ilBindImage(image);
  if (ilLoadImage((DATA + name).c_str()) && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) {
    out.width = ilGetInteger(IL_IMAGE_WIDTH);
    out.height = ilGetInteger(IL_IMAGE_HEIGHT);
    out.rgba.resize(size_t(out.width) * out.height * 4);
    ilCopyPixels(0, 0, 0, out.width, out.height, 1, IL_RGBA, IL_UNSIGNED_BYTE, out.rgba.data());
  }
  ilDeleteImages(1, &image);
  return out;
}

TEST(ShippedPictures, SpritesArePowerOfTwoRgbaCutOutOnTransparentGround) {
  for (const char* name : {"zombieBody", "zombieBody2", "priestRunBody", "priestArmorBody", "priestArmorBodyR",
                           "priestArmorBodyS", "priestRopeBody", "priestRopeBodyR", "priestRopeBodyS", "kalvorBody",
                           "luxmobil", "zombieHead", "priestHead", "priestHead2", "kalvorHead", "gift"}) {
    SCOPED_TRACE(name);
    const Decoded picture = decode(name + std::string(".png"));
    EXPECT_TRUE(powerOfTwo(picture.width) && powerOfTwo(picture.height)) << picture.width << "x" << picture.height;
    if (picture.rgba.empty()) continue;
    const unsigned w = picture.width - 1, h = picture.height - 1;
    EXPECT_EQ(picture.alpha(0, 0) + picture.alpha(w, 0) + picture.alpha(0, h) + picture.alpha(w, h), 0)
        << "corners must be transparent";
    // Something is drawn, and not just a frame: between a tenth and nine tenths is solid.
    unsigned solid = 0;
    for (size_t i = 3; i < picture.rgba.size(); i += 4) solid += picture.rgba[i] == 255;
    const double share = double(solid) / (picture.width * picture.height);
    EXPECT_GT(share, 0.1);
    EXPECT_LT(share, 0.9);
  }
}

TEST(ShippedPictures, BackdropsAreOpaqueDarkForWhiteTextAndLightWhereGameOverIsWritten) {
  for (const char* name : {"bg.png", "lost.png"}) {
    SCOPED_TRACE(name);
    const Decoded picture = decode(name);
    EXPECT_TRUE(powerOfTwo(picture.width) && powerOfTwo(picture.height)) << picture.width << "x" << picture.height;
    EXPECT_GE(picture.width, 512u);
    for (size_t i = 3; i < picture.rgba.size(); i += 4) ASSERT_EQ(picture.rgba[i], 255) << "not opaque";
  }
  // The fallback picture is a square JPEG.
  EXPECT_EQ(slurp(DATA + "vossa.jpg").compare(0, 3, "\xff\xd8\xff"), 0) << "no JPEG start marker";
  const Decoded fallback = decode("vossa.jpg");
  EXPECT_TRUE(powerOfTwo(fallback.width) && fallback.width == fallback.height);
  // White score and story text over the field, red text over the game-over band.
  const Decoded bg = decode("bg.png");
  EXPECT_LT(bg.brightness(0, 1), 0.3);
  EXPECT_LT(bg.brightness(0, 0.15), 0.15) << "the score's corner";
  EXPECT_GT(decode("lost.png").brightness(0.35, 0.55), 0.8);
}

TEST(ShippedPages, StoryAndEndPagesFitTheScreenInPlainAscii) {
  for (const char* name : {"story1.txt", "story2.txt", "story3.txt", "story4.txt", "story5.txt", "theend.txt"}) {
    SCOPED_TRACE(name);
    std::istringstream in(slurp(DATA + name));
    unsigned count = 0;
    for (std::string line; std::getline(in, line); ++count) {
      EXPECT_LE(line.size(), 30u) << "line " << count + 1 << ": " << line;
      for (char c : line)
        EXPECT_TRUE(c >= ' ' && c <= '~') << "line " << count + 1 << " has byte " << int(static_cast<unsigned char>(c));
    }
    EXPECT_GE(count, 8u);  // also catches a missing page
    EXPECT_LE(count, 16u);
  }
}

class ShippedScript : public ConsoleTest {};

TEST_F(ShippedScript, DemoRunsToItsLastLineWithoutErrors) {
  const std::string path = DATA + "test.kro";
  std::vector<std::string> lines;
  std::istringstream in(slurp(path));
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
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
  for (const std::string& line : lines)  // every line ran, the last one included
    EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << "never ran: " << line;
}

}  // namespace

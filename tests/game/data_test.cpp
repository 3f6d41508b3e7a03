// The files the game ships in data/.
#include <kro/loglog.h>

#ifndef _WIN32
#include <IL/il.h>
#endif
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "kro/console_support.h"

namespace {

const std::string DATA = std::string(GIFTGUARD_SOURCE_DIR) + "/data/";

class Shipped : public ConsoleTest {
#ifndef _WIN32  // DevIL reads the pictures; Windows has no DevIL, and they are the same files there
protected:
  // A picture as 8-bit RGBA, row 0 at the top; 0 x 0 when unreadable.
  unsigned width = 0, height = 0;
  std::vector<unsigned char> rgba;
  void decode(const std::string& name) {
    static const bool ready = (ilInit(), ilEnable(IL_ORIGIN_SET) && ilOriginFunc(IL_ORIGIN_UPPER_LEFT));
    (void)ready;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    width = height = 0;
    rgba.clear();
    if (ilLoadImage((DATA + name).c_str()) && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) {
      width = ilGetInteger(IL_IMAGE_WIDTH), height = ilGetInteger(IL_IMAGE_HEIGHT);
      rgba.resize(size_t(width) * height * 4);
      ilCopyPixels(0, 0, 0, width, height, 1, IL_RGBA, IL_UNSIGNED_BYTE, rgba.data());
    }
    ilDeleteImages(1, &image);
    EXPECT_TRUE(width && height && !(width & (width - 1)) && !(height & (height - 1))) << width << "x" << height;
  }
  // The mean of value over the pixels of the rows y0 to y1 (fractions from the top).
  template <typename F> double mean(double y0, double y1, F value) {
    double sum = 0, count = 0;
    for (unsigned y = unsigned(y0 * height); y < unsigned(y1 * height); ++y)
      for (unsigned x = 0; x < width; ++x, ++count) sum += value(&rgba[4 * (y * width + x)]);
    return count ? sum / count : 0;
  }
  static double opaque(const unsigned char* p) { return p[3] == 255; }
  static double brightness(const unsigned char* p) { return (0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]) / 255.0; }
#endif
};

#ifndef _WIN32
TEST_F(Shipped, SpritesAreCutOutOnTransparentGroundAndBackdropsLeaveRoomForTheirText) {
  for (const char* name : {"zombieBody", "zombieBody2", "priestRunBody", "priestArmorBody", "priestArmorBodyR",
                           "priestArmorBodyS", "priestRopeBody", "priestRopeBodyR", "priestRopeBodyS", "kalvorBody",
                           "luxmobil", "zombieHead", "priestHead", "priestHead2", "kalvorHead", "gift"}) {
    SCOPED_TRACE(name);
    decode(name + std::string(".png"));
    if (rgba.empty()) continue;
    unsigned edges = 0;  // textures repeat, so a filtered edge takes in the opposite: the outermost pixels are empty
    for (unsigned i = 0; i < width * height; ++i)
      if (i < width || i / width == height - 1 || i % width == 0 || i % width == width - 1) edges += rgba[4 * i + 3];
    EXPECT_EQ(edges, 0u);
    const double solid = mean(0, 1, opaque);  // something is drawn, and not just a frame
    EXPECT_TRUE(solid > 0.1 && solid < 0.9) << solid;
  }
  // Dark where white text goes, darkest in the score's corner; light under the red "GAME OVER".
  struct Band {
    const char* name;
    double y0, y1, least, most;
  };
  for (const Band& band :
       {Band{"bg.png", 0, 1, 0, 0.3}, Band{"bg.png", 0, 0.15, 0, 0.15}, Band{"lost.png", 0.35, 0.55, 0.8, 1}}) {
    decode(band.name);
    const double bright = mean(band.y0, band.y1, brightness);
    EXPECT_TRUE(width >= 512 && mean(0, 1, opaque) == 1.0 && bright >= band.least && bright <= band.most)
        << band.name << ": " << width << " wide, brightness " << bright;
  }
  decode("vossa.jpg");  // the fallback picture
}
#endif

TEST_F(Shipped, StoryAndEndPagesFitTheScreenInPlainAscii) {
  for (const char* name : {"story1.txt", "story2.txt", "story3.txt", "story4.txt", "story5.txt", "theend.txt"}) {
    SCOPED_TRACE(name);
    std::istringstream in(readFile(DATA + name));
    unsigned count = 0;
    for (std::string line; std::getline(in, line); ++count)
      EXPECT_TRUE(line.size() <= 30 &&
                  std::all_of(line.begin(), line.end(), [](char c) { return c >= ' ' && c <= '~'; }))
          << "line " << count + 1 << ": " << line;
    EXPECT_TRUE(count >= 8 && count <= 16) << count;  // also catches a missing page
  }
}

TEST_F(Shipped, DemoScriptRunsToItsLastLineWithoutErrors) {
  const std::string path = DATA + "test.kro";
  console->setStepLimit(100000);  // a jump that loops for ever ends here instead of hanging the test
  EXPECT_EQ(thrownMessage([&] { console->runScirptFile(path.c_str()); }), "");
  EXPECT_FALSE(console->outOfSteps()) << "the script did not finish";
  console->setStepLimit(~0ull);
  const std::vector<std::string> log = logged();
  for (const std::string& line : log) EXPECT_NE(line.rfind("error", 0), 0u) << line;
  for (const auto& record : recent(Loglog::logsnum - 1)) EXPECT_NE(record.first, 3) << record.second;
  std::istringstream in(readFile(path));
  unsigned lines = 0;
  for (std::string line; std::getline(in, line); lines += !line.empty())  // every line ran, the last one too
    EXPECT_TRUE(line.empty() || std::find(log.begin(), log.end(), line) != log.end()) << "never ran: " << line;
  EXPECT_GE(lines, 8u);
}

}  // namespace

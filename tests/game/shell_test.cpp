// The shell: a whole start, window messages and the settings file.
#include "shell.h"
#include "modMainMenu.h"
#include "modTopList.h"

#include <kro/cfr.h>
#include <kro/keys.h>
#include <kro/kro.h>
#include <kro/mod.h>

#include <platform/display.h>

#include <gtest/gtest.h>
#ifdef GIFTGUARD_SANITIZE
#include <sanitizer/lsan_interface.h>
#endif

#include <cstdlib>
#include <tuple>

#include "support/tempdir.h"

namespace {

using platform::Message;

// Records what the shell hands it.
struct Recorder : Mod {
  std::string events;
  float lastX = 0, lastY = 0;
  void keydown(char key) override { events += "d" + std::to_string(int(key)) + " "; }
  void mouseLDown(float x, float y) override { events += "L ", lastX = x, lastY = y; }
  void mouseMove(float x, float y) override { lastX = x, lastY = y; }
};

void key(unsigned code) { wndProc({Message::KeyDown, code}); }

class Shell : public TempDirTest {
protected:
  Recorder screen;
  void SetUp() override {
    TempDirTest::SetUp();
    setCurrentModule(&screen);
    nextMod = nullptr;
    while (Cfr::I()->getMode() != 'C') Cfr::I()->changeMode();
  }
  void TearDown() override {  // the sides back as the program starts with them
    scrwidth = 1024, scrheight = 768;
    TempDirTest::TearDown();
  }
};

// First in the suite, so that the start makes the top list (which loads only when made). The
// settings name no sides, so the window opens at the program's own; "n" on the command line
// overrides the file's "fast".
TEST_F(Shell, TheGameStartsFromItsFilesAndClosesItsWindowAtTheEnd) {
  if (!platform::hasDisplay()) GTEST_SKIP() << "needs an X display (tools/test.sh starts one)";
  writeFile("data/conf.txt", "fast window\n");
  std::string list;  // the chunk format's text form: "ab" with 9 on top, fifteen empty places
  for (char c = 'A'; c <= 'P'; ++c)
    list += std::string("\t<") + c + "_EN>\n\t\t<NAME>\n\t\t\t61 62  0  0 \n\t\t</NAME>\n\t\t<SCOR>\n\t\t\t" +
            (c == 'A' ? "9" : "0") + " \n\t\t</SCOR>\n\t</" + c + "_EN>\n";
  writeFile(ModTopList::fileName(), list);
  setenv("GIFTGUARD_QUIT_AFTER_FRAMES", "3", 1);
  char program[] = "giftguard", nice[] = "n";
  char* argv[] = {program, nice, nullptr};
  {
#ifdef GIFTGUARD_SANITIZE
    // Closing the window unloads the GL driver, whose own allocations LeakSanitizer then cannot
    // name to suppress; e2e_valgrind watches what the game itself allocates here.
    __lsan::ScopedDisabler driverAllocations;
#endif
    EXPECT_EQ(winMain(2, argv), 0);
  }
  unsetenv("GIFTGUARD_QUIT_AFTER_FRAMES");
  EXPECT_EQ(std::make_tuple(scrwidth, scrheight, configNiceTex, currentModule()),
            std::make_tuple(1024, 768, true, (Mod*)ModMainMenu::I()));
  EXPECT_FALSE(platform::crossHairShown());  // no window any more
  EXPECT_EQ(ModTopList::I()->entry(0).score, 9u);
  std::string error;
  setenv("SDL_VIDEODRIVER", "dummy", 1);  // SDL's off-screen fallback is no display
  EXPECT_FALSE(platform::openWindow(320, 200, false, "off screen", error));
  unsetenv("SDL_VIDEODRIVER");
  EXPECT_EQ(error, "no display to open the window on (video driver dummy)");
  platform::closeWindow();
}

TEST_F(Shell, TheOpenConsoleTakesEveryKeyAndAllTextAndMousePositionsAndSizes) {
  key(vk::GRAVE);
  key(vk::SPACE), key(vk::ESCAPE);
  for (char c : std::string("print x")) wndProc({Message::Char, static_cast<unsigned char>(c)});
  EXPECT_STREQ(Cfr::I()->getInput(), "print x");
  EXPECT_EQ(std::make_tuple(screen.events, paused(), nextMod), std::make_tuple(std::string(), false, (Mod*)nullptr));
  key(vk::GRAVE);
  wndProc({Message::LButtonDown});  // a message's position is (0, 0) unless given
  EXPECT_EQ(std::make_pair(screen.lastX, screen.lastY), std::make_pair(-1.0f, 1.0f));
  wndProc({Message::MouseMove, 0, 1023, 767});
  EXPECT_FLOAT_EQ(screen.lastX, 1 - 2.0f / 1024);
  EXPECT_FLOAT_EQ(screen.lastY, 2.0f / 768 - 1);
  wndProc({Message::Size, 0, 640, 0});
  EXPECT_EQ(std::make_pair(scrwidth, scrheight), std::make_pair(640, 1));
}

TEST_F(Shell, SettingsFileWordsAndNumbers) {
  bool nice = false, full = true;
  int w = 1024, h = 768;
  // Reads the settings from text, or from no file at all; gives (nice, width, height, full).
  auto read = [&](const char* text) {
    if (text) writeFile("data/conf.txt", text);
    readSettings(text ? "data/conf.txt" : "data/none.txt", nice, w, h, full);
    return std::make_tuple(nice, w, h, full);
  };
  using S = std::tuple<bool, int, int, bool>;
  EXPECT_EQ(read("nice 800 600 window"), S(true, 800, 600, false));
  EXPECT_EQ(read((std::string(300, 'N') + " x 5 Full").c_str()), S(true, 800, 600, false));
  full = true;
  EXPECT_EQ(read(nullptr), S(true, 800, 600, true));
  EXPECT_EQ(read("nice 640 -f"), S(true, 640, 600, false));
  // Numbers no window can have are read past and not used.
  EXPECT_EQ(read("nice 4294967296 -480 full"), S(true, 640, 600, true));
  EXPECT_EQ(std::string(Cfr::I()->lineText(0)), "data/conf.txt: window height not in 1..16384, kept 600");
  EXPECT_EQ(read("n 0 16385 w"), S(true, 640, 600, false));
  EXPECT_EQ(read("n +1 16384 w"), S(true, 1, 16384, false));
  EXPECT_EQ(read("fast\r\n800\r\n600\r\nfull\r\n"), S(false, 800, 600, true));  // written on Windows
  std::filesystem::remove("data/conf.txt");
  std::filesystem::create_directory("data/conf.txt");  // a folder is no settings file: nothing changes
  readSettings("data/conf.txt", nice, w, h, full);
  EXPECT_EQ(std::make_tuple(nice, w, h, full), S(false, 800, 600, true));
}

}  // namespace

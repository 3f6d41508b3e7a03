#include "modMainMenu.h"
#include "shell.h"

#include <kro/cfr.h>
#include <kro/mod.h>

#include <gtest/gtest.h>

#include "support/tempdir.h"

namespace {

using platform::Message;

// Records what the shell hands it.
struct Recorder : Mod {
  int inits = 0, updates = 0;
  std::string events;
  float lastX = 0, lastY = 0;
  void init() override { ++inits; }
  void update(float) override { ++updates; }
  void keydown(char key) override { events += "d" + std::to_string(int(key)) + " "; }
  void keyup(char key) override { events += "u" + std::to_string(int(key)) + " "; }
  void mouseLDown(float x, float y) override {
    events += "L ";
    lastX = x, lastY = y;
  }
  void mouseMove(float x, float y) override {
    lastX = x, lastY = y;
  }
};

Message message(Message::Kind kind, unsigned code = 0, int x = 0, int y = 0) {
  Message m;
  m.kind = kind;
  m.code = code;
  m.x = x;
  m.y = y;
  return m;
}

class Shell : public TempDirTest {
protected:
  Recorder screen;
  void SetUp() override {
    TempDirTest::SetUp();
    setCurrentModule(&screen);
    nextMod = nullptr;
    while (Cfr::I()->getMode() != 'C') Cfr::I()->changeMode();
    scrwidth = 1024;
    scrheight = 768;
  }
};

TEST_F(Shell, ModuleChangesTakeEffectAtTheNextFrame) {
  Recorder next, other;
  nextMod = &other;
  nextMod = &next;  // the later request wins
  EXPECT_EQ(currentModule(), &screen);
  frameUpdate();
  EXPECT_EQ(currentModule(), &next);
  EXPECT_EQ(next.inits, 1);
  EXPECT_EQ(other.inits, 0);
  EXPECT_EQ(next.updates, 1);
  nextMod = &next;  // asking for the current module runs its init again
  frameUpdate();
  EXPECT_EQ(next.inits, 2);
  nextMod = &screen;
  nextMod = nullptr;  // cancelled
  frameUpdate();
  EXPECT_EQ(currentModule(), &next);
}

TEST_F(Shell, SpacePausesAndEscapeLeadsToTheMainMenu) {
  wndProc(message(Message::KeyDown, 32));
  EXPECT_TRUE(paused());
  frameUpdate();
  EXPECT_EQ(screen.updates, 0);
  wndProc(message(Message::LButtonDown, 0, 0, 0));  // input goes on while paused
  wndProc(message(Message::KeyDown, 27));
  EXPECT_EQ(screen.events, "d32 L d27 ");
  EXPECT_EQ(nextMod, ModMainMenu::I());
  frameUpdate();  // the change happens, the pause stays
  EXPECT_EQ(currentModule(), ModMainMenu::I());
  EXPECT_TRUE(paused());
  setCurrentModule(&screen);
  wndProc(message(Message::KeyDown, 32));
  EXPECT_FALSE(paused());
  wndProc(message(Message::KeyUp, 32));
  EXPECT_TRUE(screen.events.find("u32") != std::string::npos);
}

TEST_F(Shell, TheOpenConsoleTakesEveryKeyAndAllText) {
  wndProc(message(Message::KeyDown, 192));
  EXPECT_EQ(Cfr::I()->getMode(), 'A');
  wndProc(message(Message::KeyDown, 32));
  wndProc(message(Message::KeyDown, 27));
  for (char c : std::string("print x")) wndProc(message(Message::Char, static_cast<unsigned char>(c)));
  EXPECT_STREQ(Cfr::I()->getInput(), "print x");
  EXPECT_EQ(screen.events, "");
  EXPECT_FALSE(paused());
  EXPECT_EQ(nextMod, nullptr);
  for (int i = 0; i < 2; ++i) wndProc(message(Message::KeyDown, 192));
  EXPECT_TRUE(keys[192]);
}

TEST_F(Shell, MousePositionsAndSizes) {
  wndProc(message(Message::LButtonDown, 0, 0, 0));
  EXPECT_FLOAT_EQ(screen.lastX, -1);
  EXPECT_FLOAT_EQ(screen.lastY, 1);
  wndProc(message(Message::MouseMove, 0, 1023, 767));
  EXPECT_FLOAT_EQ(screen.lastX, 1 - 2.0f / 1024);
  EXPECT_FLOAT_EQ(screen.lastY, 2.0f / 768 - 1);
  wndProc(message(Message::Size, 0, 640, 0));
  EXPECT_EQ(scrwidth, 640);
  EXPECT_EQ(scrheight, 1);
}

TEST_F(Shell, SettingsFileWordsAndNumbers) {
  bool nice = false, full = true;
  int w = 1024, h = 768;
  writeFile("data/conf.txt", "nice 800 600 window");
  readSettings("data/conf.txt", nice, w, h, full);
  EXPECT_TRUE(nice);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  EXPECT_FALSE(full);
  writeFile("data/conf.txt", std::string(300, 'N') + " x 5 Full");
  readSettings("data/conf.txt", nice, w, h, full);
  EXPECT_TRUE(nice);
  EXPECT_EQ(w, 800);  // not a number: kept, and nothing consumed
  EXPECT_EQ(h, 600);
  EXPECT_FALSE(full);  // the word read there is "x"
  readSettings("data/none.txt", nice, w, h, full);
  EXPECT_EQ(w, 800);

  // A sign without digits goes back with the rest: the last word is "-f".
  writeFile("data/conf.txt", "nice 640 -f");
  readSettings("data/conf.txt", nice, w, h, full);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 600);
  EXPECT_FALSE(full);
  // Numbers no window can have are read past and not used.
  writeFile("data/conf.txt", "nice 4294967296 -480 full");
  readSettings("data/conf.txt", nice, w, h, full);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 600);
  EXPECT_TRUE(full);
  EXPECT_EQ(std::string(Cfr::I()->lineText(0)), "data/conf.txt: window height not in 1..16384, kept 600");
  writeFile("data/conf.txt", "n 0 16385 w");
  readSettings("data/conf.txt", nice, w, h, full);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 600);
  writeFile("data/conf.txt", "n +1 16384 w");
  readSettings("data/conf.txt", nice, w, h, full);
  EXPECT_EQ(w, 1);
  EXPECT_EQ(h, 16384);
}

}  // namespace

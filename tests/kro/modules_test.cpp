// Tests of the menu and text-page modules.
#include <kro/keys.h>
#include <kro/modMenu.h>
#include <kro/modtxtshow.h>

#include <gtest/gtest.h>

#include "support/tempdir.h"

namespace {

void press(Mod& m, std::initializer_list<char> keys) {
  for (char key : keys) m.keydown(key);
}

bool flag = false;
int intValue = 0, calls = 0;
float floatValue = 1.0f;
void call() { ++calls; }

TEST(ModMenu, KeysMoveTheSelectionAndEditTheItems) {
  ModMenu empty;
  press(empty, {vk::HOME, vk::END, vk::UP, vk::DOWN, vk::RETURN});
  EXPECT_EQ(empty.selected(), 0);
  Mod target;
  ModMenu menu;
  menu.add("flag", &flag);
  menu.add("int", &intValue);
  menu.add("float", &floatValue);
  menu.add("go", static_cast<Mod*>(&target));
  menu.add("call", call);
  menu.add(new FunctorStaticVoid("functor", call));
  press(menu, {vk::UP, vk::RETURN, vk::DOWN, vk::LEFT, vk::DOWN, vk::RIGHT, vk::RIGHT});  // up from the top stays
  EXPECT_EQ(std::string(menu.itemAt(0)->getValue()) + menu.itemAt(1)->getValue() + menu.itemAt(2)->getValue(),
            "Yes0xFFFFFFFF1.21");
  floatValue = 3e30f;  // too long for its field: cut, not overrun
  EXPECT_EQ(std::string(menu.itemAt(2)->getValue()).size(), 15u);
  press(menu, {vk::DOWN, vk::RETURN});
  EXPECT_EQ(nextMod, &target);
  press(menu, {vk::END, vk::DOWN, vk::RETURN, vk::UP, vk::RETURN});  // down from the bottom stays
  EXPECT_EQ(calls, 2);
  menu.keydown(vk::HOME);
  EXPECT_EQ(menu.selected(), 0);
  nextMod = nullptr;
}

using TextPages = TempDirTest;

TEST_F(TextPages, ScrollsOutThenHandsOver) {
  std::string ten = "line 0";
  for (int i = 1; i < 10; ++i) ten += "\nline " + std::to_string(i);
  writeFile("data/ten.txt", ten);
  Mod after;
  ModTxtShow* show = ModTxtShow::I(&after, "data/ten.txt", "data/bg.png");
  for (bool down : {false, true}) {
    keys[vk::DOWN] = down;
    show->init();
    float seconds = 0;
    for (; !nextMod; seconds += 0.01f) show->update(0.01f);
    EXPECT_NEAR(seconds, down ? 1.75f : 14.0f, 0.02f);
    EXPECT_EQ(nextMod, &after);
    nextMod = nullptr;
  }
  keys[vk::DOWN] = false;
  writeFile("data/two.txt", "a\r\nb\n");  // written on Windows, shown without the carriage return
  ModTxtShow::I(nullptr, "data/two.txt", nullptr);
  EXPECT_EQ(show->lineText(0) + std::to_string(show->lineCount()), "a3");
  for (const char* unreadable : {"data/none.txt", "data"})
    EXPECT_EQ(thrownMessage([&] { ModTxtShow::I(nullptr, unreadable, nullptr); }), "can not open file");
  show->init();
  while (!nextMod) show->update(0.1f);
  EXPECT_EQ(nextMod, &after);  // a null next module kept the first one
  nextMod = nullptr;
}

}  // namespace

// Tests of the top list: its order, names and file.
#include <gtest/gtest.h>

#include <filesystem>

#include "game_support.h"

namespace {

using TopList = TopListTest;

std::vector<unsigned> topScores(const ModTopList* list) {
  return {list->entry(0).score, list->entry(1).score, list->entry(2).score};
}

// The file as the chunk format's text form writes sixteen entries: the name as
// four hexadecimal bytes, the score as a decimal.
std::string expectedFile(const std::vector<std::pair<std::string, unsigned>>& entries) {
  std::string text;
  for (unsigned i = 0; i < 16; ++i) {
    const std::string id = std::string(1, char('A' + i)) + "_EN";
    std::string name = i < entries.size() ? entries[i].first : "";
    name.resize(4, '\0');
    std::string hex;
    for (char c : name) {
      char byte[8];
      std::snprintf(byte, sizeof byte, "%2x ", unsigned(static_cast<unsigned char>(c)));
      hex += byte;
    }
    text += "\t<" + id + ">\n\t\t<NAME>\n\t\t\t" + hex + "\n\t\t</NAME>\n\t\t<SCOR>\n\t\t\t" +
            std::to_string(i < entries.size() ? entries[i].second : 0) + " \n\t\t</SCOR>\n\t</" + id + ">\n";
  }
  return text;
}

TEST_F(TopList, ResultsSortInAndTheFileHoldsSixteenEntries) {
  enterResult(0, "ZZ");  // a total of 0 does not beat sixteen empty places
  EXPECT_EQ(nextMod, nullptr);
  EXPECT_FALSE(std::filesystem::exists(ModTopList::fileName()));
  enterResult(7, "AB");
  enterResult(7, "");  // the prompt offers the name typed last time
  enterResult(9, std::string(2, char(vk::BACKSPACE)) + "CDEF");
  EXPECT_EQ(std::string(list->entry(0).name, 4), "cdef");
  EXPECT_EQ(readFile(ModTopList::fileName()), expectedFile({{"cdef", 9}, {"ab", 7}, {"ab", 7}}));
  list->loadFile();
  EXPECT_EQ(topScores(list), (std::vector<unsigned>{9, 7, 7}));
}

TEST_F(TopList, OnlyCapitalSSaves) {
  list->keydown('s');
  EXPECT_FALSE(std::filesystem::exists(ModTopList::fileName()));
  list->keydown('S');
  EXPECT_EQ(readFile(ModTopList::fileName()), expectedFile({}));
}

TEST_F(TopList, AFourByteNameLoadsWhole) {
  writeFile(ModTopList::fileName(), expectedFile({{"ABCD", 300}, {"x", 20}}));
  list->loadFile();
  EXPECT_EQ(std::string(list->entry(0).name, 4), "ABCD");
  EXPECT_EQ(list->entry(1).score, 20u);
}

// Each in turn where the list should be; none of them may be lost.
TEST_F(TopList, EveryUnreadableListIsKeptAsideUnderItsOwnNameAndTheGameGoesOn) {
  const std::string file = ModTopList::fileName();
  // nullptr: a folder in its place, which no permission makes readable.
  const std::pair<const char*, std::string> damaged[] = {{"<A_EN>\n\t<NAME>ab", ".bad"},
                                                         {"<B_EN>", ".bad.1"},
                                                         {nullptr, ".bad.2"}};
  for (const auto& [bytes, suffix] : damaged) {
    if (bytes)
      writeFile(file, bytes);
    else
      std::filesystem::create_directory(file);
    list->loadFile();
    EXPECT_EQ(list->entry(0).score, 0u) << suffix;
    EXPECT_FALSE(std::filesystem::exists(file)) << suffix;
    EXPECT_EQ(Cfr::I()->lineLevel(0), 3) << suffix;
    EXPECT_NE(std::string(Cfr::I()->lineText(0)).find(file + suffix), std::string::npos) << suffix;
    EXPECT_EQ(Cfr::I()->lineLevel(1), 3) << suffix;
    EXPECT_EQ(std::string(Cfr::I()->lineText(1)).rfind("can not read " + file, 0), 0u) << suffix;
  }
  EXPECT_EQ(readFile(file + ".bad"), damaged[0].first);
  EXPECT_EQ(readFile(file + ".bad.1"), damaged[1].first);
  EXPECT_TRUE(std::filesystem::is_directory(file + ".bad.2"));
  // With the damaged list out of the way, a new one is saved.
  list->keydown('S');
  EXPECT_EQ(readFile(file), expectedFile({}));
}

TEST_F(TopList, AFailedSaveKeepsTheOldList) {
  enterResult(5, "OLD");
  const std::string old = readFile(ModTopList::fileName());
  std::filesystem::create_directory("data/toplist.dat.tmp");  // the temporary cannot be written
  enterResult(6, "NEW");
  EXPECT_EQ(readFile(ModTopList::fileName()), old);
  EXPECT_EQ(Cfr::I()->lineLevel(0), 3);
  EXPECT_NE(std::string(Cfr::I()->lineText(0)).find("the old list stays"), std::string::npos);
  // What stood in the temporary's way was not the save's own: it stays.
  EXPECT_TRUE(std::filesystem::is_directory("data/toplist.dat.tmp"));
}

}  // namespace

// The player's folder of an installed game: where it is, the first start, a
// later one, an upgrade, a folder that cannot be made; and the source tree left as it is.
#include "userFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;

TEST(UserFolderFor, XdgDataHomeFirstThenHome) {
  EXPECT_EQ(userFolderFor("/x/data", "/home/p"), "/x/data/giftguard");
  EXPECT_EQ(userFolderFor("", "/home/p"), "/home/p/.local/share/giftguard");
  EXPECT_EQ(userFolderFor("relative", "/home/p"), "/home/p/.local/share/giftguard");
  EXPECT_EQ(userFolderFor(nullptr, nullptr), "");
  EXPECT_EQ(userFolderFor(nullptr, "relative"), "");
}

// An install of conf.txt, defvar.txt and two pictures; the player's folder
// beside it, started from a folder without data/.
class UserFolder : public TempDirTest {
protected:
  fs::path installed, folder;
  void SetUp() override {
    TempDirTest::SetUp();
    installed = dir / "usr/share/games/giftguard";
    folder = dir / "home/.local/share/giftguard";
    fs::create_directories(installed);
    writeFile(installed / "conf.txt", "fast 1024 768 window\n");
    writeFile(installed / "defvar.txt", "fullscreen 0\n");
    writeFile(installed / "bg.png", "background");
    writeFile(installed / "gift.png", "gift");
    fs::create_directory(dir / "elsewhere");
    fs::current_path(dir / "elsewhere");
  }
  bool start(std::string& error) { return enterWorkingFolder(installed, folder, error); }
  void startWell() {
    std::string error;
    ASSERT_TRUE(start(error)) << error;
    EXPECT_EQ(fs::current_path(), folder);
    fs::current_path(dir / "elsewhere");
  }
  bool linked(const std::string& name) {
    return fs::is_symlink(folder / "data" / name) && fs::read_symlink(folder / "data" / name) == installed / name;
  }
};

TEST_F(UserFolder, FirstStartCopiesTheSettingsAndLinksTheRest) {
  startWell();
  EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
  for (const char* name : {"conf.txt", "defvar.txt"}) {
    EXPECT_FALSE(fs::is_symlink(folder / "data" / name)) << name;
    EXPECT_EQ(readFile(folder / "data" / name), readFile(installed / name)) << name;
  }
  EXPECT_TRUE(linked("bg.png"));
  EXPECT_TRUE(linked("gift.png"));
}

TEST_F(UserFolder, LaterStartsKeepWhatThePlayerMadeAndMendTheLinks) {
  startWell();
  const fs::path data = folder / "data";
  writeFile(data / "conf.txt", "nice 800 600 window\n");
  writeFile(data / "toplist.dat", "list");
  fs::remove(data / "bg.png");
  writeFile(data / "bg.png", "the player's own background");
  fs::remove(data / "defvar.txt");
  fs::remove(data / "gift.png");
  writeFile(installed / "conf.txt", "a newer default\n");
  startWell();
  EXPECT_EQ(readFile(data / "conf.txt"), "nice 800 600 window\n");
  EXPECT_EQ(readFile(data / "toplist.dat"), "list");
  EXPECT_EQ(readFile(data / "bg.png"), "the player's own background");
  EXPECT_EQ(readFile(data / "defvar.txt"), "fullscreen 0\n");  // a missing copy comes back
  EXPECT_TRUE(linked("gift.png"));
}

TEST_F(UserFolder, AnUpgradeBringsNewFilesAndTakesRemovedOnesAway) {
  startWell();
  writeFile(installed / "boss.png", "boss");
  fs::remove(installed / "gift.png");
  startWell();
  EXPECT_TRUE(linked("boss.png"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "data/gift.png")));
  EXPECT_TRUE(linked("bg.png"));
}

TEST_F(UserFolder, AFolderThatCannotBeMadeIsOneMessageAndNoMove) {
  writeFile(dir / "home", "a file where the folder would go");
  std::string error;
  EXPECT_FALSE(start(error));
  EXPECT_EQ(error, "cannot make the folder " + (dir / "home/.local").string() + ": Not a directory");
  EXPECT_EQ(fs::current_path(), dir / "elsewhere");
}

TEST_F(UserFolder, AFolderWithDataIsUsedAsItIs) {
  fs::current_path(dir);  // the test's folder has data/, as the source tree has
  std::string error;
  EXPECT_TRUE(start(error));
  EXPECT_EQ(fs::current_path(), dir);
  EXPECT_FALSE(fs::exists(folder));
}

}  // namespace

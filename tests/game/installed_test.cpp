// The installed game: its command line and the player's folder.
#include "commandLine.h"
#include "userFolder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;

TEST(CommandLine, FilteringWordsPlayTheFirstOtherWordDecides) {
  const StartInfo info{"1.2.3", "/home/p/.local/share/giftguard", "/usr/share/games/giftguard"};
  struct Row {
    std::vector<const char*> words;
    int status;
    std::string out, err;  // parts each must hold
  };
  const Row rows[] = {
      {{}, -1, "", ""},
      {{"-nf", "-fullscreen", "nice", "F"}, -1, "", ""},
      {{"-n", "--version"}, 0, "giftguard 1.2.3\n", ""},
      {{"--help", "-x"}, 0, "  /home/p/.local/share/giftguard\n", ""},
      {{"--help"}, 0, "  /usr/share/games/giftguard\n", ""},
      {{"-x"}, 2, "", "giftguard: unknown argument '-x'\nusage: giftguard"},
      {{"--fullscreen"}, 2, "", "unknown argument '--fullscreen'"},
      {{"-n", "", "--help"}, 2, "", "unknown argument ''"},
  };
  for (const Row& row : rows) {
    std::vector<const char*> argv{"giftguard"};
    argv.insert(argv.end(), row.words.begin(), row.words.end());
    const Answer answer = answerCommandLine(int(argv.size()), argv.data(), info);
    SCOPED_TRACE(row.words.empty() ? "(none)" : row.words[0]);
    EXPECT_EQ(answer.status, row.status);
    EXPECT_NE(answer.out.find(row.out), std::string::npos) << answer.out;
    EXPECT_NE(answer.err.find(row.err), std::string::npos) << answer.err;
    EXPECT_TRUE(answer.status == 2 ? answer.out.empty() : answer.err.empty());
  }
}

#ifndef _WIN32  // the player's folder as Linux has it: XDG's paths, links to the install, owners
TEST(UserFolderFor, XdgDataHomeFirstThenHome) {
  EXPECT_EQ(userFolderFor("/x/data", "/home/p"), "/x/data/giftguard");
  EXPECT_EQ(userFolderFor("relative", "/home/p"), "/home/p/.local/share/giftguard");
  EXPECT_EQ(userFolderFor("", "relative") + userFolderFor(nullptr, nullptr), "");
}

// An install of two settings files and two pictures; the player's folder; a start from elsewhere.
class UserFolder : public TempDirTest {
protected:
  fs::path installed, folder, data;
  void SetUp() override {
    TempDirTest::SetUp();
    installed = dir / "usr/share/games/giftguard";
    folder = dir / "home/.local/share/giftguard";
    data = folder / "data";
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
    return fs::is_symlink(data / name) && fs::read_symlink(data / name) == installed / name;
  }
};

TEST_F(UserFolder, FirstStartCopiesTheSettingsAndLinksTheRestAndAnUpgradeFollows) {
  fs::permissions(installed / "conf.txt", fs::perms::owner_read | fs::perms::group_read);  // installed read-only
  startWell();
  EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
  for (const char* name : {"conf.txt", "defvar.txt"})  // copies the player may edit
    EXPECT_TRUE(!fs::is_symlink(data / name) && readFile(data / name) == readFile(installed / name) &&
                (fs::status(data / name).permissions() & fs::perms::owner_write) != fs::perms::none)
        << name;
  EXPECT_TRUE(linked("bg.png") && linked("gift.png"));
  writeFile(installed / "boss.png", "boss");
  fs::remove(installed / "gift.png");
  startWell();
  EXPECT_TRUE(linked("boss.png") && linked("bg.png"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(data / "gift.png")));
}

TEST_F(UserFolder, LaterStartsKeepWhatThePlayerMadeAndMendTheLinks) {
  startWell();
  writeFile(data / "conf.txt", "nice 800 600 window\n");
  writeFile(data / "toplist.dat", "list");
  fs::remove(data / "bg.png");
  writeFile(data / "bg.png", "the player's own background");
  fs::remove(data / "defvar.txt");
  fs::create_symlink(dir / "unmounted/defvar.txt", data / "defvar.txt");  // on a drive not mounted now
  fs::remove(data / "gift.png");
  writeFile(installed / "conf.txt", "a newer default\n");
  startWell();
  EXPECT_EQ(readFile(data / "conf.txt") + readFile(data / "toplist.dat") + readFile(data / "bg.png"),
            "nice 800 600 window\nlistthe player's own background");
  EXPECT_EQ(fs::read_symlink(data / "defvar.txt"), dir / "unmounted/defvar.txt");
  EXPECT_TRUE(linked("gift.png"));
}

TEST_F(UserFolder, AFolderThatCannotBeMadeIsOneMessageAndNoMove) {
  writeFile(dir / "home", "a file where the folder would go");
  std::string error;
  EXPECT_FALSE(start(error));
  EXPECT_EQ(error, "cannot make the folder " + (dir / "home/.local").string() + ": Not a directory");
  EXPECT_FALSE(enterWorkingFolder((dir / "none").string(), folder.string(), error));  // nothing installed
  EXPECT_EQ(fs::current_path(), dir / "elsewhere");
  fs::current_path(dir);  // a folder with data/: only a program that is not installed works there
  EXPECT_FALSE(start(error));
  EXPECT_TRUE(enterWorkingFolder((dir / "none").string(), folder.string(), error));
  EXPECT_EQ(fs::current_path(), dir);
  EXPECT_FALSE(fs::exists(folder));
}

// Others' write permission is taken away; another user's folder is refused.
TEST_F(UserFolder, OnlyAFolderOfThePlayersOwnIsUsedAndItIsMadePrivate) {
  startWell();
  fs::permissions(folder, fs::perms::all);
  fs::permissions(data, fs::perms::all);
  startWell();
  EXPECT_EQ(fs::status(folder).permissions() | fs::status(data).permissions(), fs::perms::owner_all);
  if (chown(data.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "giving a folder away needs root";
  std::string error;
  EXPECT_FALSE(start(error));
  EXPECT_EQ(error, "the folder " + data.string() +
                       " belongs to another user; the game keeps your files only in a folder of your own");
}

#endif
}  // namespace

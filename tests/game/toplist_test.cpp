// The top list; under a kill, a failed save or an unreadable list the file holds a whole list.
#include "modTopList.h"

#include <kro/cfr.h>
#include <kro/keys.h>
#include <kro/modPrompt.h>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>

#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
const std::string file = ModTopList::fileName();

// The saves' temporaries beside the list: none may outlive its save.
[[maybe_unused]] std::vector<fs::path> temporaries() {  // unused on Windows
  std::vector<fs::path> found;
  for (const auto& entry : fs::directory_iterator("data"))
    if (entry.path().filename().string().rfind("toplist.dat.tmp", 0) == 0) found.push_back(entry.path());
  return found;
}

class TopList : public TempDirTest {
protected:
  ModTopList* list = nullptr;
  void SetUp() override {
    TempDirTest::SetUp();
    Cfr::I()->echo("a test starts", 0);  // what a test finds reported is its own, not the test's before
    list = ModTopList::I();
    list->loadFile();
    nextMod = nullptr;
  }
  // A result through the prompt, as the survival game hands it over.
  void enterResult(unsigned score, const std::string& keys) {
    list->add(score);
    if (auto* prompt = dynamic_cast<ModPrompt*>(nextMod)) {
      for (char key : keys) prompt->keydown(key);
      prompt->keydown(vk::RETURN);
      nextMod->init();
    }
    nextMod = nullptr;
  }
  std::pair<unsigned, unsigned> topTwo() { return {list->entry(0).score, list->entry(1).score}; }
  // Whether the message `record` back is an error holding text.
  static bool reported(const std::string& text, unsigned record = 0) {
    return Cfr::I()->lineLevel(record) == 3 && std::string(Cfr::I()->lineText(record)).find(text) != std::string::npos;
  }
};

TEST_F(TopList, ResultsSortInAndTheFileHoldsSixteenEntries) {
  enterResult(0, "ZZ");  // a total of 0 does not beat sixteen empty places
  EXPECT_EQ(nextMod, nullptr);
  EXPECT_FALSE(fs::exists(file));
  enterResult(7, std::string(4, char(vk::BACKSPACE)) + "ABCDE");  // four letters fit
  enterResult(7, "");                                             // the prompt offers the name typed last time
  enterResult(9, std::string(4, char(vk::BACKSPACE)) + "CDEF");
  // The chunk format's text form, sixteen places: the name as four hexadecimal bytes, the score a decimal.
  const std::string text = readFile(file);
  EXPECT_EQ(text.substr(0, text.find("\t<C_EN>")),
            "\t<A_EN>\n\t\t<NAME>\n\t\t\t63 64 65 66 \n\t\t</NAME>\n\t\t<SCOR>\n\t\t\t9 \n\t\t</SCOR>\n\t</A_EN>\n"
            "\t<B_EN>\n\t\t<NAME>\n\t\t\t61 62 63 64 \n\t\t</NAME>\n\t\t<SCOR>\n\t\t\t7 \n\t\t</SCOR>\n\t</B_EN>\n");
  EXPECT_EQ(text.substr(text.find("\t<P_EN>")),
            "\t<P_EN>\n\t\t<NAME>\n\t\t\t 0  0  0  0 \n\t\t</NAME>\n\t\t<SCOR>\n\t\t\t0 \n\t\t</SCOR>\n\t</P_EN>\n");
  list->loadFile();
  EXPECT_EQ(std::make_tuple(list->entry(0).score, list->entry(1).score, list->entry(2).score),
            std::make_tuple(9u, 7u, 7u));
  EXPECT_EQ(std::string(list->entry(0).name, 4), "cdef");  // four bytes and no terminator
}

// Each in turn where the list should be; none of them may be lost.
TEST_F(TopList, EveryUnreadableListIsKeptAsideUnderItsOwnNameAndTheGameGoesOn) {
  // nullptr: a folder in its place, which no permission makes readable.
  const std::pair<const char*, std::string> damaged[] = {{"<A_EN>\n\t<NAME>ab", ".bad"},
                                                         {"<B_EN>", ".bad.1"},
                                                         {nullptr, ".bad.2"}};
  for (const auto& [bytes, suffix] : damaged) {
    SCOPED_TRACE(suffix);
    if (bytes)
      writeFile(file, bytes);
    else
      fs::create_directory(file);
    list->loadFile();
    EXPECT_TRUE(list->entry(0).score == 0 && !fs::exists(file));
    EXPECT_TRUE(reported("kept as " + file + suffix) && reported("can not read " + file, 1));
  }
  EXPECT_TRUE(readFile(file + ".bad") == damaged[0].first && readFile(file + ".bad.1") == damaged[1].first);
  EXPECT_TRUE(fs::is_directory(file + ".bad.2"));
  list->keydown('s');  // with the damaged list out of the way a new one is saved, by a capital S only
  EXPECT_FALSE(fs::exists(file));
  list->keydown('S');
  EXPECT_TRUE(fs::is_regular_file(file));
  for (int n = 3; n < 1000; ++n) writeFile(file + ".bad." + std::to_string(n), "");
  writeFile(file, "<C_EN>");  // with every name taken, it stays where it is
  list->loadFile();
  EXPECT_TRUE(reported("no free name up to " + file + ".bad.999; it will not be saved over"));
}

#ifndef _WIN32  // links, modes, forked copies of the game, mounts, limits and users are Linux's
// A save writes through a link and keeps the file's mode; a file made read-only is refused.
TEST_F(TopList, ASaveKeepsWhatThePlayerSetUpAroundTheFile) {
  fs::create_directory("synced");
  writeFile("synced/list", "");
  fs::permissions("synced/list", fs::perms(0640));
  fs::create_symlink("../synced/list", file);
  enterResult(5, "LINK");
  const std::string old = readFile("synced/list");
  EXPECT_TRUE(fs::is_symlink(file) && fs::status(file).permissions() == fs::perms(0640) && !old.empty());
  fs::permissions("synced/list", fs::perms(0444));
  enterResult(6, "NEW");
  EXPECT_TRUE(readFile(file) == old && reported("can not open file") && reported("the old list stays"));
  EXPECT_EQ(std::distance(fs::directory_iterator("synced"), {}), 1) << "a temporary left beside the target";
}

// Four letters that follow from the score, so that every entry can be checked.
std::string nameOf(unsigned score) {
  std::string name;
  for (int i = 0; i < 4; ++i, score /= 26) name += char('a' + score % 26);
  return name;
}

class TopListCrash : public TopList {
protected:
  // The offered name erased and the score's own name typed in capitals.
  void enterResult(unsigned score) {
    std::string keys(4, char(vk::BACKSPACE));
    for (char c : nameOf(score)) keys += char(c - 'a' + 'A');
    TopList::enterResult(score, keys);
  }
  // Runs body in a child process, which prints its failures; skipped when body could not set up.
  void expectInChild(const std::function<bool()>& body) {
    std::fflush(nullptr);  // nothing buffered may be written twice
    const pid_t pid = fork();
    if (pid == 0) {
      const bool ran = body();
      std::fflush(nullptr);
      _exit(!ran ? 77 : HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "the fault cannot be arranged here";
    EXPECT_EQ(status, 0) << "see the child's output above";
  }
  // In a child: a save after fault() fails with reason, keeping the old file; after repair() one succeeds.
  void expectFailedSaveKeepsOldList(const std::function<bool()>& prepare, const std::function<bool()>& fault,
                                    const std::function<void()>& repair, const char* reason) {
    expectInChild([&] {
      if (!prepare()) return false;
      enterResult(5);
      const std::string old = readFile(file);
      EXPECT_FALSE(old.empty());
      EXPECT_TRUE(fault()) << "the fault did not take";
      enterResult(6);
      EXPECT_TRUE(readFile(file) == old && temporaries().empty());
      EXPECT_TRUE(reported("the old list stays") && reported(reason)) << Cfr::I()->lineText(0);
      repair();
      list->keydown('S');
      list->loadFile();
      EXPECT_EQ(topTwo(), std::make_pair(6u, 5u));
      return true;
    });
  }
};

// A child saves 1, 2, 3, ... reporting each through a pipe, and is killed at random; the
// temporary it leaves shows that a kill landed inside a save.
TEST_F(TopListCrash, AKillDuringSavingLeavesTheOldListOrTheNew) {
  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> delay(0, 3000);  // microseconds
  int insideSave = 0;
  for (int round = 0; round < 500; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    std::fflush(nullptr);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(report[0]);
      list->loadFile();
      for (unsigned score = list->entry(0).score;; enterResult(++score))
        if (write(report[1], &score, sizeof score) != sizeof score) _exit(2);
    }
    close(report[1]);
    unsigned score = 0, reported = 0;
    ASSERT_EQ(read(report[0], &score, sizeof score), ssize_t(sizeof score)) << "the saver did not start";
    usleep(useconds_t(delay(random)));
    kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the saver ended by itself: " << status;
    for (reported = score; read(report[0], &score, sizeof score) == sizeof score;) reported = score;
    close(report[0]);
    for (const fs::path& left : temporaries()) insideSave += fs::remove(left);

    list->loadFile();
    ASSERT_FALSE(fs::exists(file + ".bad")) << "the list did not load";
    const unsigned top = list->entry(0).score;
    ASSERT_TRUE(top == reported || top == reported + 1) << "the file holds " << top << " after " << reported;
    for (unsigned i = 0; i < ModTopList::places; ++i) {  // top, top-1, ... and empty places below 1
      const unsigned expected = top > i ? top - i : 0;
      ASSERT_EQ(std::make_pair(list->entry(i).score, std::string(list->entry(i).name, 4)),
                std::make_pair(expected, expected ? nameOf(expected) : std::string(4, '\0')));
    }
    if (top > 0) {
      list->save("written.dat");
      ASSERT_EQ(readFile(file), readFile("written.dat"));
    }
  }
  std::printf("500 kills, %d inside a save\n", insideSave);
  EXPECT_GT(insideSave, 0) << "no kill landed inside a save";
}

// Two copies of the game at once: both find a damaged list, then both save it 40 times over.
TEST_F(TopListCrash, TwoCopiesAtOnceLoseNothing) {
  const auto together = [](const std::function<bool(unsigned)>& body) {
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    std::fflush(nullptr);
    pid_t copies[2];
    for (unsigned copy = 0; copy < 2; ++copy)
      if ((copies[copy] = fork()) == 0) {
        char go;
        close(start[1]);
        _exit(read(start[0], &go, 1) == 0 && body(copy) ? 0 : 1);  // both start when the pipe closes
      }
    close(start[0]);
    close(start[1]);
    int status = 1;
    for (pid_t copy : copies)
      EXPECT_TRUE(waitpid(copy, &status, 0) == copy && status == 0) << "a copy failed: see its output";
  };
  for (int round = 0; round < 20; ++round) {  // each damaged list kept once, under the next name
    writeFile(file, "<A_EN>" + std::to_string(round));
    together([&](unsigned) { return list->loadFile(), !reported("not be saved over"); });
  }
  EXPECT_EQ(readFile(file + ".bad.19"), "<A_EN>19");
  together([&](unsigned copy) {
    for (unsigned score = 1; score <= 40; ++score) {
      enterResult(100 * copy + score);
      if (reported("the old list stays")) return false;
    }
    return true;
  });
  list->loadFile();
  EXPECT_FALSE(fs::exists(file + ".bad.20"));
  EXPECT_TRUE(topTwo() == std::make_pair(40u, 39u) || topTwo() == std::make_pair(140u, 139u));
  EXPECT_TRUE(temporaries().empty());
}

// A small tmpfs on data/ in the child's own mount namespace.
bool mountSmallDisk() {
  return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         mount("tmpfs", "data", "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,nr_inodes=64") == 0;
}
bool fillWithBytes() {
  const int fd = open("data/filler0", O_CREAT | O_WRONLY, 0644);
  const std::string block(4096, 'f');
  while (write(fd, block.data(), block.size()) > 0) continue;
  const bool full = errno == ENOSPC;
  close(fd);
  return full;
}
bool fillWithFiles() {
  for (int i = 0;; ++i) {
    const int fd = open(("data/filler" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd < 0) return errno == ENOSPC;
    close(fd);
  }
}

TEST_F(TopListCrash, ASaveIntoAFullDiskKeepsTheOldList) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
  const auto removeFillers = [] {
    for (int i = 0; fs::remove("data/filler" + std::to_string(i));) ++i;
  };
  for (bool (*fill)() : {fillWithBytes, fillWithFiles}) {
    SCOPED_TRACE(fill == fillWithBytes ? "filled with bytes" : "filled with files");
    expectFailedSaveKeepsOldList(mountSmallDisk, fill, removeFillers, "No space left on device");
  }
}

// The same through a file size limit, which needs no privileges.
TEST_F(TopListCrash, ASaveOverTheFileSizeLimitKeepsTheOldList) {
  const auto limit = [](rlim_t bytes) {
    rlimit size{};
    getrlimit(RLIMIT_FSIZE, &size);
    size.rlim_cur = bytes;
    return setrlimit(RLIMIT_FSIZE, &size) == 0;
  };
  expectFailedSaveKeepsOldList([] { return signal(SIGXFSZ, SIG_IGN) != SIG_ERR; }, [&] { return limit(512); },
                               [&] { limit(RLIM_INFINITY); }, "File too large");
}

// A list that cannot be moved aside is never saved over. Root reads anything: the child becomes nobody.
TEST_F(TopListCrash, AListThatCannotBeReadIsNeverSavedOver) {
  const std::string aside = file + ".bad";
  expectInChild([&] {
    const uid_t nobody = 65534;
    if (geteuid() == 0 && !(chown(".", nobody, nobody) == 0 && chown("data", nobody, nobody) == 0 &&
                            setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0))
      return false;
    enterResult(5);
    const std::string five = readFile(file);
    chmod(file.c_str(), 0);
    list->loadFile();
    EXPECT_TRUE(reported("Permission denied", 1)) << Cfr::I()->lineText(1);
    EXPECT_TRUE(reported(aside)) << Cfr::I()->lineText(0);
    enterResult(6);
    chmod(aside.c_str(), 0600);
    EXPECT_EQ(readFile(aside), five);

    const std::string six = readFile(file);
    chmod(file.c_str(), 0);
    chmod("data", 0555);
    list->loadFile();
    EXPECT_EQ(Cfr::I()->lineLevel(0), 3);
    chmod("data", 0755);
    enterResult(7);
    EXPECT_TRUE(reported("the old list stays")) << Cfr::I()->lineText(0);
    chmod(file.c_str(), 0600);
    EXPECT_EQ(readFile(file), six);
    EXPECT_FALSE(fs::exists(aside + ".1"));
    return true;
  });
}

#endif
}  // namespace

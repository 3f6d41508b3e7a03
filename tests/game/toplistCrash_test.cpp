// Tests of the top list under faults.
//
// The top list under faults: a program killed while it saves, a save that
// cannot be written, a list that cannot be read. Each must leave a whole list
// in the file, the old or the new, and never lose one it could not read.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>

#include "game_support.h"

namespace {

const std::string temporary = std::string(ModTopList::fileName()) + ".tmp";

// Four letters that follow from the score, so that every entry can be checked.
std::string nameOf(unsigned score) {
  std::string name;
  for (int i = 0; i < 4; ++i, score /= 26) name += char('a' + score % 26);
  return name;
}

// The list after the results 1..top: top, top-1, ... with their names, and
// empty places below 1.
::testing::AssertionResult holdsResultsUpTo(unsigned top) {
  for (unsigned i = 0; i < ModTopList::places; ++i) {
    const unsigned score = top > i ? top - i : 0;
    const TopListItem& entry = ModTopList::I()->entry(i);
    if (entry.score != score || std::string(entry.name, 4) != (score ? nameOf(score) : std::string(4, '\0')))
      return ::testing::AssertionFailure()
             << "place " << i << " holds " << entry.score << " for the top result " << top;
  }
  return ::testing::AssertionSuccess();
}

// Runs body in a child process: 0 when it passed, 1 when an expectation failed
// there (the child prints which), skipped when body could not set up.
constexpr int skipped = 77;
int inChild(const std::function<bool()>& body) {
  std::fflush(nullptr);  // nothing buffered may be written twice
  const pid_t pid = fork();
  if (pid == 0) {
    const bool ran = body();
    std::fflush(nullptr);
    _exit(!ran ? skipped : ::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class TopListCrash : public TopListTest {
protected:
  // The offered name erased and the score's own name typed in capitals.
  void enterResult(unsigned score) {
    std::string keys(4, char(vk::BACKSPACE));
    for (char c : nameOf(score)) keys += char(c - 'a' + 'A');
    TopListTest::enterResult(score, keys);
  }

  // In a child: prepare(), a first save, then fault() so that the next save
  // fails; it must report reason and leave the old file alone, and once
  // repair() has run the one after must succeed.
  void expectFailedSaveKeepsOldList(const std::function<bool()>& prepare, const std::function<bool()>& fault,
                                    const std::function<void()>& repair, const char* reason) {
    const int result = inChild([&] {
      if (!prepare()) return false;
      enterResult(5);
      const std::string old = readFile(ModTopList::fileName());
      EXPECT_FALSE(old.empty());
      EXPECT_TRUE(fault()) << "the fault did not take";
      enterResult(6);
      EXPECT_EQ(readFile(ModTopList::fileName()), old);
      EXPECT_FALSE(std::filesystem::exists(temporary));
      EXPECT_EQ(Cfr::I()->lineLevel(0), 3);
      const std::string line = Cfr::I()->lineText(0);
      EXPECT_NE(line.find("the old list stays"), std::string::npos) << line;
      EXPECT_NE(line.find(reason), std::string::npos) << line;
      repair();
      list->keydown('S');
      list->loadFile();
      EXPECT_EQ(topScores(), (std::vector<unsigned>{6, 5}));
      return true;
    });
    if (result == skipped) GTEST_SKIP() << "the fault cannot be arranged here";
    EXPECT_EQ(result, 0) << "see the child's output above";
  }
  std::vector<unsigned> topScores() { return {list->entry(0).score, list->entry(1).score}; }
};

// A child saves results 1, 2, 3, ... without end, reporting each finished save
// through a pipe, and is killed at a random moment. The file must then load and
// hold the last reported list or the next, byte for byte as the list saves
// itself. A junk temporary is left before each child, as a crash would leave
// one, so that a kill inside a save shows as a changed temporary.
TEST_F(TopListCrash, AKillDuringSavingLeavesTheOldListOrTheNew) {
  const std::string junk(3000, '<');
  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> delay(0, 3000);  // microseconds
  int insideSave = 0;

  for (int round = 0; round < 500; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    writeFile(temporary, junk);
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
    unsigned score = 0;
    ASSERT_EQ(read(report[0], &score, sizeof score), ssize_t(sizeof score)) << "the saver did not start";
    usleep(useconds_t(delay(random)));
    kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the saver ended by itself: " << status;

    unsigned reported = score;
    while (read(report[0], &score, sizeof score) == sizeof score) reported = score;
    close(report[0]);
    if (std::filesystem::exists(temporary) && readFile(temporary) != junk) ++insideSave;

    list->loadFile();
    ASSERT_FALSE(std::filesystem::exists(std::string(ModTopList::fileName()) + ".bad")) << "the list did not load";
    const unsigned top = list->entry(0).score;
    ASSERT_TRUE(top == reported || top == reported + 1) << "the file holds " << top << " after " << reported;
    ASSERT_TRUE(holdsResultsUpTo(top));
    if (top > 0) {
      list->save("written.dat");
      ASSERT_EQ(readFile(ModTopList::fileName()), readFile("written.dat"));
    }
  }
  std::printf("500 kills, %d inside a save\n", insideSave);
  EXPECT_GT(insideSave, 0) << "no kill landed inside a save";
}

// A small tmpfs on data/, in a mount namespace of the child's own, filled up:
// with bytes, so that the temporary cannot be written, or with files, so that
// it cannot even be created.
bool mountSmallDisk() {
  return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         mount("tmpfs", "data", "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,nr_inodes=64") == 0;
}

bool fillWithBytes() {
  const int fd = open("data/filler0", O_CREAT | O_WRONLY, 0644);
  const std::string block(4096, 'f');
  while (write(fd, block.data(), block.size()) > 0) {
  }
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

void removeFillers() {
  for (int i = 0; std::filesystem::remove("data/filler" + std::to_string(i)); ++i) {
  }
}

TEST_F(TopListCrash, ASaveIntoAFullDiskKeepsTheOldList) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
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

// Root reads and renames whatever the permissions say: a child that is root
// becomes nobody, owner of the test folder, for whom they hold.
bool asOrdinaryUser() {
  if (geteuid() != 0) return true;
  const uid_t nobody = 65534;
  return chown(".", nobody, nobody) == 0 && chown("data", nobody, nobody) == 0 && setgroups(0, nullptr) == 0 &&
         setgid(nobody) == 0 && setuid(nobody) == 0;
}

// A list without read permission is kept aside; where it cannot be moved, the
// list refuses to save over it, even once the folder would allow that.
TEST_F(TopListCrash, AListThatCannotBeReadIsNeverSavedOver) {
  const std::string file = ModTopList::fileName(), aside = file + ".bad";
  const auto line = [](unsigned record) { return std::string(Cfr::I()->lineText(record)); };
  const int result = inChild([&] {
    if (!asOrdinaryUser()) return false;
    enterResult(5);
    const std::string five = readFile(file);
    chmod(file.c_str(), 0);
    list->loadFile();
    EXPECT_NE(line(1).find("Permission denied"), std::string::npos) << line(1);
    EXPECT_TRUE(Cfr::I()->lineLevel(0) == 3 && line(0).find(aside) != std::string::npos) << line(0);
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
    EXPECT_EQ(Cfr::I()->lineLevel(0), 3);
    EXPECT_NE(line(0).find("the old list stays"), std::string::npos) << line(0);
    chmod(file.c_str(), 0600);
    EXPECT_EQ(readFile(file), six);
    EXPECT_FALSE(std::filesystem::exists(aside + ".1"));
    return true;
  });
  if (result == skipped) GTEST_SKIP() << "root cannot become an ordinary user here";
  EXPECT_EQ(result, 0) << "see the child's output above";
}

}  // namespace

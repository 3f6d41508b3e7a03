// Tests of the profiler's trace.
#include <tessel/proof.h>

#include <sys/wait.h>
#include <unistd.h>

#include "support/tempdir.h"

// Runs the body in a child, as the trace is a process-wide singleton; true when it exited 0.
template <typename F> bool inChild(F body) {
  fflush(nullptr);
  if (pid_t pid = fork(); pid != 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  body();
  Proof::I()->flush();
  _exit(0);
}

class ProofTrace : public TempDirTest {};

// Ends with exit() without a flush of its own, or with a crash: the file must be complete all the same.
TEST_F(ProofTrace, EntriesAndExitsWriteTheOpenScopesExceptionsIncluded) {
  for (void (*end)() : {+[] { std::exit(0); }, +[] { std::abort(); }}) {
    inChild([end] {
      {
        ProofOb outer("A");
        try {
          ProofOb inner("B");
          throw "boom";
        } catch (const char*) {
        }
      }
      end();
    });
    EXPECT_EQ(readFile("proof.txt"), "=> A \n=> A => B \n=> A \n\n");
  }
}

TEST_F(ProofTrace, StopPopsTheInnermostWhateverTheName) {
  ASSERT_TRUE(inChild([] {
    close(0);  // the trace then gets descriptor 0, which is as good as any
    Proof::I()->start("A");
    Proof::I()->start("A");
    Proof::I()->stop("B");
    Proof::I()->save();
    Proof::I()->stop("A");
    if (thrownMessage([] { Proof::I()->stop("A"); }) != "pop from empty stack") _exit(1);
    delete Proof::I();  // an empty trace ends cleanly
    _exit(0);
  }));
  EXPECT_EQ(readFile("proof.txt"), "=> A \n");
}

// Without its file the trace is off, and the program goes on.
TEST_F(ProofTrace, AFileThatCannotBeCreatedDisablesTheTrace) {
  std::filesystem::create_directory("proof.txt");
  ASSERT_TRUE(inChild([] {
    { ProofOb a("A"); }
    if (thrownMessage([] { Proof::I()->stop("A"); }) != "pop from empty stack") _exit(1);  // untraced, as traced
  }));
  EXPECT_TRUE(std::filesystem::is_directory("proof.txt"));
  std::filesystem::remove("proof.txt");
  writeFile("victim", "kept");
  std::filesystem::create_symlink("victim", "proof.txt");  // planted by someone else: never followed
  ASSERT_TRUE(inChild([] { ProofOb a("A"); }));
  EXPECT_EQ(readFile("victim"), "kept");
}

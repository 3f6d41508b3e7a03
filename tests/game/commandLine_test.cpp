// The command line's own options beside the shell's filtering letters.
#include "commandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(CommandLine, FilteringWordsPlayTheFirstOtherWordDecides) {
  const StartInfo info{"1.2.3", "/home/p/.local/share/giftguard", "/usr/share/games/giftguard"};
  struct Row {
    std::vector<const char*> words;
    int status;
    std::string out, err;  // parts each must hold
  };
  const Row rows[] = {
      {{}, -1, "", ""},
      {{"-n"}, -1, "", ""},
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
    const std::string line = row.words.empty() ? "(none)" : row.words[0];
    EXPECT_EQ(answer.status, row.status) << line;
    EXPECT_NE(answer.out.find(row.out), std::string::npos) << line << ": " << answer.out;
    EXPECT_NE(answer.err.find(row.err), std::string::npos) << line << ": " << answer.err;
    EXPECT_TRUE(answer.status == 2 ? answer.out.empty() : answer.err.empty()) << line;
  }
}

}  // namespace

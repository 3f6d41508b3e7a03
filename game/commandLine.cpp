// The answers to --help, --version and unknown words on the command line.
#include "commandLine.h"

#include <cstring>

namespace {

const char* const usage = "usage: giftguard [--help | --version | LETTERS...]\n";

bool filteringWord(const char* word) {
  return std::strncmp(word, "--", 2) != 0 && std::strpbrk(word, "nNfF") != nullptr;
}

std::string help(const StartInfo& info) {
  return "giftguard " + info.version + ": guard two gifts with the mouse from the figures that come for them.\n\n" +
         usage +
         "\n"
         "  --help     this text\n"
         "  --version  the version\n"
         "  LETTERS    any other word with n, N, f or F in it: n and N turn smooth texture\n"
         "             filtering on, f and F off; the last such letter wins (-n, -f, -nf)\n"
         "\n"
         "The installed game keeps your files in your own folder\n"
         "  " +
         (info.userFolder.empty() ? "(none: set HOME or XDG_DATA_HOME)" : info.userFolder) +
         "\n"
         "wherever it is started: your copies of data/conf.txt (texture filtering,\n"
         "width, height, window or full) and data/defvar.txt (default variables,\n"
         "fullscreen among them), the log data/log.txt, the top list data/toplist.dat\n"
         "and the trace proof.txt. The folder must be yours alone: one that belongs to\n"
         "another user is refused. The pictures, story pages and demo script are\n"
         "linked there from the installed data\n"
         "  " +
         (info.installed.empty() ? "(unknown)" : info.installed) +
         "\n"
         "A program that is not installed (no data there: the build in the source\n"
         "tree, a portable copy) reads and writes the data/ of the folder it is\n"
         "started in instead.\n"
         "In the game, the grave key (`) opens the console; `help` lists its commands.\n";
}

}  // namespace

Answer answerCommandLine(int argc, const char* const* argv, const StartInfo& info) {
  Answer answer;
  for (int i = 1; i < argc; ++i) {
    const char* word = argv[i];
    if (filteringWord(word)) continue;
    if (std::strcmp(word, "--help") == 0) {
      answer.status = 0;
      answer.out = help(info);
    } else if (std::strcmp(word, "--version") == 0) {
      answer.status = 0;
      answer.out = "giftguard " + info.version + "\n";
    } else {
      answer.status = 2;
      answer.err = "giftguard: unknown argument '" + std::string(word) + "'\n" + usage +
                   "Try 'giftguard --help' for more.\n";
    }
    return answer;
  }
  return answer;
}

// The answers to --help, --version and unknown words on the command line.
#include "commandLine.h"

#include <cstring>

namespace {

const char* const usage = "usage: giftguard [--help | --version | LETTERS...]\n";

bool filteringWord(const char* word) {
  return std::strncmp(word, "--", 2) != 0 && std::strpbrk(word, "nNfF") != nullptr;
}

#ifdef _WIN32
const char* const noUserFolder = "(none: set APPDATA)";
const char* const notYours = "a link to\nelsewhere";
const char* const placed = "copied";
const char* const notInstalled = "the build in the\nsource tree";
#else
const char* const noUserFolder = "(none: set HOME or XDG_DATA_HOME)";
const char* const notYours = "one that belongs to\nanother user";
const char* const placed = "linked";
const char* const notInstalled = "the build in the source\ntree, a portable copy";
#endif

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
         (info.userFolder.empty() ? noUserFolder : info.userFolder) +
         "\n"
         "wherever it is started: your copies of data/conf.txt (texture filtering,\n"
         "width, height, window or full) and data/defvar.txt (default variables,\n"
         "fullscreen among them), the log data/log.txt, the top list data/toplist.dat\n"
         "and the trace proof.txt. The folder must be yours alone: " +
         notYours + " is refused. The pictures, story pages and demo script are\n" + placed +
         " there from the installed data\n"
         "  " +
         (info.installed.empty() ? "(unknown)" : info.installed) +
         "\n"
         "A program that is not installed (no data there: " +
         notInstalled +
         ") reads and writes the data/ of the folder it is\n"
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

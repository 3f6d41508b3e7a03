#pragma once
// The command line's own options, answered before the game starts: --help,
// --version, and the check that every other word is one of filtering letters.

#include <string>

// What the help names: the version and the two folders the game may use.
struct StartInfo {
  std::string version, userFolder, installed;
};

// Text for standard output and standard error, and the exit status; a status
// of -1 means that the game is to be played.
struct Answer {
  int status = -1;
  std::string out, err;
};

// The shell reads texture filtering from every n, N, f and F on the line, so a
// word is good when it holds one of them and does not begin with "--" (-n, -nf,
// -fullscreen, nice). The first word that is not decides: --help and --version
// answer, anything else is unknown (the usage, status 2).
Answer answerCommandLine(int argc, const char* const* argv, const StartInfo& info);

// The program's entry: its own command-line options, the folder it works in, then the shell.
#include "commandLine.h"
#include "shell.h"
#include "userFolder.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>

// A GUI program has no console of its own: its answers go to the console it was
// started from, unless they are redirected already.
void answerInParentConsole() {
  const bool out = GetStdHandle(STD_OUTPUT_HANDLE) != nullptr, err = GetStdHandle(STD_ERROR_HANDLE) != nullptr;
  if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!out) std::freopen("CONOUT$", "w", stdout);
  if (!err) std::freopen("CONOUT$", "w", stderr);
}
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  const std::string userFolder = userFolderFor(appDataFolder().c_str());
#else
  const std::string userFolder = userFolderFor(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
#endif
  const StartInfo info{GIFTGUARD_VERSION, userFolder, installedDataFolder(GIFTGUARD_DATA_FROM_PROGRAM)};
  const Answer answer = answerCommandLine(argc, argv, info);
#ifdef _WIN32
  if (answer.status >= 0) answerInParentConsole();
#endif
  std::fputs(answer.out.c_str(), stdout);
  std::fputs(answer.err.c_str(), stderr);
  if (answer.status >= 0) return answer.status;

  std::string error;
  if (!enterWorkingFolder(info.installed, info.userFolder, error)) {
    std::fprintf(stderr, "giftguard: %s\n", error.c_str());
    return 1;
  }
  return winMain(argc, argv);
}

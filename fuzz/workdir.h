#pragma once
// A private working folder for the fuzzers that write files.
//
// A private working folder for the fuzzers that write files: made once under
// /tmp, entered, and removed again when the fuzzer ends normally (a crash keeps
// it, with the files of the input that crashed).
//
// libFuzzer reads its corpus folders and writes what it finds after start-up,
// relative to the working folder: the paths of the command line are made
// absolute first, and findings go to the folder the fuzzer was started in.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fuzzwork {

inline std::string& folder() {
  static std::string path;
  return path;
}

inline void removeFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(folder(), ignored);
}

// Corpus folders, and the flags that name a file or folder, made absolute.
inline void absolutePaths(int* argc, char*** argv, const std::string& here) {
  static std::vector<std::string> text;
  static std::vector<char*> pointers;
  static const char* const pathFlags[] = {"-artifact_prefix=", "-exact_artifact_path=", "-dict=",
                                          "-features_dir=",    "-merge_control_file=",  "-seed_inputs="};
  bool prefixed = false;
  text.assign(*argv, *argv + *argc);
  for (int i = 1; i < *argc; ++i) {
    std::string& arg = text[size_t(i)];
    if (arg.empty()) continue;
    if (arg[0] != '-') {
      if (arg[0] != '/') arg = here + "/" + arg;
      continue;
    }
    for (const char* flag : pathFlags) {
      const size_t length = std::strlen(flag);
      if (arg.compare(0, length, flag) != 0) continue;
      if (arg.size() > length && arg[length] != '/') arg.insert(length, here + "/");
      if (std::strcmp(flag, "-artifact_prefix=") == 0) prefixed = true;
    }
  }
  if (!prefixed) text.push_back("-artifact_prefix=" + here + "/");
  // libFuzzer insists on its own argv[0]; start these fuzzers by an absolute
  // path for the modes that start them again (-jobs, -fork, -merge).
  pointers.assign(1, (*argv)[0]);
  for (size_t i = 1; i < text.size(); ++i) pointers.push_back(text[i].data());
  pointers.push_back(nullptr);
  *argc = int(text.size());
  *argv = pointers.data();
}

// name becomes part of the folder's name, to tell the fuzzers' folders apart.
inline void enterPrivateFolder(const char* name, int* argc, char*** argv) {
  char here[4096];
  if (!getcwd(here, sizeof here)) std::abort();
  absolutePaths(argc, argv, here);
  std::string pattern = std::string("/tmp/giftguard-fuzz-") + name + "-XXXXXX";
  if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0) std::abort();
  folder() = pattern;
  std::atexit(removeFolder);
}

}  // namespace fuzzwork

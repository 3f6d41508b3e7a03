#pragma once
// Another program the suites compare with (grep -E, bc, ImageMagick's convert), run as a shell
// command that reads some files of the working folder and writes others; its exit status comes
// back. With GIFTGUARD_PEER_ANSWERS naming a folder, each call keeps its command, the files it
// read, its status and the files it wrote there, under the test's name and the call's number.
// Windows has none of these programs: there the kept answers of the Linux run are handed back
// (tools/windows_test.sh makes them first), and only when the command and every file it read are
// the same bytes as on Linux.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/wait.h>
#endif

inline int peer(const std::string& command, const std::vector<std::string>& reads = {},
                const std::vector<std::string>& writes = {}) {
  namespace fs = std::filesystem;
  static std::map<std::string, int> calls;
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = std::string(test->test_suite_name()) + "." + test->name();
  const char* answers = std::getenv("GIFTGUARD_PEER_ANSWERS");
  const fs::path kept = answers ? fs::path(answers) / name / std::to_string(calls[name]++) : fs::path();
  const auto copy = [](const fs::path& from, const fs::path& to) {
    if (fs::exists(from)) fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  };
#ifdef _WIN32
  const auto bytes = [](const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  if (!answers || bytes(kept / "command") != command)
    throw std::runtime_error("no answer of the Linux run for '" + command +
                             "' (tools/windows_test.sh hands them over)");
  for (const std::string& file : reads)
    if (bytes(kept / "read" / file) != bytes(file))
      throw std::runtime_error(file + " differs from what '" + command + "' read on Linux");
  for (const std::string& file : writes) copy(kept / "wrote" / file, file);
  return std::stoi(bytes(kept / "status"));
#else
  const int status = std::system(command.c_str());
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (answers) {
    fs::create_directories(kept / "read"), fs::create_directories(kept / "wrote");
    std::ofstream(kept / "command", std::ios::binary) << command;
    std::ofstream(kept / "status") << code;
    for (const std::string& file : reads) copy(file, kept / "read" / file);
    for (const std::string& file : writes) copy(file, kept / "wrote" / file);
  }
  return code;
#endif
}

#pragma once
// A fresh temporary working folder with its own data/ for tests that touch files:
// the test runs inside it, and the previous working folder comes back afterwards.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>
#ifdef _WIN32
#include <io.h>

// The environment as the POSIX calls the suites use would change it.
inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif

class TempDirTest : public ::testing::Test {
protected:
  void SetUp() override {
    previous = std::filesystem::current_path();
    std::random_device random;
    do dir = std::filesystem::temp_directory_path() / ("giftguard-test-" + std::to_string(random()));
    while (!std::filesystem::create_directory(dir));
    std::filesystem::create_directory(dir / "data");
    std::filesystem::current_path(dir);
  }
  void TearDown() override {
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  static void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  static std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  std::filesystem::path dir, previous;
};

// Runs `body` and returns the message it threw ("" when it threw nothing).
template <typename F> std::string thrownMessage(F&& body) {
  try {
    body();
  } catch (const char* message) {
    return message;
  }
  return "";
}

// The process's open file descriptors: failures must leave none behind. On Windows the C
// runtime's (sockets are no descriptors there, and Wine does not count handles).
inline long openFds() {
#ifdef _WIN32
  long n = 0;
  for (int fd = 0; fd < 2048; ++fd) n += _get_osfhandle(fd) != -1;
  return n;
#else
  using It = std::filesystem::directory_iterator;
  return std::distance(It("/proc/self/fd"), It());
#endif
}

// n bytes of noise, the same for the same seed.
inline std::string randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(rng());
  return s;
}

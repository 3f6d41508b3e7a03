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

class TempDirTest : public ::testing::Test {
protected:
  void SetUp() override {
    previous = std::filesystem::current_path();
    char pattern[] = "/tmp/giftguard-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
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

// The process's open file descriptors: failures must leave none behind.
inline long openFds() {
  using It = std::filesystem::directory_iterator;
  return std::distance(It("/proc/self/fd"), It());
}

// n bytes of noise, the same for the same seed.
inline std::string randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(rng());
  return s;
}

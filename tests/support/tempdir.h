#pragma once
// A fresh temporary working folder with its own data/ for tests that touch files.
// The test runs inside it; the previous working folder comes back afterwards.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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
    std::ofstream out(name, std::ios::binary);
    out << bytes;
  }
  static std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::filesystem::path dir;
  std::filesystem::path previous;
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

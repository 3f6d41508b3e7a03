#pragma once
// The prompt module: one question, one short typed answer.
//
// Asks one question and lets the player type a short line into the caller's
// buffer; Return goes on to the module the caller named.

#include <kro/mod.h>

#include <cstddef>

class ModPrompt : public Mod {
public:
  // Empties the buffer (size bytes, terminator included) and keeps it, the
  // question and the next module; the caller makes the prompt current.
  static ModPrompt* I(char* str, std::size_t size, const char* msg, Mod* modAfter);

  void keydown(char key) override;
  void draw2d() override;

private:
  ModPrompt() = default;

  char* str = nullptr;
  std::size_t size = 0;
  Mod* modAfter = nullptr;
  const char* msg = "pleas enter the text";
};

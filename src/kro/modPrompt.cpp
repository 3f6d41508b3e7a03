// The prompt module.
#include <kro/kro.h>
#include <kro/modPrompt.h>

#include <cstring>

ModPrompt* ModPrompt::I(char* str, std::size_t size, const char* msg, Mod* modAfter) {
  static ModPrompt* const instance = new ModPrompt;
  if (str && size) str[0] = 0;
  instance->str = str;
  instance->size = size;
  instance->msg = msg;
  instance->modAfter = modAfter;
  return instance;
}

void ModPrompt::keydown(char key) {
  if (!str || !size) return;
  const std::size_t n = std::strlen(str);
  const unsigned char code = static_cast<unsigned char>(key);
  if (code == vk::BACKSPACE) {
    if (n > 0) str[n - 1] = 0;
  } else if (code == vk::RETURN) {
    nextMod = modAfter;
  } else if (code != vk::SHIFT && n + 1 < size) {  // the buffer keeps its terminator
    const bool letter = code >= 'A' && code <= 'Z';
    str[n] = letter && !keys[vk::SHIFT] ? char(code + 32) : key;
    str[n + 1] = 0;
  }
}

void ModPrompt::draw2d() {
  kroPrint(msg, 0, 0.1f, 0.1f, 'C');
  kroPrint(str ? str : "", 0, -0.1f, 0.1f, 'C');
}

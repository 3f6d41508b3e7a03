#pragma once
// The text pages module.
//
// A text file scrolling up over a full-screen picture, like closing credits;
// once the last line has left the top it hands over to the next module.

#include <kro/mod.h>
#include <tessel/array.h>

#include <string>

class ModTxtShow : public Mod {
public:
  // A null next module keeps the previous one; a file name loads the text at
  // once (throwing "can not open file"); the picture name is always taken.
  static ModTxtShow* I(Mod* nextNextMod, const char* filename, const char* texFilename);
  static float getFontSize() { return 0.1f; }
  static float getFs() { return 0.15f; }

  void loadTxt();
  void init() override;
  void update(float t) override;
  void draw2d() override;

  unsigned lineCount() const { return lines.num; }
  const std::string& lineText(unsigned i) const { return lines[i]; }

private:
  ModTxtShow();
  ~ModTxtShow() override;

  Mod* nextNextMod = nullptr;
  const char* filename = nullptr;
  const char* texFilename = nullptr;
  Array<std::string> lines;
  float y = -1.0f;
};

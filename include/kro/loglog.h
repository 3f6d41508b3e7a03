#pragma once
// The program's log.
//
// The program's log: the last messages as coloured line records for the screen,
// each message also on standard output and appended to "data/log.txt".

#include <memory>

class Loglog {
public:
  static const unsigned logsnum = 20;  // line records; record 0 is the newest
  static const unsigned loglen = 256;  // bytes of a record: level, then text

  Loglog();
  virtual ~Loglog();
  Loglog(const Loglog&) = delete;
  Loglog& operator=(const Loglog&) = delete;

  // Adds one message at a level (1 warning, 2 debug, 3 error, 4 command, 5 output).
  void echo(const char* text, unsigned char userid);
  // The 20 records, newest at the bottom, each in its level's colour. The
  // glyphs go into a texture once and are drawn from it until a record or the
  // view changes: the same pixels for a fraction of the triangles.
  virtual void draw2d();
  // The same glyphs drawn as they are, without the texture.
  void drawLines();

  const char* lineText(unsigned record) const { return logs[record] + 1; }
  unsigned char lineLevel(unsigned record) const { return static_cast<unsigned char>(logs[record][0]); }
  // Whether messages still reach the log file.
  bool fileOn() const { return fileWorks; }

protected:
  char logs[logsnum][loglen];
  const char* filename;
  float showY;

private:
  struct Picture;
  bool drawPicture();

  bool fileWorks;
  unsigned changes = 0;  // of the records, for the picture to follow
  std::unique_ptr<Picture> picture;
};

// The program's log: screen records, standard output and "data/log.txt".
#include <kro/kro.h>
#include <kro/loglog.h>
#include <tessel/tessel.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstring>

// Records 0 to 18 scroll; record 19 only ever holds the overflow marker.
static const unsigned SCROLLING = Loglog::logsnum - 1;

Loglog::Loglog() : filename("data/log.txt"), showY(0), fileWorks(true) {
  std::memset(logs, 0, sizeof logs);
  // Empties the file of the previous run. Without it (no data folder, no
  // permission, a link in its place) the log goes on, on screen and standard
  // output only.
  if (FILE* file = Tessel::createFile(filename, "w")) {
    std::fclose(file);
  } else {
    fileWorks = false;
    std::fprintf(stderr, "giftguard: cannot create %s; the log goes to the screen and standard output only\n",
                 filename);
  }
}

void Loglog::echo(const char* text, unsigned char userid) {
  const size_t length = std::strlen(text);
  std::fwrite(text, 1, length, stdout);
  std::fputc('\n', stdout);

  if (lineLevel(SCROLLING - 1) != 0) std::strcpy(logs[SCROLLING] + 1, "...");
  std::memmove(logs[1], logs[0], (SCROLLING - 1) * loglen);
  logs[0][0] = static_cast<char>(userid);
  const size_t shown = length < loglen - 2 ? length : loglen - 2;
  std::memcpy(logs[0] + 1, text, shown);
  logs[0][1 + shown] = 0;

  // Appended and closed at once, so the file is complete up to the last message.
  if (!fileWorks) return;
  if (FILE* file = Tessel::createFile(filename, "a")) {
    std::fwrite(text, 1, length, file);
    std::fputc('\n', file);
    std::fclose(file);
  }
}

void Loglog::draw2d() {
  static const float COLOURS[6][3] = {{0.5f, 0.5f, 0.5f}, {0.5f, 0.1f, 0.0f}, {0.1f, 0.5f, 0.9f},
                                      {0.9f, 0.1f, 0.0f}, {0.9f, 0.9f, 0.0f}, {0.5f, 0.5f, 0.5f}};
  for (unsigned i = 0; i < logsnum; ++i) {
    const unsigned level = lineLevel(i) < 6 ? lineLevel(i) : 0;
    glColor3fv(COLOURS[level]);
    kroPrint(lineText(i), -0.98f, showY + 0.02f + 0.05f * float(i), 0.04f, 'L');
  }
}

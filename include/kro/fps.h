#pragma once
// The frame timer.
//
// Frames per wall-clock second: the counter's text and the time step of the
// modules' update, the reciprocal of the frames drawn in the last whole second.

class Fps {
public:
  static Fps* I();
  // Once per frame, before anything else of the frame.
  void update();
  float getUpdateTime() const;
  // "FPS:??" until the first second has passed.
  const char* text() const { return charfps; }

  // The clock in whole seconds; the standard clock unless a test sets another.
  using Clock = long long (*)();
  static void setClock(Clock clock);

private:
  Fps();

  char charfps[16];
  unsigned fpsv;
  int atimei;
  unsigned fpsc;
};

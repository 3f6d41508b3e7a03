// The frame timer.
#include <kro/fps.h>

#include <cstdio>
#include <ctime>

namespace {
long long systemSeconds() { return static_cast<long long>(std::time(nullptr)); }
Fps::Clock seconds = systemSeconds;
}  // namespace

void Fps::setClock(Clock clock) { seconds = clock ? clock : systemSeconds; }

Fps* Fps::I() {
  static Fps* const instance = new Fps;
  return instance;
}

// The counts start at 65536, so that the time step stays tiny while the first,
// partial second is counted.
Fps::Fps() : fpsv(65536), atimei(static_cast<int>(seconds())), fpsc(65536) {
  std::snprintf(charfps, sizeof charfps, "FPS:??");
}

void Fps::update() {
  const int now = static_cast<int>(seconds());
  if (now != atimei) {
    atimei = now;
    fpsv = fpsc;
    fpsc = 0;
    std::snprintf(charfps, sizeof charfps, "FPS:%2u", fpsv);
  }
  ++fpsc;
}

float Fps::getUpdateTime() const { return static_cast<float>(1.0 / static_cast<double>(fpsv)); }

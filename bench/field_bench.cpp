// Benchmark of a play-field frame against a bare window drawing as many quads.
//
// A play-field frame (update, draw, swap) with 10, 100 and 1,000 zombies, and
// the floor beside it: the bare SDL 2 window of bare_window.cpp drawing the
// same number of textured quads (body, head, the two gifts and the
// background) with the same pictures, one glBegin per quad. Both run in the
// same window of the same process, one after the other. The counters give the
// process's resident memory with the field filled.
//
// The mixer's cost: the frame at 100 zombies with the sound off and then with
// the play loop and ten effects a second, on a device opened as the
// game opens it (SDL's dummy driver unless SDL_AUDIODRIVER names another: it
// takes buffers at the pace of a sound card). The counter audio_cpu_pct is
// the CPU time of the device's mixing thread as a share of one core.
//
//   DISPLAY=:N build/bench/field_bench     (Xvfb; run from anywhere)
#include "modGame.h"
#include "zombie.h"

#include <kro/kro.h>
#include <kro/sound.h>
#include <kro/textureMenager.h>
#include <tessel/var.h>

#include <platform/audio.h>
#include <platform/window.h>

#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

namespace {

double residentMiB() {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return 0;
  char line[256];
  long kib = 0;
  while (std::fgets(line, sizeof line, status))
    if (std::strncmp(line, "VmRSS:", 6) == 0) kib = std::atol(line + 6);
  std::fclose(status);
  return double(kib) / 1024.0;
}

void frameStart() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// The field with n zombies, frozen in number: the boss flag holds the spawner
// back, godmode keeps a runner that escapes from ending the game.
void fill(ModGame* game, int n) {
  game->reset(1, nullptr);
  Var::get("godmode") = std::string("1");
  for (int i = 0; i < n; ++i) {
    Zombie* z = new Zombie;
    z->x = float(i % 40) / 20.0f - 1.0f;
    z->y = float(i / 40 % 20) / 12.0f - 0.9f;
  }
  game->kalvor = true;
}

// One frame of play at 60 frames a second, drawn and shown.
void playFrame(ModGame* game) {
  frameStart();
  game->update(1.0f / 60);
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  game->draw2d();
  glPopAttrib();
  platform::swapBuffers();
}

void BM_PlayFieldFrame(benchmark::State& state) {
  ModGame* game = ModGame::I();
  fill(game, int(state.range(0)));
  for (auto _ : state) {
    playFrame(game);
  }
  state.counters["quads"] = double(game->obCount() + 1);
  state.counters["rss_MiB"] = residentMiB();
  game->reset(0, nullptr);
}

// Effects of a busy game, ten a second whatever the frame rate: with their
// lengths, four or five sound at once.
const char* const effects[] = {"zombieHit", "headShot", "zombieDie", "priestHit", "armorHit", "priestDie"};
constexpr double effectEvery = 0.1;

void BM_PlayFieldFrameSound(benchmark::State& state) {
  const bool sound = state.range(1) != 0;
  if (!kroSoundSink()) {
    state.SkipWithError("no audio device");
    return;
  }
  ModGame* game = ModGame::I();
  fill(game, int(state.range(0)));
  Var::get("sound") = std::string(sound ? "1" : "0");
  kroMusic("playMusic");
  const double audioBefore = platform::audioThreadSeconds();
  const auto wallBefore = std::chrono::steady_clock::now();
  unsigned played = 0;
  for (auto _ : state) {
    const double now = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    if (now >= played * effectEvery) kroSound(effects[played++ % std::size(effects)]);
    playFrame(game);
  }
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
  state.counters["audio_cpu_pct"] = 100 * (platform::audioThreadSeconds() - audioBefore) / wall;
  state.counters["effects_per_s"] = sound ? played / wall : 0;
  kroMusic(nullptr);
  game->reset(0, nullptr);
}

void quad(float x, float y, float h) {
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1);
  glVertex2f(x - h, y + h);
  glTexCoord2f(0, 0);
  glVertex2f(x - h, y - h);
  glTexCoord2f(1, 0);
  glVertex2f(x + h, y - h);
  glTexCoord2f(1, 1);
  glVertex2f(x + h, y + h);
  glEnd();
}

void BM_BareQuads(benchmark::State& state) {
  const int n = int(state.range(0));
  TextureMenager* textures = TextureMenager::I();
  const unsigned bg = textures->get("data/bg.png"), gift = textures->get("data/gift.png"),
                 body = textures->get("data/zombieBody.png"), head = textures->get("data/zombieHead.png");
  for (auto _ : state) {
    frameStart();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, bg);
    quad(0, 0, 1);
    glBindTexture(GL_TEXTURE_2D, gift);
    quad(-0.15f, 0, 0.05f);
    quad(0.15f, 0, 0.05f);
    for (int i = 0; i < n; ++i) {
      const float x = float(i % 40) / 20.0f - 1.0f, y = float(i / 40 % 20) / 12.0f - 0.9f;
      glBindTexture(GL_TEXTURE_2D, body);
      quad(x, y, 0.1f);
      glBindTexture(GL_TEXTURE_2D, head);
      quad(x, y + 0.1f, 0.05f);
    }
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    platform::swapBuffers();
  }
  state.counters["quads"] = double(2 * n + 3);
  state.counters["rss_MiB"] = residentMiB();
}

BENCHMARK(BM_BareQuads)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_PlayFieldFrame)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond)->UseRealTime();
// Arguments: zombies, sound off (0) or on (1).
BENCHMARK(BM_PlayFieldFrameSound)->Args({100, 0})->Args({100, 1})->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (chdir(GIFTGUARD_SOURCE_DIR) != 0) return 1;
  std::string error;
  if (!platform::openWindow(1024, 768, false, "opengl progam", error) || !kroInit(error)) {
    std::fprintf(stderr, "field_bench: %s\n", error.c_str());
    return 1;
  }
  platform::show();
  platform::setSwapInterval(0);
  glViewport(0, 0, 1024, 768);
  glDisable(GL_DEPTH_TEST);
  TextureMenager::initImageLibrary();
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  kroOpenSound();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  kroCloseSound();
  return 0;
}

// Tests of the sound: its settings, its failures and the mixer's dip under an effect.
#define _USE_MATH_DEFINES  // M_PI from MinGW's <cmath> too
#include <kro/sound.h>
#include <kro/soundMixer.h>
#include <platform/audio.h>
#include <tessel/var.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "kro/console_support.h"

namespace {

struct Recorder : SoundSink {
  std::vector<float> gains;
  std::vector<std::pair<std::string, float>> tunes;
  void play(const char*, float gain) override { gains.push_back(gain); }
  void music(const std::string& name, float gain) override { tunes.emplace_back(name, gain); }
};

class Sound : public ConsoleTest {
protected:
  // The lines about sound logged from line `from` on.
  static Lines soundLines(size_t from) {
    Lines lines;
    for (const std::string& line : logged(from))
      if (line.rfind("sound", 0) == 0) lines.push_back(line);
    return lines;
  }
  void TearDown() override {
    for (const char* name : {"SDL_AUDIODRIVER", "SDL_DISKAUDIOFILE", "SDL_DISKAUDIODELAY"}) unsetenv(name);
    ConsoleTest::TearDown();
  }
};

TEST_F(Sound, SettingsAreReadAtEverySoundAndBadOnesKeepTheLastGoodValue) {
  Recorder sink;
  kroSetSoundSink(&sink);
  const struct {
    const char *variable, *value;
    float gain;           // of the effect; 0: not heard
    bool musicTold;       // the music's gain changed
    std::string warning;  // the log line it gives, if any
  } steps[] = {
      {"volume", "100", 1.0f, true, ""},
      {"volume", "30", 0.09f, true, ""},
      {"volume", "loud", 0.09f, false, "volume 'loud' is not a number; 30 is used"},
      {"volume", "loud", 0.09f, false, ""},  // once for a bad text, not at every sound
      {"volume", "150", 1.0f, true, "volume '150' is out of range; 100 is used"},
      {"sound", "0", 0, true, ""},
      {"sound", "maybe", 0, false, "sound 'maybe' is not a number; 0 is used"},
      {"sound", "2", 1.0f, true, ""},
  };
  Var::get("sound") = std::string("1");
  Var::get("volume") = std::string("80");
  kroMusic("loop");
  EXPECT_FLOAT_EQ(sink.tunes.back().second, 0.64f);  // the square of the volume
  for (const auto& step : steps) {
    SCOPED_TRACE(std::string(step.variable) + " " + step.value);
    const size_t lines = logged().size(), told = sink.tunes.size();
    sink.gains.clear();
    Var::get(step.variable) = std::string(step.value);
    kroSound("x");
    kroMusic("loop");
    ASSERT_EQ(sink.gains.size(), step.gain > 0 ? 1u : 0u);
    for (float gain : sink.gains) EXPECT_FLOAT_EQ(gain, step.gain);
    EXPECT_EQ(sink.tunes.size(), told + step.musicTold);
    EXPECT_EQ(logged(lines), step.warning.empty() ? Lines{} : Lines{step.warning});
  }
  kroMusic(nullptr);
  EXPECT_EQ(sink.tunes.back(), std::make_pair(std::string(""), 1.0f));
  kroSetSoundSink(nullptr);
}

TEST_F(Sound, EachFailureIsOneLineInTheLogAndTheGameGoesOnSilent) {
  setenv("SDL_DISKAUDIOFILE", "/nonexistent/folder/out.raw", 1);
  const std::pair<const char*, const char*> devices[] = {{"nosuch", "sound: no audio device: "},
                                                         {"disk", "sound: cannot open the audio device: "}};
  for (const auto& [driver, warning] : devices) {
    const size_t from = logged().size();
    setenv("SDL_AUDIODRIVER", driver, 1);
    kroOpenSound();
    EXPECT_EQ(kroSoundSink(), nullptr);
    kroSound("menuMove");
    kroMusic("menuMusic");
    const Lines lines = soundLines(from);
    ASSERT_EQ(lines.size(), 1u) << driver;
    EXPECT_EQ(lines[0].rfind(warning, 0), 0u) << lines[0];
    kroCloseSound();
  }

  // A device, a good file, a damaged one; a name without a file is logged once.
  std::filesystem::create_directory("data/sound");
  std::filesystem::copy_file(std::string(GIFTGUARD_SOURCE_DIR) + "/data/sound/menuMove.wav", "data/sound/good.wav");
  writeFile("data/sound/bad.wav", "RIFF\x10\0\0\0WAVEdata");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  const size_t from = logged().size();
  kroOpenSound();
  ASSERT_NE(kroSoundSink(), nullptr);
  EXPECT_EQ(static_cast<SoundMixer*>(kroSoundSink())->loaded(), 1u);
  for (const char* name : {"good", "missing", "missing", "bad"}) kroSound(name);
  kroMusic("bad");
  const Lines lines = soundLines(from);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind("sound: cannot load data/sound/bad.wav: ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], "sound: dummy, 22050 Hz mono, buffer 256 frames (12 ms), 1 sounds");
  EXPECT_EQ(lines[2], "sound: no file data/sound/missing.wav");
  kroCloseSound();
  EXPECT_EQ(kroSoundSink(), nullptr);
}

// 16-bit mono WAV at the device's rate: "RIFF", its size, "WAVE", "fmt ", 16 bytes of
// format (PCM, mono, the rate, the byte rate, 2-byte frames of 16 bits), "data", its size.
std::string wav(const std::vector<short>& samples) {
  const unsigned size = unsigned(samples.size() * 2), rate = 22050;
  const unsigned header[] = {0x46464952, 36 + size, 0x45564157, 0x20746D66, 16,  0x10001,
                             rate,       rate * 2,  0x100002,   0x61746164, size};
  return std::string(reinterpret_cast<const char*>(header), sizeof header) +
         std::string(reinterpret_cast<const char*>(samples.data()), size);
}

TEST_F(Sound, TheMusicDipsUnderAnEffectAndIsOneLoopAtATime) {
  // A steady tone for the music and half a second of silence for the effect: the output is the music's alone.
  std::vector<short> tone(22050);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = short(16000 * std::sin(2 * M_PI * 441 * double(i) / 22050));
  std::filesystem::create_directory("data/sound");
  writeFile("data/sound/tone.wav", wav(tone));
  writeFile("data/sound/quiet.wav", wav(std::vector<short>(11025)));
  setenv("SDL_AUDIODRIVER", "disk", 1);
  // Into SDL's default file, sdlaudio.raw: SDL on Windows returns every variable it reads in one
  // buffer, and the delay, read after the file's name, would overwrite a name given here.
  setenv("SDL_DISKAUDIODELAY", "2", 1);
  Var::get("sound") = std::string("1");
  Var::get("volume") = std::string("100");
  kroOpenSound();
  ASSERT_NE(kroSoundSink(), nullptr);
  kroMusic("tone");
  std::this_thread::sleep_for(std::chrono::milliseconds(700));  // the fade-in takes half a second of the clock
  kroSound("quiet");
  // Then so many seconds of output more, however busy the machine; the samples out by then.
  const auto await = [](double seconds) {
    const auto wanted = std::filesystem::file_size("sdlaudio.raw") + size_t(2 * 22050 * seconds);
    for (int i = 0; i < 500 && std::filesystem::file_size("sdlaudio.raw") < wanted; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return std::filesystem::file_size("sdlaudio.raw") / 2;
  };
  const size_t changed = await(1.5);
  // None, then two loops, within a frame (before a fade-in has begun): only the last, silent one is heard.
  for (const char* loop : {"", "tone", "quiet"}) kroMusic(loop);
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  const size_t faded = await(0.5) - 11025;
  EXPECT_GT(platform::audioThreadSeconds(), 0.0);  // the mixing thread's own time, for the profile
  kroCloseSound();

  // The loudest sample of each 20 ms, from where the fade-in ended.
  const std::string raw = readFile("sdlaudio.raw");
  const short* out = reinterpret_cast<const short*>(raw.data());
  std::vector<int> level;
  for (size_t at = 0; at + 441 <= raw.size() / 2; at += 441)
    level.push_back(std::abs(
        *std::max_element(out + at, out + at + 441, [](short a, short b) { return std::abs(a) < std::abs(b); })));
  ASSERT_GT(level.size(), faded / 441 + 20);
  const auto end = level.begin() + long(changed / 441);  // before the loops change
  const auto full = std::max_element(level.begin(), end);
  ASSERT_GT(*full, 15000);
  const auto dip = std::min_element(full, end);
  EXPECT_NEAR(*dip, 0.45 * *full, 0.03 * *full);  // about -7 dB
  EXPECT_GT(end[-1], 0.9 * *full) << "the music comes back";
  // Down within a few hundredths of a second, held while the effect sounds.
  const long dipped = std::count_if(full, end, [&](int v) { return v < 0.5 * *full; });
  EXPECT_GE(dipped * 20, 400);
  EXPECT_LE(dipped * 20, 550);
  EXPECT_EQ(*std::max_element(level.begin() + long(faded / 441 + 1), level.end()), 0) << "two loops at once";
}

}  // namespace

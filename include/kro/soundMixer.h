#pragma once
// The sink that makes sounds heard: every "data/sound/NAME.wav" loaded once
// when the device opens, played through the platform's mixer by NAME.

#include <kro/sound.h>

#include <map>
#include <string>

namespace platform {
struct AudioSample;
}

class SoundMixer : public SoundSink {
public:
  static constexpr const char* folder = "data/sound/";

  // Opens the device and loads the folder's sounds; null when there is no
  // device to play on. Each file that will not load is one line in the log.
  static SoundMixer* open();
  // Frees the sounds and closes the device.
  ~SoundMixer() override;
  SoundMixer(const SoundMixer&) = delete;
  SoundMixer& operator=(const SoundMixer&) = delete;

  void play(const char* name, float gain) override;
  void music(const std::string& name, float gain) override;

  unsigned loaded() const;

private:
  SoundMixer() = default;
  void loadFolder();
  // The sound called name, or null; a name without a file is logged the first time.
  platform::AudioSample* find(const std::string& name);

  // Null where the file is missing or damaged: logged once, silent after.
  std::map<std::string, platform::AudioSample*> samples;
};

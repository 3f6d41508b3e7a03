// The mixer sink: the folder of sounds loaded when the device opens, each failure logged once, sounds played by name.
#include <kro/cfr.h>
#include <kro/kro.h>
#include <kro/soundMixer.h>

#include <platform/audio.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

void warn(const std::string& text) { Cfr::I()->echo(("sound: " + text).c_str(), 1); }

const std::string extension = ".wav";

}  // namespace

SoundMixer* SoundMixer::open() {
  std::string error;
  if (!platform::openAudio(error)) {
    warn(error + "; the game goes on without sound");
    return nullptr;
  }
  SoundMixer* mixer = new SoundMixer;
  mixer->loadFolder();
  debug(("sound: " + platform::audioDescription() + ", " + std::to_string(mixer->loaded()) + " sounds").c_str());
  return mixer;
}

SoundMixer::~SoundMixer() {
  for (auto& named : samples) platform::freeSample(named.second);
  platform::closeAudio();
}

// Sorted by name, so that the log's lines come in the same order on every start.
void SoundMixer::loadFolder() {
  std::vector<std::string> names;
  std::error_code failed;
  for (std::filesystem::directory_iterator entry(folder, failed), end; !failed && entry != end;
       entry.increment(failed)) {
    const std::string file = entry->path().filename().string();
    if (file.size() > extension.size() &&
        file.compare(file.size() - extension.size(), extension.size(), extension) == 0)
      names.push_back(file.substr(0, file.size() - extension.size()));
  }
  if (failed) warn(std::string("cannot read the folder ") + folder + ": " + failed.message());
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string file = folder + name + extension;
    std::string error;
    platform::AudioSample* sample = platform::loadSample(file.c_str(), error);
    if (!sample) warn("cannot load " + file + ": " + error);
    samples[name] = sample;
  }
}

unsigned SoundMixer::loaded() const {
  return unsigned(std::count_if(samples.begin(), samples.end(), [](const auto& named) { return named.second; }));
}

platform::AudioSample* SoundMixer::find(const std::string& name) {
  auto known = samples.find(name);
  if (known != samples.end()) return known->second;
  warn(std::string("no file ") + folder + name + extension);
  samples[name] = nullptr;
  return nullptr;
}

void SoundMixer::play(const char* name, float gain) { platform::playEffect(find(name), gain); }

// Silence is no music at all: the loop starts afresh when the sound comes back.
void SoundMixer::music(const std::string& name, float gain) {
  platform::playMusic(name.empty() || gain <= 0 ? nullptr : find(name), gain);
}

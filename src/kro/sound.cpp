// Sound by name: the settings read at every sound, the music told to the sink on change, the mixer opened once.
#include <kro/cfr.h>
#include <kro/sound.h>
#include <kro/soundMixer.h>
#include <tessel/var.h>

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <memory>

namespace {

SoundSink* sink = nullptr;
std::unique_ptr<SoundMixer> mixer;

// What the sink was last told of the music.
std::string musicTold;
float musicGainTold = -1;

// A setting that is not a number keeps the last good value, one out of its
// range is brought into it; the log says so once for each bad text rather
// than at every frame that reads it.
class Setting {
public:
  Setting(const char* name, float value, float least, float most)
      : name(name), value(value), least(least), most(most) {}

  float read() {
    if (!Var::isset(name)) return value;
    const Var& setting = Var::get(name);
    const std::string text = setting.toString();
    if (known && text == good) return value;
    if (!setting.is_numeric()) {
      complain(text, "is not a number");
      return value;
    }
    value = setting.toFloat();
    if (value < least || value > most) {
      value = std::clamp(value, least, most);
      complain(text, "is out of range");
    }
    known = true;
    good = text;
    complained.clear();
    return value;
  }

private:
  void complain(const std::string& text, const char* why) {
    if (text == complained) return;
    complained = text;
    char line[256];
    std::snprintf(line, sizeof line, "%s '%.64s' %s; %g is used", name, text.c_str(), why, double(value));
    Cfr::I()->echo(line, 1);
  }

  const char* name;
  float value;
  float least, most;
  bool known = false;
  std::string good;        // the text value came from
  std::string complained;  // the last bad text logged
};

// As "data/defvar.txt" ships them, for a start without that file. Any
// number but 0 turns the sound on.
Setting soundSetting("sound", 1, -FLT_MAX, FLT_MAX);
Setting volumeSetting("volume", 80, 0, 100);

}  // namespace

void kroSetSoundSink(SoundSink* newSink) {
  sink = newSink;
  musicTold.clear();
  musicGainTold = -1;
}

SoundSink* kroSoundSink() { return sink; }

float kroSoundGain() {
  const float on = soundSetting.read();
  const float share = volumeSetting.read() / 100;
  return on == 0 ? 0 : share * share;
}

void kroSound(const char* name) {
  if (!sink) return;
  const float gain = kroSoundGain();
  if (gain > 0) sink->play(name, gain);
}

void kroMusic(const char* name) {
  if (!sink) return;
  const std::string wanted = name ? name : "";
  const float gain = kroSoundGain();
  if (wanted == musicTold && gain == musicGainTold) return;
  musicTold = wanted;
  musicGainTold = gain;
  sink->music(wanted, gain);
}

void kroOpenSound() {
  if (mixer) return;
  mixer.reset(SoundMixer::open());
  if (mixer) kroSetSoundSink(mixer.get());
}

void kroCloseSound() {
  if (sink == mixer.get()) kroSetSoundSink(nullptr);
  mixer.reset();
}

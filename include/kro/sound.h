#pragma once
// Sound by name. The game says what happened (kroSound("zombieHit")) and
// which music fits the screen; a sink makes it heard: the mixer in the
// program, a recorder in tests, nothing while no sink is set. The console
// variables "sound" (0 silences everything) and "volume" (0 to 100) are read
// at every sound, so a change is heard at once.

#include <string>

class SoundSink {
public:
  virtual ~SoundSink() = default;
  // An effect at gain (0, 1].
  virtual void play(const char* name, float gain) = 0;
  // The music to loop now ("" for none) at gain 0..1; told whenever either changes.
  virtual void music(const std::string& name, float gain) = 0;
};

// The sink is not owned; null silences everything.
void kroSetSoundSink(SoundSink* sink);
SoundSink* kroSoundSink();

// Plays the effect called name, unless the settings silence it.
void kroSound(const char* name);
// Once a frame: the music the current screen wants (null for none), with the
// settings applied; the sink hears only of changes.
void kroMusic(const char* name);
// The gain the settings give now: 0 while "sound" is 0, else the square of
// volume/100, so that the steps of "volume" sound even. A value that is not a
// number keeps the last good one, and the log says so once.
float kroSoundGain();

// Opens the audio device and makes the mixer the sink. Without a device, or
// with one that will not open, the log says why and the game stays silent.
void kroOpenSound();
// Silences and closes what kroOpenSound opened.
void kroCloseSound();

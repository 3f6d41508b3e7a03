#pragma once
// Sound output: the audio device, sound files held in memory in the device's
// format, effects on a handful of voices, and one looping music that fades
// from one loop to the next and dips under the effects. Every call is safe
// while no device is open: it does nothing.

#include <string>

namespace platform {

// A sound file decoded for the open device.
struct AudioSample;

// The device plays what the sound files hold: 16-bit mono at this rate.
constexpr int audioRate = 22050;
// Frames in the device's buffer: 12 ms, so that a click's sound starts within
// the frame's time. (SDL also waits two buffers' time when the device closes.)
constexpr int audioBufferFrames = 256;

// Opens the default device (or the one SDL_AUDIODRIVER names). False with a
// reason that says whether there was no device at all ("no audio device: ...")
// or the device would not open ("cannot open the audio device: ...").
bool openAudio(std::string& error);
// The driver, rate and buffer of the open device, for the log.
std::string audioDescription();
// Stops every voice and closes the device; samples must be freed before.
void closeAudio();

// Null with a reason when the file is missing or not a sound SDL can read.
AudioSample* loadSample(const char* file, std::string& error);
void freeSample(AudioSample* sample);

// Starts an effect at gain 0..1 on a free voice, or on the one that has
// played longest when all are busy. The same sample started again within a
// few milliseconds is not stacked on itself: it would only be louder.
void playEffect(AudioSample* sample, float gain);
// Loops sample as the music (null: none), fading over half a second from
// what played before. gain 0..1 applies at once, smoothly, to the music
// already playing as well.
void playMusic(AudioSample* sample, float gain);

// Seconds of CPU the device's mixing thread has used so far (0 before its
// first buffer), for the benchmark of the mixer's cost.
double audioThreadSeconds();

}  // namespace platform

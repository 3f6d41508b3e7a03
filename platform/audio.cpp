// Sound output over SDL_mixer: effect voices, the music's two voices with their dip, and the device's thread time.
#include <platform/audio.h>

#include <SDL.h>
#include <SDL_mixer.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <time.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cmath>

namespace platform {

struct AudioSample {
  Mix_Chunk* chunk;
  Uint32 lastStart = 0;  // SDL ticks of the last start as an effect
  bool started = false;
};

namespace {

// Voices 0 and 1 carry the music, one fading in while the other fades out;
// the rest are the effects' (reserved voices are never taken by an effect).
constexpr int musicVoices = 2, voices = 16, effectGroup = 1;
constexpr int fadeMs = 500;
constexpr Uint32 restackMs = 40;
// Under an effect the music dips to about -7 dB, quickly enough not to mask
// the effect's start and slowly back, so that a burst of clicks does not pump.
constexpr float ducked = 0.45f;
constexpr double dipSeconds = 0.03, riseSeconds = 0.4;

bool isOpen = false;
float dipStep = 0, riseStep = 0;
int musicVoice = 0;
AudioSample* currentMusic = nullptr;

// Written by the main thread, read by the device's thread.
std::atomic<float> musicGain{1.0f};
std::atomic<long long> effectsUntil{0};  // output frame at which the last effect begun so far ends
// Written by the device's thread only.
std::atomic<long long> framesMixed{0};
std::atomic<bool> threadKnown{false};
#ifdef _WIN32
// SDL's threads there are the system's own, which winpthreads cannot time: the thread's id.
std::atomic<DWORD> mixingThread{};
DWORD currentThread() { return GetCurrentThreadId(); }
#else
std::atomic<pthread_t> mixingThread{};
pthread_t currentThread() { return pthread_self(); }
#endif
// Each music voice's present gain; touched by the main thread only while no
// effect is registered on that voice (between its start and the registration).
float voiceGain[musicVoices] = {1.0f, 1.0f};

void SDLCALL countFrames(void*, Uint8*, int len) {
  if (!threadKnown.load(std::memory_order_relaxed)) {
    mixingThread.store(currentThread());
    threadKnown.store(true);
  }
  framesMixed.fetch_add(len / 2, std::memory_order_relaxed);
}

// The music voice's samples times the wanted gain, dipped while an effect
// sounds; the gain glides sample by sample so nothing clicks.
void SDLCALL shapeMusic(int, void* stream, int len, void* state) {
  float& gain = *static_cast<float*>(state);
  Sint16* s = static_cast<Sint16*>(stream);
  const long long first = framesMixed.load(std::memory_order_relaxed);
  const long long until = effectsUntil.load(std::memory_order_relaxed);
  const float wanted = musicGain.load(std::memory_order_relaxed);
  for (int i = 0, frames = len / 2; i < frames; ++i) {
    const float target = first + i < until ? wanted * ducked : wanted;
    gain += (target - gain) * (target < gain ? dipStep : riseStep);
    s[i] = Sint16(float(s[i]) * gain);
  }
}

long long sampleFrames(const AudioSample* sample) { return sample ? sample->chunk->alen / 2 : 0; }

// Without a sound server SDL falls back to ALSA, which on a machine without
// sound cards can only fail, and then takes up to 0.1 s to stop the thread it
// started to watch for cards. There the servers alone are tried, unless
// SDL_AUDIODRIVER names the drivers.
bool serversOnly() {
#ifdef _WIN32
  return false;  // Windows has its own audio drivers, and no /dev/snd
#else
  if (SDL_getenv("SDL_AUDIODRIVER") || access("/dev/snd", F_OK) == 0) return false;
  SDL_SetHint(SDL_HINT_AUDIODRIVER, "pulseaudio,pipewire");
  return true;
#endif
}

}  // namespace

bool openAudio(std::string& error) {
  if (isOpen) return true;
  const bool noCard = serversOnly();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    error = noCard ? "no audio device: no sound server answers and there is no sound card (/dev/snd)"
                   : std::string("no audio device: ") + SDL_GetError();
    return false;
  }
  // The sound files' own format, so that loading them converts nothing; a
  // device that wants another is fed through SDL's conversion (or, under
  // PulseAudio, the server's).
  if (Mix_OpenAudioDevice(audioRate, AUDIO_S16SYS, 1, audioBufferFrames, nullptr, 0) != 0) {
    error = std::string("cannot open the audio device: ") + Mix_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  isOpen = true;
  dipStep = float(1 - std::exp(-1 / (dipSeconds * audioRate)));
  riseStep = float(1 - std::exp(-1 / (riseSeconds * audioRate)));
  Mix_AllocateChannels(voices);
  Mix_ReserveChannels(musicVoices);
  Mix_GroupChannels(musicVoices, voices - 1, effectGroup);
  Mix_SetPostMix(countFrames, nullptr);
  return true;
}

std::string audioDescription() {
  if (!isOpen) return "closed";
  const char* driver = SDL_GetCurrentAudioDriver();
  return std::string(driver ? driver : "?") + ", " + std::to_string(audioRate) + " Hz mono, buffer " +
         std::to_string(audioBufferFrames) + " frames (" +
         std::to_string((audioBufferFrames * 1000 + audioRate / 2) / audioRate) + " ms)";
}

void closeAudio() {
  if (!isOpen) return;
  Mix_HaltChannel(-1);
  Mix_SetPostMix(nullptr, nullptr);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  isOpen = false;
  currentMusic = nullptr;
  framesMixed = 0;
  effectsUntil = 0;
  threadKnown = false;
}

AudioSample* loadSample(const char* file, std::string& error) {
  if (!isOpen) {
    error = "no audio device";
    return nullptr;
  }
  Mix_Chunk* chunk = Mix_LoadWAV(file);
  if (!chunk) {
    error = Mix_GetError();
    return nullptr;
  }
  return new AudioSample{chunk};
}

void freeSample(AudioSample* sample) {
  if (!sample) return;
  if (sample == currentMusic) currentMusic = nullptr;
  Mix_FreeChunk(sample->chunk);  // stops the voices that play it
  delete sample;
}

void playEffect(AudioSample* sample, float gain) {
  if (!isOpen || !sample || gain <= 0) return;
  const Uint32 now = SDL_GetTicks();
  if (sample->started && now - sample->lastStart < restackMs) return;
  int voice = Mix_GroupAvailable(effectGroup);
  if (voice < 0) voice = Mix_GroupOldest(effectGroup);
  if (voice < 0) return;
  // The volume first: set after the start, one buffer could sound at the old one.
  Mix_Volume(voice, int(std::lround(std::min(gain, 1.0f) * MIX_MAX_VOLUME)));
  if (Mix_PlayChannel(voice, sample->chunk, 0) < 0) return;
  sample->started = true;
  sample->lastStart = now;
  const long long ends = framesMixed.load(std::memory_order_relaxed) + sampleFrames(sample);
  if (ends > effectsUntil.load(std::memory_order_relaxed)) effectsUntil.store(ends, std::memory_order_relaxed);
}

void playMusic(AudioSample* sample, float gain) {
  if (!isOpen) return;
  musicGain.store(std::clamp(gain, 0.0f, 1.0f), std::memory_order_relaxed);
  if (sample == currentMusic) return;
  // Every music voice on its way out. SDL_mixer refuses to fade a voice whose
  // fade-in has not yet lifted its volume from 0 (the music changed again within
  // a buffer or two), which would then loop on for good beside the next one: it
  // is still silent, so it stops at once.
  for (int voice = 0; voice < musicVoices; ++voice)
    if (Mix_FadingChannel(voice) != MIX_FADING_OUT && Mix_FadeOutChannel(voice, fadeMs) == 0) Mix_HaltChannel(voice);
  currentMusic = sample;
  if (!sample) return;
  musicVoice = (musicVoice + 1) % musicVoices;
  Mix_Volume(musicVoice, MIX_MAX_VOLUME);
  if (Mix_FadeInChannel(musicVoice, sample->chunk, -1, fadeMs) < 0) {
    currentMusic = nullptr;
    return;
  }
  // Starting the voice dropped the effects of what it played before: its state is ours until registered.
  voiceGain[musicVoice] = musicGain.load(std::memory_order_relaxed);
  Mix_RegisterEffect(musicVoice, shapeMusic, nullptr, &voiceGain[musicVoice]);
}

double audioThreadSeconds() {
  if (!isOpen || !threadKnown.load()) return 0;
#ifdef _WIN32
  const HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, mixingThread.load());
  FILETIME created, ended, kernel, user;  // in units of 100 ns
  const bool read = thread && GetThreadTimes(thread, &created, &ended, &kernel, &user);
  if (thread) CloseHandle(thread);
  const auto seconds = [](FILETIME t) { return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7; };
  return read ? seconds(kernel) + seconds(user) : 0;
#else
  clockid_t clock;
  timespec spent;
  if (pthread_getcpuclockid(mixingThread.load(), &clock) != 0 || clock_gettime(clock, &spent) != 0) return 0;
  return double(spent.tv_sec) + double(spent.tv_nsec) * 1e-9;
#endif
}

}  // namespace platform

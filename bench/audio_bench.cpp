// Costs of the sound device on an OpenAL Soft loopback device: a note start (time, OpenAL calls
// and allocations per start), the eight gain and rate changes of one tracker tick, and loading
// the seven waveform files.
//
//   build/bench/audio_bench
//
// The OpenAL entry points the device uses are wrapped here to count calls: the program's own
// definitions take precedence over the library's and forward to it.
#include <AL/al.h>
#include <AL/alc.h>
#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "audio/sound_device.h"
#include "bench/support/bench_support.h"
#include "host/files/data_path.h"
#include "host/game.h"

namespace {

long alCalls = 0;

template <typename Function>
Function Real(const char* name) {
  void* symbol = dlsym(RTLD_NEXT, name);
  if (!symbol) std::abort();
  return reinterpret_cast<Function>(symbol);
}

}  // namespace

// Counting wrappers of every OpenAL call the device makes after start-up.
#define VEXA_COUNTED(ret, name, params, args)      \
  extern "C" ret name params {                     \
    static auto real = Real<ret(*) params>(#name); \
    ++alCalls;                                     \
    return real args;                              \
  }
VEXA_COUNTED(void, alSourceStop, (ALuint s), (s))
VEXA_COUNTED(void, alSourcePlay, (ALuint s), (s))
VEXA_COUNTED(void, alSourcePause, (ALuint s), (s))
VEXA_COUNTED(void, alSourcei, (ALuint s, ALenum p, ALint v), (s, p, v))
VEXA_COUNTED(void, alSourcef, (ALuint s, ALenum p, ALfloat v), (s, p, v))
VEXA_COUNTED(void, alSource3f, (ALuint s, ALenum p, ALfloat x, ALfloat y, ALfloat z),
             (s, p, x, y, z))
VEXA_COUNTED(void, alGetSourcei, (ALuint s, ALenum p, ALint* v), (s, p, v))
VEXA_COUNTED(ALenum, alGetError, (), ())
VEXA_COUNTED(void, alGenSources, (ALsizei n, ALuint* s), (n, s))
VEXA_COUNTED(void, alGenBuffers, (ALsizei n, ALuint* b), (n, b))
VEXA_COUNTED(void, alDeleteBuffers, (ALsizei n, const ALuint* b), (n, b))
VEXA_COUNTED(void, alBufferData, (ALuint b, ALenum f, const ALvoid* d, ALsizei size, ALsizei rate),
             (b, f, d, size, rate))
#undef VEXA_COUNTED

namespace {

// The host object that maps paths and decodes files for the device.
BBGlfwGame& Game() {
  static BBGlfwGame game;
  return game;
}

// The data folder beside the build's bench folder (build/data points at the repository's).
String DataFile(const char* name) {
  return ProgramFolder() + u"/../data/" + FromLatin1(name);
}

class Loopback {
 public:
  explicit Loopback(int rate) {
    Game();
    device = alcLoopbackOpenDeviceSOFT(nullptr);
    const ALCint attributes[] = {
        ALC_FREQUENCY,  rate, ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT,
        ALC_FLOAT_SOFT, 0};
    if (device) audio = gxtkAudio::OnDevice(device, attributes);
  }
  ~Loopback() {
    audio.reset();
    if (device) alcCloseDevice(device);
  }
  ALCdevice* device = nullptr;
  std::unique_ptr<gxtkAudio> audio;
};

void BM_PlayOnChannel(benchmark::State& state) {
  Loopback loopback(44100);
  if (!loopback.audio) return state.SkipWithError("no loopback device");
  gxtkAudio& audio = *loopback.audio;
  std::shared_ptr<gxtkSample> sample = audio.LoadSampleFile(DataFile("ramp_c_64.wav"));
  if (!sample) return state.SkipWithError("ramp_c_64.wav did not load");
  audio.PlayOnChannel(sample, 1, 1);  // the channel's source is made on its first start
  // Calls and allocations over a fixed number of starts, apart from the timing loop and its
  // bookkeeping.
  constexpr int kStarts = 1000;
  const long calls = alCalls;
  const long allocated = HeapAllocations();
  for (int i = 0; i < kStarts; ++i) audio.PlayOnChannel(sample, 1, 1);
  const double callsPerStart = static_cast<double>(alCalls - calls) / kStarts;
  const double allocationsPerStart = static_cast<double>(HeapAllocations() - allocated) / kStarts;
  state.counters["al_calls_per_start"] = callsPerStart;
  state.counters["allocations_per_start"] = allocationsPerStart;
  for (auto _ : state) benchmark::DoNotOptimize(audio.PlayOnChannel(sample, 1, 1));
}
BENCHMARK(BM_PlayOnChannel);

// What the tracker's effects do 51 times a second: gain and rate of audio channels 1 to 8.
void BM_TickOfEightChannels(benchmark::State& state) {
  Loopback loopback(44100);
  if (!loopback.audio) return state.SkipWithError("no loopback device");
  gxtkAudio& audio = *loopback.audio;
  std::shared_ptr<gxtkSample> sample = audio.LoadSampleFile(DataFile("saw_64.wav"));
  for (int c = 1; c <= 8; ++c) audio.PlayOnChannel(sample, c, 1);
  float rate = 1.0f;
  auto tick = [&] {
    rate = rate > 2.0f ? 1.0f : rate + 0.001f;
    for (int c = 1; c <= 8; ++c) audio.SetChannelGain(c, 0.5f);
    for (int c = 1; c <= 8; ++c) audio.SetChannelPitch(c, rate);
  };
  constexpr int kTicks = 1000;
  const long calls = alCalls;
  const long allocated = HeapAllocations();
  for (int i = 0; i < kTicks; ++i) tick();
  const double callsPerTick = static_cast<double>(alCalls - calls) / kTicks;
  const double allocationsPerTick = static_cast<double>(HeapAllocations() - allocated) / kTicks;
  state.counters["al_calls_per_tick"] = callsPerTick;
  state.counters["allocations_per_tick"] = allocationsPerTick;
  for (auto _ : state) tick();
}
BENCHMARK(BM_TickOfEightChannels);

// The tracker's start-up load: open, decode and upload each of the seven files.
void BM_LoadSevenWaveforms(benchmark::State& state) {
  static const char* const kNames[] = {"ramp_64.wav", "ramp_b_64.wav", "ramp_c_64.wav",
                                       "saw_64.wav",  "fx2b.wav",      "tri_64.wav",
                                       "hnoise.wav"};
  Loopback loopback(44100);
  if (!loopback.audio) return state.SkipWithError("no loopback device");
  gxtkAudio& audio = *loopback.audio;
  for (auto _ : state) {
    std::shared_ptr<gxtkSample> samples[7];
    for (int i = 0; i < 7; ++i) samples[i] = audio.LoadSampleFile(DataFile(kNames[i]));
    if (!samples[6]) return state.SkipWithError("a waveform did not load");
    benchmark::DoNotOptimize(samples);
  }
}
BENCHMARK(BM_LoadSevenWaveforms)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

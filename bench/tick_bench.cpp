// Cost of one player tick (row processing when due, then the tick effects) against a sound
// device whose operations do nothing, so the figure is the tracker's own work. Also counts heap
// allocations made during the ticks: there must be none.
#include <benchmark/benchmark.h>

#include "audio/sound_device.h"
#include "bench/support/bench_support.h"
#include "host/game.h"
#include "host/input/input_device.h"
#include "tracker/sound_engine.h"

namespace {

class SilentAudio : public gxtkAudio {
 public:
  SilentAudio() : gxtkAudio(NoDevice{}) { SetAudioDevice(this); }
  ~SilentAudio() override {
    if (AudioDevice() == this) SetAudioDevice(nullptr);
  }
  std::shared_ptr<gxtkSample> LoadSampleFile(const String&) override {
    return std::make_shared<gxtkSample>();
  }
  int PlayOnChannel(const std::shared_ptr<gxtkSample>&, int, int) override { return 0; }
  int StopChannel(int) override { return 0; }
  int SetChannelGain(int, float) override { return 0; }
  int SetChannelPitch(int, float) override { return 0; }
};

// A busy song: a note with volume on every row of all four channels, slides and note-offs in
// between, instruments with envelope, pitch envelope, arpeggio and sweep.
void FillSong(c_SoundEngine& e) {
  const char16_t notes[] = u"qw+e#r<t";
  for (int row = 0; row < 32; ++row) {
    for (int c = 1; c <= 4; ++c) {
      WriteCell(e.trackNotes[c], row, notes[(row + c) % 8]);
      WriteCell(e.trackVolumes[c], row, u'8');
      WriteCell(e.trackInstruments[c], row, static_cast<char16_t>(u'0' + c));
      WriteCell(e.trackOctaves[c], row, u'2');
    }
  }
  for (int i = 1; i <= 4; ++i) {
    const int params[8] = {i, 8, 2, 3 * 16 + 15, 40, 1, 4, 7};
    for (int k = 0; k < 8; ++k) e.instrumentTable[8 * i + k] = params[k];
  }
}

void BM_Tick(benchmark::State& state) {
  BBGlfwGame game;
  SilentAudio audio;
  c_InputDevice input;
  SetInputDevice(&input);
  {
    c_SoundEngine engine;
    engine.OnCreate();
    FillSong(engine);
    engine.songSpeed = static_cast<int>(state.range(0));
    engine.engineMode = MODE_PLAYING;
    for (int i = 0; i < 100; ++i) engine.PlayerUpdate();  // warm up

    const long before = HeapAllocations();
    for (auto _ : state) engine.PlayerUpdate();
    const long made = HeapAllocations() - before;
    state.counters["allocations_per_tick"] =
        benchmark::Counter(static_cast<double>(made) / static_cast<double>(state.iterations()));
    if (made != 0) state.SkipWithError("a tick allocated memory");
  }
  SetInputDevice(nullptr);
}
BENCHMARK(BM_Tick)->Arg(1)->Arg(4)->ArgName("speed");

}  // namespace

BENCHMARK_MAIN();

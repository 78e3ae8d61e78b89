// Cost of the tracker's screen: the render hook (clear and DrawScreen) of the real application
// with its own font and button picture, on a full pattern (every cell of all four channels a
// note) while the song plays, so every row, level bar and caption is drawn.
//
//   BM_DrawScreenBatch - the drawing API and the renderer filling and flushing batches, without
//                        GL (a device whose DrawBatch does nothing): the CPU cost of a frame.
//   BM_DrawScreenGL    - the same frame on the real renderer and OpenGL (Mesa llvmpipe under
//                        Xvfb), finished with glFinish; needs DISPLAY. Process CPU time, so the
//                        rasterizer's threads count too.
//
// Counters: draw calls, vertices and texture binds per frame, and heap allocations per frame.
//
//   build/bench/screen_bench --benchmark_min_time=2
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "bench/support/bench_support.h"
#include "graphics/drawing.h"
#include "graphics/font.h"
#include "graphics/renderer.h"
#include "host/files/data_path.h"
#include "host/game.h"
#include "tracker/sound_engine.h"

namespace {

// The tracker with a full pattern, playing, with a name, a description and a status.
void FillSong(c_SoundEngine& engine) {
  const char16_t keys[] = u"ysxdcvgbhnjmq2w3er5t6z7ui9o0p";
  const char16_t hex[] = u"0123456789ABCDEF";
  for (int c = 1; c <= 4; ++c) {
    for (int row = 0; row < 32; ++row) {
      WriteCell(engine.trackNotes[c], row, keys[(row + c) % 29]);
      WriteCell(engine.trackVolumes[c], row, hex[1 + (row + c) % 9]);
      WriteCell(engine.trackInstruments[c], row, hex[1 + row % 15]);
      WriteCell(engine.trackOctaves[c], row, static_cast<char16_t>(u'0' + (row + c) % 4));
    }
  }
  for (int k = 0; k < 256; ++k) engine.orderList[static_cast<size_t>(k)] = 0;
  engine.songFileName = u"my_first_song.dat";
  engine.instrumentDescriptions[1] = u"soft pad, slow attack";
  engine.engineMode = MODE_PLAYING;
  engine.statusText = u"Playing...";
  engine.songPosition = 0;
  engine.patternBase = 0;
  engine.rowOffset = 0;
}

c_SoundEngine* engine = nullptr;
gxtkGraphics* realDevice = nullptr;

void DrawFrames(benchmark::State& state, gxtkGraphics* device, bool finish) {
  RunFrames(
      state, device, engine->trackerFont, [] { engine->OnRender(); }, finish);
}

void BM_DrawScreenBatch(benchmark::State& state) {
  BatchOnlyDevice device;
  DrawFrames(state, &device, false);
}
BENCHMARK(BM_DrawScreenBatch)->Unit(benchmark::kMicrosecond);

void BM_DrawScreenGL(benchmark::State& state) {
  if (!realDevice) {
    state.SkipWithError("no window (DISPLAY not set?)");
    return;
  }
  DrawFrames(state, realDevice, true);
}
BENCHMARK(BM_DrawScreenGL)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  BenchGame game;
  bool onWindow = false;
  // Without a window the pictures are still loaded (as pixel copies) for the batch run.
  std::unique_ptr<gxtkGraphics> device = OpenBenchRenderer(game, &onWindow);
  if (onWindow) realDevice = device.get();
  {
    // No sound device: the waveforms stay unloaded, which the screen does not need.
    c_SoundEngine tracker;
    tracker.OnCreate();
    if (!tracker.trackerFont || !tracker.buttonImage) {
      std::fprintf(stderr, "screen_bench: cannot load the pictures from the data folder\n");
      return 1;
    }
    FillSong(tracker);
    engine = &tracker;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    engine = nullptr;
  }
  GraphicsContext().font = nullptr;
  InstallGraphicsDevice(nullptr);
  return 0;
}

// Pieces the benchmark programs share: a heap allocation counter, a host whose data folder is
// the build's, a renderer that batches without handing anything to OpenGL, and the frame loop of
// the drawing benchmarks.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

#include "graphics/font.h"
#include "graphics/renderer.h"
#include "host/game.h"

// Heap allocations made through operator new since the program started. Linking this counts
// every allocation of the program through a replaced global operator new.
long HeapAllocations();

// The benchmark programs live in build/bench; build/data is the repository's data folder.
class BenchGame : public BBGlfwGame {
 public:
  BenchGame();
};

// A device that batches exactly like the real one but hands nothing to OpenGL.
class BatchOnlyDevice : public gxtkGraphics {
 public:
  BatchOnlyDevice() : gxtkGraphics(640, 475) {}
  int BeginFrame() override;
  int ClearTarget(float r, float g, float b) override;
  int SetBlendMode(int mode) override;
  int SetScissorRect(int x, int y, int w, int h) override;

 protected:
  void DrawBatch() override {}
};

// The renderer of a drawing benchmark: on a 640 x 475 window of `game` when DISPLAY is set and
// a window opens (`*onWindow` true), otherwise one without GL that still loads pictures as pixel
// copies for the batch-only runs. Installed as the drawing device, canvas 640 x 475.
std::unique_ptr<gxtkGraphics> OpenBenchRenderer(BenchGame& game, bool* onWindow);

// Draws one frame per benchmark iteration on `device` with `font` as the drawing font (`draw`
// between BeginDrawing and EndDrawing; glFinish after each frame when `finish`), and reports
// the last frame's draw calls, vertices, texture binds and quads, and the heap allocations per
// frame.
void RunFrames(benchmark::State& state, gxtkGraphics* device, const std::shared_ptr<c_Font>& font,
               const std::function<void()>& draw, bool finish);

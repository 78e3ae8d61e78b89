// Pieces the benchmark programs share: a heap allocation counter, a host whose data folder is
// the build's, and a renderer that batches without handing anything to OpenGL.
#pragma once

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

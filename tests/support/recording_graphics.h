// A graphics device for tests: makes no GL calls and records the drawing operations the
// program asks of it, in order. Loading pictures works as on the real device (pixels are kept;
// no texture is made).
#pragma once

#include <vector>

#include "graphics/renderer.h"

enum class GraphicsOp {
  Clear,
  Color,
  Alpha,
  Blend,
  Scissor,
  Transform,
  Rect,
  SurfaceRect,
  Surface
};

struct GraphicsCall {
  explicit GraphicsCall(GraphicsOp op, float x = 0, float y = 0, float w = 0, float h = 0)
      : op(op), x(x), y(y), w(w), h(h) {}

  GraphicsOp op;
  // Position and size; Clear and Color keep r, g, b in x, y, w; Alpha and Blend their value in
  // x; Transform its translation in x, y.
  float x = 0, y = 0, w = 0, h = 0;
  int srcX = 0, srcY = 0, srcW = 0, srcH = 0;  // source rectangle of SurfaceRect
  const gxtkSurface* surface = nullptr;
};

class RecordingGraphics : public gxtkGraphics {
 public:
  explicit RecordingGraphics(int width = 640, int height = 475);

  std::vector<GraphicsCall> calls;
  void Clear() { calls.clear(); }

  int BeginFrame() override { return 1; }
  void EndFrame() override {}
  int ClearTarget(float r, float g, float b) override;
  int SetAlphaLevel(float alpha) override;
  int SetColorRGB(float r, float g, float b) override;
  int SetBlendMode(int mode) override;
  int SetScissorRect(int x, int y, int w, int h) override;
  int SetTransformMatrix(float ix, float iy, float jx, float jy, float tx, float ty) override;
  int EmitRect(float x, float y, float w, float h) override;
  int EmitSurface(gxtkSurface* surface, float x, float y) override;
  int EmitSurfaceRect(gxtkSurface* surface, float x, float y, int srcX, int srcY, int srcW,
                      int srcH) override;
};

#include "tests/support/recording_graphics.h"

RecordingGraphics::RecordingGraphics(int width, int height) : gxtkGraphics(width, height) {}

int RecordingGraphics::ClearTarget(float r, float g, float b) {
  calls.push_back(GraphicsCall(GraphicsOp::Clear, r, g, b));
  return 0;
}

int RecordingGraphics::SetAlphaLevel(float alpha) {
  calls.push_back(GraphicsCall(GraphicsOp::Alpha, alpha));
  return 0;
}

int RecordingGraphics::SetColorRGB(float r, float g, float b) {
  calls.push_back(GraphicsCall(GraphicsOp::Color, r, g, b));
  return 0;
}

int RecordingGraphics::SetBlendMode(int mode) {
  calls.push_back(GraphicsCall(GraphicsOp::Blend, static_cast<float>(mode)));
  return 0;
}

int RecordingGraphics::SetScissorRect(int x, int y, int w, int h) {
  calls.push_back(GraphicsCall(GraphicsOp::Scissor, static_cast<float>(x), static_cast<float>(y),
                               static_cast<float>(w), static_cast<float>(h)));
  return 0;
}

int RecordingGraphics::SetTransformMatrix(float /*ix*/, float /*iy*/, float /*jx*/, float /*jy*/,
                                          float tx, float ty) {
  calls.push_back(GraphicsCall(GraphicsOp::Transform, tx, ty));
  return 0;
}

int RecordingGraphics::EmitRect(float x, float y, float w, float h) {
  calls.push_back(GraphicsCall(GraphicsOp::Rect, x, y, w, h));
  return 0;
}

int RecordingGraphics::EmitSurface(gxtkSurface* surface, float x, float y) {
  GraphicsCall call{GraphicsOp::Surface, x, y};
  call.surface = surface;
  if (surface) {
    call.w = static_cast<float>(surface->width);
    call.h = static_cast<float>(surface->height);
  }
  calls.push_back(call);
  return 0;
}

int RecordingGraphics::EmitSurfaceRect(gxtkSurface* surface, float x, float y, int srcX, int srcY,
                                       int srcW, int srcH) {
  GraphicsCall call{GraphicsOp::SurfaceRect, x, y, static_cast<float>(srcW),
                    static_cast<float>(srcH)};
  call.srcX = srcX;
  call.srcY = srcY;
  call.srcW = srcW;
  call.srcH = srcH;
  call.surface = surface;
  calls.push_back(call);
  return 0;
}

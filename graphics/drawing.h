// The drawing API: free functions over the one process-wide graphics context.
#pragma once

#include <memory>

#include "graphics/renderer.h"

class c_Font;
class c_Image;

class c_GraphicsContext {
 public:
  std::shared_ptr<c_Font> defaultFont;
  std::shared_ptr<c_Font> font;
  int matrixStackTop = 0;
  float ix = 1, iy = 0, jx = 0, jy = 1, tx = 0, ty = 0;
  int transformed = 0;
  int matrixDirty = 0;
  float colorRed = 0, colorGreen = 0, colorBlue = 0;
  float alpha = 0;
  int blendMode = 0;
  float clipX = 0, clipY = 0, clipWidth = 0, clipHeight = 0;
  float matrixStack[192] = {};
};

// The process-wide graphics context.
c_GraphicsContext& GraphicsContext();

// The device used by the loaders (set once at start-up) and the device drawing functions talk
// to (set only between BeginDrawing and EndDrawing).
void InstallGraphicsDevice(gxtkGraphics* device);
gxtkGraphics* InstalledGraphicsDevice();
gxtkGraphics* RenderDevice();

// The window size as last read from the host.
int CanvasWidth();
int CanvasHeight();
void SetCanvasSize(int width, int height);

void BeginDrawing();
void EndDrawing();
void SetDrawColor(float r, float g, float b);
void SetDrawAlpha(float alpha);
void SetDrawBlend(int mode);
void SetDrawClip(float x, float y, float w, float h);
void ClearScreen(float r, float g, float b);
void FlushDrawMatrix();
void FillRect(float x, float y, float w, float h);
void DrawImageFrame(const c_Image& image, float x, float y, int frame);

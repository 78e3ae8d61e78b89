#include "graphics/drawing.h"

#include "graphics/image.h"

namespace {

gxtkGraphics* installedDevice = nullptr;
gxtkGraphics* renderDevice = nullptr;
int canvasWidth = 0;
int canvasHeight = 0;

}  // namespace

c_GraphicsContext& GraphicsContext() {
  static c_GraphicsContext context;
  return context;
}

void InstallGraphicsDevice(gxtkGraphics* device) {
  installedDevice = device;
}
gxtkGraphics* InstalledGraphicsDevice() {
  return installedDevice;
}
gxtkGraphics* RenderDevice() {
  return renderDevice;
}

int CanvasWidth() {
  return canvasWidth;
}
int CanvasHeight() {
  return canvasHeight;
}
void SetCanvasSize(int width, int height) {
  canvasWidth = width;
  canvasHeight = height;
}

void BeginDrawing() {
  c_GraphicsContext& context = GraphicsContext();
  renderDevice = installedDevice;
  context.matrixStackTop = 0;
  context.ix = 1;
  context.iy = 0;
  context.jx = 0;
  context.jy = 1;
  context.tx = 0;
  context.ty = 0;
  context.transformed = 0;
  context.matrixDirty = 1;
  SetDrawColor(255, 255, 255);
  SetDrawAlpha(1);
  SetDrawBlend(0);
  SetDrawClip(0, 0, static_cast<float>(CanvasWidth()), static_cast<float>(CanvasHeight()));
}

void EndDrawing() {
  renderDevice = nullptr;
}

// Outside a frame there is no render device: setters only store their values and drawing
// functions draw nothing.

void SetDrawColor(float r, float g, float b) {
  c_GraphicsContext& context = GraphicsContext();
  context.colorRed = r;
  context.colorGreen = g;
  context.colorBlue = b;
  if (renderDevice) renderDevice->SetColorRGB(r, g, b);
}

void SetDrawAlpha(float alpha) {
  GraphicsContext().alpha = alpha;
  if (renderDevice) renderDevice->SetAlphaLevel(alpha);
}

void SetDrawBlend(int mode) {
  GraphicsContext().blendMode = mode;
  if (renderDevice) renderDevice->SetBlendMode(mode);
}

void SetDrawClip(float x, float y, float w, float h) {
  c_GraphicsContext& context = GraphicsContext();
  context.clipX = x;
  context.clipY = y;
  context.clipWidth = w;
  context.clipHeight = h;
  if (renderDevice) {
    renderDevice->SetScissorRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                                 static_cast<int>(h));
  }
}

void ClearScreen(float r, float g, float b) {
  if (renderDevice) renderDevice->ClearTarget(r, g, b);
}

void FlushDrawMatrix() {
  c_GraphicsContext& context = GraphicsContext();
  if (!context.matrixDirty || !renderDevice) return;
  renderDevice->SetTransformMatrix(context.ix, context.iy, context.jx, context.jy, context.tx,
                                   context.ty);
  context.matrixDirty = 0;
}

void FillRect(float x, float y, float w, float h) {
  if (!renderDevice) return;
  FlushDrawMatrix();
  renderDevice->EmitRect(x, y, w, h);
}

void DrawImageFrame(const c_Image& image, float x, float y, int frame) {
  if (!renderDevice || !image.surface) return;
  if (frame < 0 || frame >= static_cast<int>(image.frames.size())) return;
  FlushDrawMatrix();
  const c_Frame& f = image.frames[static_cast<size_t>(frame)];
  if (image.flags & IMAGE_WHOLE_SURFACE) {
    renderDevice->EmitSurface(image.surface.get(), x - image.handleX, y - image.handleY);
  } else {
    renderDevice->EmitSurfaceRect(image.surface.get(), x - image.handleX, y - image.handleY, f.x,
                                  f.y, image.width, image.height);
  }
}

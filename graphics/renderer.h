// The batched 2D renderer on the OpenGL 1.x fixed-function pipeline: gxtkGraphics (the device,
// one per window) and gxtkSurface (an image kept as a pixel copy and as a texture).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/text.h"

struct GLFWwindow;

class gxtkSurface {
 public:
  gxtkSurface();
  virtual ~gxtkSurface();  // does what ReleaseTexture does

  virtual void ReleaseTexture();
  virtual int GetWidth() { return width; }
  virtual int GetHeight() { return height; }
  virtual bool IsLoaded() { return true; }
  virtual void EnsureTexture();

  // Takes the pixel copy (rows of width pixels, top row first) and premultiplies it in place.
  void AdoptPixels(std::vector<unsigned char> buffer, int width, int height, int depth);

  std::vector<unsigned char> pixels;  // empty when there is no pixel copy
  int width = 0;
  int height = 0;
  int depth = 0;
  unsigned int format = 0;  // GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB or GL_RGBA
  int generation = -1;
  unsigned int texture = 0;
  float uScale = 0;
  float vScale = 0;
};

// Work done by the renderer since the last BeginFrame; cheap counters for tests and benchmarks.
struct RendererFrameStats {
  int drawCalls = 0;        // glDrawArrays/glDrawElements calls
  int flushedVertices = 0;  // vertices handed to those calls
  int textureBinds = 0;     // flushed batches that bound a texture
};

class gxtkGraphics {
 public:
  static constexpr int MAX_BATCH_VERTICES = 1024;
  static constexpr int VERTEX_BYTES = 20;

  // The device for the game's window (reads its size).
  explicit gxtkGraphics(GLFWwindow* window);
  virtual ~gxtkGraphics();

  virtual int GetWidth() { return width; }
  virtual int GetHeight() { return height; }
  virtual int BeginFrame();
  virtual void EndFrame();
  virtual void DiscardResources() {}
  virtual std::shared_ptr<gxtkSurface> LoadSurfaceFile(const String& path);
  virtual std::shared_ptr<gxtkSurface> CreateBlankSurface(int width, int height);
  virtual bool FillSurfaceFromFile(gxtkSurface* surface, const String& path);
  virtual int ClearTarget(float r, float g, float b);
  virtual int SetAlphaLevel(float alpha);
  virtual int SetColorRGB(float r, float g, float b);
  virtual int SetBlendMode(int mode);
  virtual int SetScissorRect(int x, int y, int w, int h);
  virtual int SetTransformMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
  virtual int EmitPoint(float x, float y);
  virtual int EmitRect(float x, float y, float w, float h);
  virtual int EmitLine(float x1, float y1, float x2, float y2);
  virtual int EmitOval(float x, float y, float w, float h);
  virtual int EmitPolygon(const std::vector<float>& xy);
  virtual int EmitTexturedPolygon(const std::vector<float>& xyuv, gxtkSurface* surface, int srcX,
                                  int srcY);
  virtual int EmitSurface(gxtkSurface* surface, float x, float y);
  virtual int EmitSurfaceRect(gxtkSurface* surface, float x, float y, int srcX, int srcY, int srcW,
                              int srcH);
  virtual int ReadFramePixels(std::vector<int>& pixels, int x, int y, int w, int h, int offset,
                              int pitch);
  virtual int WriteSurfacePixels(gxtkSurface* surface, const std::vector<int>& pixels, int x, int y,
                                 int w, int h, int offset, int pitch);

  const RendererFrameStats& FrameStats() const { return stats; }

  // Test seam: makes EnsureTexture treat the first glTexImage2D as failed, so the
  // power-of-two retry can be exercised on a driver that accepts any size.
  static bool forceTextureRetry;

 protected:
  // A device that issues no GL or GLFW calls until it draws: for subclasses that record calls.
  gxtkGraphics(int width, int height);

  // Returns the index of the first of count new vertices of the given kind and surface,
  // flushing first when the kind or surface changes or the batch would overflow.
  int ReserveVertices(int kind, int count, gxtkSurface* surface);
  // Hands the batch to OpenGL (through DrawBatch), counts the work and empties the batch.
  void FlushBatch();
  // The GL part of a flush: binds the batch's texture and issues the draw calls. Virtual so a
  // subclass without a GL context can fill and flush batches (benchmarks, recording tests).
  virtual void DrawBatch();

  struct Vertex {
    float x, y, u, v;
    uint32_t color;  // bytes R, G, B, A in memory
  };
  static_assert(sizeof(Vertex) == VERTEX_BYTES, "vertex layout");

  // Writes one vertex's position, through the current matrix, and the current colour.
  void PutVertex(Vertex& v, float x, float y) const {
    if (transformed) {
      v.x = x * ix + y * jx + tx;
      v.y = x * iy + y * jy + ty;
    } else {
      v.x = x;
      v.y = y;
    }
    v.color = packedColor;
  }

  GLFWwindow* window = nullptr;
  int width = 0;
  int height = 0;
  uint32_t packedColor = 0xFFFFFFFFu;
  float red = 255, green = 255, blue = 255;
  float alpha = 1;
  float ix = 1, iy = 0, jx = 0, jy = 1, tx = 0, ty = 0;
  bool transformed = false;
  Vertex vertices[MAX_BATCH_VERTICES];
  uint16_t quadIndices[MAX_BATCH_VERTICES / 4 * 6];
  int primitiveKind = 0;
  int vertexCount = 0;
  gxtkSurface* batchSurface = nullptr;
  RendererFrameStats stats;
};

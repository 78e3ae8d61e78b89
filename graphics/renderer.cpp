#include "graphics/renderer.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <cmath>
#include <cstddef>

#include "host/game.h"

bool gxtkGraphics::forceTextureRetry = false;

namespace {

// Primitive kinds of the batch; kinds of 5 and more are convex fans of exactly that many vertices.
constexpr int KIND_POINTS = 1;
constexpr int KIND_LINES = 2;
constexpr int KIND_TRIANGLES = 3;
constexpr int KIND_QUADS = 4;

// One term of the packed colour: truncated to an int and kept within a byte, so a colour outside
// 0-255 (or a NaN) cannot spill into the neighbouring channel.
uint32_t ColorByte(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 255.0f) return 255;
  return static_cast<uint32_t>(value);
}

}  // namespace

gxtkGraphics::gxtkGraphics(GLFWwindow* window) : window(window) {
  if (window) glfwGetWindowSize(window, &width, &height);
  for (int q = 0; q < MAX_BATCH_VERTICES / 4; ++q) {
    const uint16_t b = static_cast<uint16_t>(q * 4);
    uint16_t* quad = quadIndices + q * 6;
    quad[0] = b;
    quad[1] = static_cast<uint16_t>(b + 1);
    quad[2] = static_cast<uint16_t>(b + 2);
    quad[3] = b;
    quad[4] = static_cast<uint16_t>(b + 2);
    quad[5] = static_cast<uint16_t>(b + 3);
  }
}

gxtkGraphics::gxtkGraphics(int width, int height)
    : gxtkGraphics(static_cast<GLFWwindow*>(nullptr)) {
  this->width = width;
  this->height = height;
}

gxtkGraphics::~gxtkGraphics() = default;

int gxtkGraphics::BeginFrame() {
  int framebufferWidth = width;
  int framebufferHeight = height;
  if (window) {
    glfwGetWindowSize(window, &width, &height);
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
  }
  glViewport(0, 0, framebufferWidth, framebufferHeight);

  // Drawing coordinates are window coordinates, even when the framebuffer is larger.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(2, GL_FLOAT, VERTEX_BYTES, &vertices[0].x);
  glTexCoordPointer(2, GL_FLOAT, VERTEX_BYTES, &vertices[0].u);
  glColorPointer(4, GL_UNSIGNED_BYTE, VERTEX_BYTES, &vertices[0].color);

  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_TEXTURE_2D);

  vertexCount = 0;
  stats = RendererFrameStats();
  return 1;
}

void gxtkGraphics::EndFrame() {
  if (vertexCount > 0) FlushBatch();
}

int gxtkGraphics::ReserveVertices(int kind, int count, gxtkSurface* surface) {
  if (kind == primitiveKind && surface == batchSurface &&
      vertexCount + count <= MAX_BATCH_VERTICES) {
    const int first = vertexCount;
    vertexCount += count;
    return first;
  }
  if (vertexCount > 0) FlushBatch();
  primitiveKind = kind;
  batchSurface = surface;
  vertexCount = count;
  return 0;
}

void gxtkGraphics::FlushBatch() {
  if (primitiveKind >= 5) {
    stats.drawCalls += (vertexCount + primitiveKind - 1) / primitiveKind;
  } else {
    stats.drawCalls += 1;
  }
  stats.flushedVertices += vertexCount;
  if (batchSurface) stats.textureBinds += 1;
  DrawBatch();
  vertexCount = 0;
}

void gxtkGraphics::DrawBatch() {
  if (batchSurface) {
    glEnable(GL_TEXTURE_2D);
    batchSurface->EnsureTexture();
  }
  switch (primitiveKind) {
    case KIND_POINTS:
      glDrawArrays(GL_POINTS, 0, vertexCount);
      break;
    case KIND_LINES:
      glDrawArrays(GL_LINES, 0, vertexCount);
      break;
    case KIND_TRIANGLES:
      glDrawArrays(GL_TRIANGLES, 0, vertexCount);
      break;
    case KIND_QUADS:
      glDrawElements(GL_TRIANGLES, vertexCount / 4 * 6, GL_UNSIGNED_SHORT, quadIndices);
      break;
    default:
      for (int first = 0; first < vertexCount; first += primitiveKind) {
        glDrawArrays(GL_TRIANGLE_FAN, first, primitiveKind);
      }
      break;
  }
  if (batchSurface) glDisable(GL_TEXTURE_2D);
}

std::shared_ptr<gxtkSurface> gxtkGraphics::LoadSurfaceFile(const String& path) {
  auto surface = std::make_shared<gxtkSurface>();
  if (!FillSurfaceFromFile(surface.get(), path)) return nullptr;
  surface->EnsureTexture();
  return surface;
}

std::shared_ptr<gxtkSurface> gxtkGraphics::CreateBlankSurface(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  auto surface = std::make_shared<gxtkSurface>();
  surface->AdoptPixels(std::vector<unsigned char>(static_cast<size_t>(width) * height * 4, 0),
                       width, height, 4);
  surface->EnsureTexture();
  return surface;
}

bool gxtkGraphics::FillSurfaceFromFile(gxtkSurface* surface, const String& path) {
  BBGame* game = BBGame::Game();
  if (!game || !surface) return false;
  std::optional<ImageFileData> image = game->LoadImageFile(path);
  if (!image || image->pixels.empty()) return false;
  surface->AdoptPixels(std::move(image->pixels), image->width, image->height, image->depth);
  return true;
}

int gxtkGraphics::ClearTarget(float r, float g, float b) {
  vertexCount = 0;
  glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  return 0;
}

int gxtkGraphics::SetAlphaLevel(float alpha) {
  this->alpha = alpha;
  packedColor = ColorByte(alpha * 255.0f) << 24 | ColorByte(blue * alpha) << 16 |
                ColorByte(green * alpha) << 8 | ColorByte(red * alpha);
  return 0;
}

int gxtkGraphics::SetColorRGB(float r, float g, float b) {
  red = r;
  green = g;
  blue = b;
  return SetAlphaLevel(alpha);
}

int gxtkGraphics::SetBlendMode(int mode) {
  if (vertexCount > 0) FlushBatch();
  glBlendFunc(GL_ONE, mode == 1 ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
  return 0;
}

int gxtkGraphics::SetScissorRect(int x, int y, int w, int h) {
  if (vertexCount > 0) FlushBatch();
  if (x == 0 && y == 0 && w == GetWidth() && h == GetHeight()) {
    glDisable(GL_SCISSOR_TEST);
  } else {
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, GetHeight() - y - h, w, h);
  }
  return 0;
}

int gxtkGraphics::SetTransformMatrix(float ix, float iy, float jx, float jy, float tx, float ty) {
  this->ix = ix;
  this->iy = iy;
  this->jx = jx;
  this->jy = jy;
  this->tx = tx;
  this->ty = ty;
  transformed = !(ix == 1 && iy == 0 && jx == 0 && jy == 1 && tx == 0 && ty == 0);
  return 0;
}

int gxtkGraphics::EmitPoint(float x, float y) {
  Vertex* v = vertices + ReserveVertices(KIND_POINTS, 1, nullptr);
  PutVertex(v[0], x, y);
  return 0;
}

int gxtkGraphics::EmitRect(float x, float y, float w, float h) {
  Vertex* v = vertices + ReserveVertices(KIND_QUADS, 4, nullptr);
  PutVertex(v[0], x, y);
  PutVertex(v[1], x + w, y);
  PutVertex(v[2], x + w, y + h);
  PutVertex(v[3], x, y + h);
  return 0;
}

int gxtkGraphics::EmitLine(float x1, float y1, float x2, float y2) {
  Vertex* v = vertices + ReserveVertices(KIND_LINES, 2, nullptr);
  PutVertex(v[0], x1, y1);
  PutVertex(v[1], x2, y2);
  return 0;
}

int gxtkGraphics::EmitOval(float x, float y, float w, float h) {
  const float rx = w * 0.5f;
  const float ry = h * 0.5f;
  const float cx = x + rx;
  const float cy = y + ry;
  // Enough segments that the outline looks round at its size, within one batch.
  int segments = static_cast<int>((std::fabs(rx) + std::fabs(ry)) * 0.5f);
  if (segments < 12) segments = 12;
  if (segments > 256) segments = 256;
  Vertex* v = vertices + ReserveVertices(segments, segments, nullptr);
  for (int i = 0; i < segments; ++i) {
    const float angle = static_cast<float>(i) * 6.28318531f / static_cast<float>(segments);
    PutVertex(v[i], cx + std::cos(angle) * rx, cy + std::sin(angle) * ry);
  }
  return 0;
}

int gxtkGraphics::EmitPolygon(const std::vector<float>& xy) {
  const int n = static_cast<int>(xy.size() / 2);
  if (n < 3 || n > MAX_BATCH_VERTICES) return 0;
  Vertex* v = vertices + ReserveVertices(n, n, nullptr);
  for (int i = 0; i < n; ++i) PutVertex(v[i], xy[2 * i], xy[2 * i + 1]);
  return 0;
}

int gxtkGraphics::EmitTexturedPolygon(const std::vector<float>& xyuv, gxtkSurface* surface,
                                      int srcX, int srcY) {
  const int n = static_cast<int>(xyuv.size() / 4);
  if (!surface || n < 3 || n > MAX_BATCH_VERTICES) return 0;
  if (surface->generation != graphicsGeneration) surface->EnsureTexture();
  Vertex* v = vertices + ReserveVertices(n, n, surface);
  for (int i = 0; i < n; ++i) {
    const float* p = &xyuv[4 * static_cast<size_t>(i)];
    PutVertex(v[i], p[0], p[1]);
    v[i].u = (static_cast<float>(srcX) + p[2]) * surface->uScale;
    v[i].v = (static_cast<float>(srcY) + p[3]) * surface->vScale;
  }
  return 0;
}

int gxtkGraphics::EmitSurface(gxtkSurface* surface, float x, float y) {
  // A texture made for an older context is rebuilt first, so its scale is current.
  if (surface->generation != graphicsGeneration) surface->EnsureTexture();
  const float w = static_cast<float>(surface->GetWidth());
  const float h = static_cast<float>(surface->GetHeight());
  const float u = w * surface->uScale;
  const float t = h * surface->vScale;
  Vertex* v = vertices + ReserveVertices(KIND_QUADS, 4, surface);
  PutVertex(v[0], x, y);
  v[0].u = 0;
  v[0].v = 0;
  PutVertex(v[1], x + w, y);
  v[1].u = u;
  v[1].v = 0;
  PutVertex(v[2], x + w, y + h);
  v[2].u = u;
  v[2].v = t;
  PutVertex(v[3], x, y + h);
  v[3].u = 0;
  v[3].v = t;
  return 0;
}

int gxtkGraphics::EmitSurfaceRect(gxtkSurface* surface, float x, float y, int srcX, int srcY,
                                  int srcW, int srcH) {
  if (surface->generation != graphicsGeneration) surface->EnsureTexture();
  const float w = static_cast<float>(srcW);
  const float h = static_cast<float>(srcH);
  const float u0 = static_cast<float>(srcX) * surface->uScale;
  const float v0 = static_cast<float>(srcY) * surface->vScale;
  const float u1 = static_cast<float>(srcX + srcW) * surface->uScale;
  const float v1 = static_cast<float>(srcY + srcH) * surface->vScale;
  Vertex* v = vertices + ReserveVertices(KIND_QUADS, 4, surface);
  PutVertex(v[0], x, y);
  v[0].u = u0;
  v[0].v = v0;
  PutVertex(v[1], x + w, y);
  v[1].u = u1;
  v[1].v = v0;
  PutVertex(v[2], x + w, y + h);
  v[2].u = u1;
  v[2].v = v1;
  PutVertex(v[3], x, y + h);
  v[3].u = u0;
  v[3].v = v1;
  return 0;
}

int gxtkGraphics::ReadFramePixels(std::vector<int>& pixels, int x, int y, int w, int h, int offset,
                                  int pitch) {
  if (w <= 0 || h <= 0 || offset < 0) return 0;
  const size_t last = static_cast<size_t>(offset) + static_cast<size_t>(h - 1) * pitch + w;
  if (pitch < w || last > pixels.size()) return 0;
  if (vertexCount > 0) FlushBatch();
  std::vector<unsigned char> row(static_cast<size_t>(w) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  for (int r = 0; r < h; ++r) {
    // GL counts rows from the bottom of the window.
    glReadPixels(x, GetHeight() - 1 - (y + r), w, 1, GL_RGBA, GL_UNSIGNED_BYTE, row.data());
    int* out = &pixels[static_cast<size_t>(offset) + static_cast<size_t>(r) * pitch];
    for (int c = 0; c < w; ++c) {
      const unsigned char* p = &row[static_cast<size_t>(c) * 4];
      out[c] = static_cast<int>(static_cast<uint32_t>(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2]);
    }
  }
  return 0;
}

int gxtkGraphics::WriteSurfacePixels(gxtkSurface* surface, const std::vector<int>& pixels, int x,
                                     int y, int w, int h, int offset, int pitch) {
  if (!surface || surface->depth != 4 || w <= 0 || h <= 0 || offset < 0 || pitch < w) return 0;
  if (x < 0 || y < 0 || x + w > surface->width || y + h > surface->height) return 0;
  const size_t last = static_cast<size_t>(offset) + static_cast<size_t>(h - 1) * pitch + w;
  if (last > pixels.size() || surface->pixels.empty()) return 0;
  // Vertices already batched with this surface are drawn with the old texels.
  if (vertexCount > 0 && batchSurface == surface) FlushBatch();
  for (int r = 0; r < h; ++r) {
    const int* in = &pixels[static_cast<size_t>(offset) + static_cast<size_t>(r) * pitch];
    unsigned char* out = &surface->pixels[(static_cast<size_t>(y + r) * surface->width + x) * 4];
    for (int c = 0; c < w; ++c) {
      const uint32_t argb = static_cast<uint32_t>(in[c]);
      const uint32_t a = argb >> 24;
      out[c * 4 + 0] = static_cast<unsigned char>(((argb >> 16) & 255) * a / 255);
      out[c * 4 + 1] = static_cast<unsigned char>(((argb >> 8) & 255) * a / 255);
      out[c * 4 + 2] = static_cast<unsigned char>((argb & 255) * a / 255);
      out[c * 4 + 3] = static_cast<unsigned char>(a);
    }
  }
  if (graphicsGeneration != 0 && surface->generation == graphicsGeneration) {
    glBindTexture(GL_TEXTURE_2D, surface->texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, surface->width);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE,
                    &surface->pixels[(static_cast<size_t>(y) * surface->width + x) * 4]);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  }
  return 0;
}

#include <GL/gl.h>

#include "graphics/renderer.h"
#include "host/game.h"

namespace {

// The smallest power of two not below size (from 1).
int PowerOfTwoAtLeast(int size) {
  int n = 1;
  while (n < size && n < (1 << 30)) n <<= 1;
  return n;
}

}  // namespace

gxtkSurface::gxtkSurface() = default;

gxtkSurface::~gxtkSurface() {
  ReleaseTexture();
}

void gxtkSurface::ReleaseTexture() {
  if (generation == graphicsGeneration) {
    glDeleteTextures(1, &texture);
    generation = -1;
  }
  std::vector<unsigned char>().swap(pixels);
}

void gxtkSurface::EnsureTexture() {
  if (graphicsGeneration == 0) return;
  if (generation == graphicsGeneration) {
    glBindTexture(GL_TEXTURE_2D, texture);
    return;
  }
  // A texture of an older context died with it; make a new one from the pixel copy.
  generation = graphicsGeneration;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

  // Errors left over from earlier calls must not be taken for a rejected size.
  while (glGetError() != GL_NO_ERROR) {
  }
  int textureWidth = width;
  int textureHeight = height;
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), textureWidth, textureHeight, 0, format,
               GL_UNSIGNED_BYTE, nullptr);
  const bool rejected = glGetError() != GL_NO_ERROR;
  if (rejected || gxtkGraphics::forceTextureRetry) {
    // Drivers without non-power-of-two textures: a larger texture whose top-left corner holds
    // the picture.
    textureWidth = PowerOfTwoAtLeast(width);
    textureHeight = PowerOfTwoAtLeast(height);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), textureWidth, textureHeight, 0,
                 format, GL_UNSIGNED_BYTE, nullptr);
  }
  uScale = 1.0f / static_cast<float>(textureWidth);
  vScale = 1.0f / static_cast<float>(textureHeight);

  if (!pixels.empty()) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, GL_UNSIGNED_BYTE, pixels.data());
  }
}

void gxtkSurface::AdoptPixels(std::vector<unsigned char> buffer, int width, int height, int depth) {
  pixels = std::move(buffer);
  this->width = width;
  this->height = height;
  this->depth = depth;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (width <= 0 || height <= 0 || depth <= 0 ||
      pixels.size() < count * static_cast<size_t>(depth)) {
    // A buffer that does not hold the picture it claims is never uploaded.
    std::vector<unsigned char>().swap(pixels);
    format = 0;
    return;
  }
  unsigned char* p = pixels.data();
  switch (depth) {
    case 1:
      format = GL_LUMINANCE;
      break;
    case 2:
      format = GL_LUMINANCE_ALPHA;
      for (size_t i = 0; i < count; ++i, p += 2)
        p[0] = static_cast<unsigned char>(p[0] * p[1] / 255);
      break;
    case 3:
      format = GL_RGB;
      break;
    case 4:
      format = GL_RGBA;
      for (size_t i = 0; i < count; ++i, p += 4) {
        const int a = p[3];
        p[0] = static_cast<unsigned char>(p[0] * a / 255);
        p[1] = static_cast<unsigned char>(p[1] * a / 255);
        p[2] = static_cast<unsigned char>(p[2] * a / 255);
      }
      break;
    default:
      format = 0;
      break;
  }
}

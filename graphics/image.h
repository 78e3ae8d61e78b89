// Images: a surface plus frames, a drawing handle and flags.
#pragma once

#include <memory>
#include <vector>

#include "graphics/renderer.h"
#include "runtime/text.h"

enum ImageFlags {
  IMAGE_MID_HANDLE = 1,
  IMAGE_X_PADDING = 2,
  IMAGE_Y_PADDING = 4,
  IMAGE_WHOLE_SURFACE = 0x10000,
};

// Flags used by the loaders when the caller has none of its own.
extern int defaultImageFlags;

class c_Frame {
 public:
  c_Frame(int x, int y) : x(x), y(y) {}
  int x = 0;
  int y = 0;
};

class c_Image {
 public:
  std::shared_ptr<gxtkSurface> surface;
  int width = 0;
  int height = 0;
  std::vector<c_Frame> frames;
  int flags = 0;
  float handleX = 0;
  float handleY = 0;
  c_Image* source = nullptr;

  void ApplyImageFlags(int flags);
};

// Loads a picture from the data folder (bare names resolve to "taliscor://data/"); none when the
// file cannot be opened or decoded.
std::shared_ptr<c_Image> LoadImageResource(const String& path, int flags);

#include "graphics/image.h"

#include "graphics/drawing.h"
#include "host/files/data_path.h"

int defaultImageFlags = 0;

void c_Image::ApplyImageFlags(int newFlags) {
  flags = newFlags;
  if (flags & IMAGE_X_PADDING) {
    for (c_Frame& frame : frames) frame.x += 1;
    width -= 2;
  }
  if (flags & IMAGE_Y_PADDING) {
    for (c_Frame& frame : frames) frame.y += 1;
    height -= 2;
  }
  if (flags & IMAGE_MID_HANDLE) {
    flags &= ~IMAGE_MID_HANDLE;
    handleX = width * 0.5f;
    handleY = height * 0.5f;
  }
  if (surface && frames.size() == 1 && frames[0].x == 0 && frames[0].y == 0 &&
      width == surface->GetWidth() && height == surface->GetHeight()) {
    flags |= IMAGE_WHOLE_SURFACE;
  }
}

std::shared_ptr<c_Image> LoadImageResource(const String& path, int flags) {
  gxtkGraphics* device = InstalledGraphicsDevice();
  if (!device) return nullptr;
  std::shared_ptr<gxtkSurface> surface = device->LoadSurfaceFile(ResolveDataPath(path));
  if (!surface) return nullptr;
  auto image = std::make_shared<c_Image>();
  image->surface = surface;
  image->width = surface->GetWidth();
  image->height = surface->GetHeight();
  image->frames.emplace_back(0, 0);
  image->ApplyImageFlags(flags);
  return image;
}

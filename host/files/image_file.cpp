#include "host/files/image_file.h"

#include <stb_image.h>

#include "host/game.h"

std::optional<ImageFileData> DecodeImageFile(std::FILE* file) {
  int width = 0;
  int height = 0;
  int depth = 0;
  unsigned char* pixels = stbi_load_from_file(file, &width, &height, &depth, 0);
  if (!pixels) return std::nullopt;
  ImageFileData image;
  image.width = width;
  image.height = height;
  image.depth = depth;
  image.pixels.assign(pixels, pixels + static_cast<size_t>(width) * height * depth);
  stbi_image_free(pixels);
  return image;
}

std::optional<ImageFileData> BBGlfwGame::LoadImageFile(const String& path) {
  std::FILE* file = OpenFile(path, u"rb");
  if (!file) return std::nullopt;
  std::optional<ImageFileData> image = DecodeImageFile(file);
  std::fclose(file);
  return image;
}

// Decoding of picture files into 8-bit pixels with the file's own component count.
#pragma once

#include <cstdio>
#include <optional>
#include <vector>

struct ImageFileData {
  std::vector<unsigned char> pixels;  // rows of width pixels, no padding, top row first
  int width = 0;
  int height = 0;
  int depth = 0;  // bytes per pixel: 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
};

// Decodes the picture from an open file (any format stb_image reads); none when it cannot.
// The file stays open.
std::optional<ImageFileData> DecodeImageFile(std::FILE* file);

// Helpers for graphics tests: one real window with a GL context per test program, a fresh
// renderer per test, frames drawn into the back buffer and read back with glReadPixels, and
// small picture files written on the fly.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "graphics/renderer.h"
#include "tests/support/test_game.h"

struct Rgb {
  int r = 0;
  int g = 0;
  int b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Rgb& o) const { return !(*this == o); }
};
std::ostream& operator<<(std::ostream& out, const Rgb& c);

// The test program's host: the first call starts GLFW and opens the 640 x 475 window.
TestGame& GraphicsTestGame();

// Reopens the window, which makes a new GL context and a new graphicsGeneration.
void ReopenTestWindow();

// A renderer on the current window, installed as the graphics device; the drawing context's
// fonts are cleared before and after each test.
class GlTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // BeginFrame and a clear to the colour; then draw through device and call EndFrame.
  void BeginFrame(int r = 0, int g = 0, int b = 0);
  void EndFrame();

  // A pixel of the back buffer, in window coordinates (origin top left).
  Rgb Pixel(int x, int y);
  // A region of the back buffer as RGB triples, top row first.
  std::vector<Rgb> Region(int x, int y, int w, int h);

  std::unique_ptr<gxtkGraphics> device;
};

// A folder of its own under the system's temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& Path() const { return path; }
  std::string File(const std::string& name) const { return path + "/" + name; }

 private:
  std::string path;
};

// Writes an RGBA PNG; pixels are 0xRRGGBBAA values, top row first.
void WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> ReadBytes(const std::string& path);

// A path of the repository's data folder.
std::string DataFile(const std::string& name);

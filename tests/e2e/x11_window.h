// Looking at the X server the tests run on: finding a program's window, its title and place,
// and reading back the pixels on the screen.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexa_test {

// Pixels read back from the screen: rows top first, three bytes (red, green, blue) each.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;

  struct Pixel {
    int r = 0, g = 0, b = 0;
    bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
  };
  Pixel At(int x, int y) const;
  // The part of the image inside the rectangle (cut to the image).
  Image Crop(int x, int y, int w, int h) const;
  // Number of pixels whose colour is within tolerance of the given one in each component.
  int CountColor(Pixel colour, int tolerance = 0) const;
  // Writes the image as a PNG file (for looking at a failure); false when it cannot.
  bool SavePng(const std::string& path) const;
};

struct WindowGeometry {
  int x = 0;  // client area's top-left corner on the screen
  int y = 0;
  int width = 0;
  int height = 0;
};

// The size limits a window asks the window manager for (0 where it sets none).
struct SizeLimits {
  int minWidth = 0;
  int minHeight = 0;
  int maxWidth = 0;
  int maxHeight = 0;
};

// One connection to the X server named by DISPLAY.
class X11Connection {
 public:
  X11Connection();
  ~X11Connection();
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;

  bool Ok() const { return display != nullptr; }

  // The viewable top-level window of the process whose title starts with the prefix; none
  // when there is no such window (yet).
  std::optional<unsigned long> FindWindow(pid_t pid, const std::string& titlePrefix);
  // The window's title (UTF-8), empty when it has none or is gone.
  std::string Title(unsigned long window);
  std::optional<WindowGeometry> Geometry(unsigned long window);
  std::optional<SizeLimits> SizeHints(unsigned long window);
  // Whether the window still exists and is viewable.
  bool Viewable(unsigned long window);
  // The window that has the keyboard focus (0 for none).
  unsigned long FocusedWindow();
  // The screen's pixels inside the rectangle (screen coordinates).
  std::optional<Image> CaptureScreen(int x, int y, int width, int height);
  std::optional<Image> CaptureScreen();

 private:
  void* display = nullptr;  // Display*
};

}  // namespace vexa_test

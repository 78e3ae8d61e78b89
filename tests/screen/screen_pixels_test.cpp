// One frame of a fresh tracker on the real renderer: a 640 x 475 GLFW window under the test
// run's X server, Mesa's OpenGL, the tracker's own font and button pictures. The frame is read
// back with glReadPixels before the buffer swap. It is also written to
// <build>/screen_fresh_tracker.png for a person to look at.
#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/drawing.h"
#include "graphics/font.h"
#include "graphics/renderer.h"
#include "host/input/input_device.h"
#include "tests/support/recording_audio.h"
#include "tests/support/screen_text.h"
#include "tests/support/test_game.h"
#include "tracker/sound_engine.h"

namespace {

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// The back buffer, top row first.
class FramePixels {
 public:
  FramePixels(int width, int height) : width(width), height(height) {
    rgba.resize(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<unsigned char> bottomUp(rgba.size());
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
      std::copy_n(&bottomUp[static_cast<size_t>(height - 1 - y) * rowBytes], rowBytes,
                  &rgba[static_cast<size_t>(y) * rowBytes]);
    }
  }
  Rgb At(int x, int y) const {
    const unsigned char* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
    return {p[0], p[1], p[2]};
  }
  bool SavePng(const std::string& path) const {
    return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
  }

  const int width, height;

 private:
  std::vector<unsigned char> rgba;
};

TEST(ScreenPixels, AFreshTrackersFrameOnTheRealRenderer) {
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs an X server (DISPLAY)";
  ASSERT_TRUE(glfwInit());
  {
    TestGame game;
    game.manualClock = true;
    game.OpenWindow(640, 475, 4);
    ASSERT_NE(game.GetGLFWwindow(), nullptr);
    gxtkGraphics device(game.GetGLFWwindow());
    InstallGraphicsDevice(&device);
    SetCanvasSize(640, 475);
    RecordingAudio audio;
    c_InputDevice input;
    SetInputDevice(&input);

    {
      c_SoundEngine engine;
      engine.OnCreate();
      engine.OnUpdate();  // the first update, as the running program has it before a frame
      input.EndUpdate();

      device.BeginFrame();
      BeginDrawing();
      engine.OnRender();
      EndDrawing();
      device.EndFrame();
      glFinish();
      const FramePixels frame(640, 475);
      EXPECT_TRUE(frame.SavePng(std::string(VEXA_BINARY_DIR) + "/screen_fresh_tracker.png"));

      const Rgb background{86, 60, 106}, topBar{38, 38, 38}, black{0, 0, 0}, highlight{71, 53, 85},
          restingBar{81, 93, 149}, cursor{143, 31, 87};
      struct Point {
        int x, y;
        Rgb colour;
        const char* what;
      };
      const std::vector<Point> points = {
          {0, 200, background, "left edge beside the pattern area"},
          {630, 300, background, "right of the instrument panel"},
          {639, 474, background, "bottom right corner"},
          {320, 12, topBar, "top bar below the header"},
          {2, 0, topBar, "top bar's first pixel"},
          {290, 397, black, "pattern area below the last row"},
          {303, 200, background, "separator"},
          {378, 24, highlight, "behind the current position"},
          {380, 14, highlight, "highlight's top right"},
          {350, 30, black, "below the highlight"},
          {410, 347, restingBar, "channel 1's level bar"},
          {488, 346, restingBar, "channel 4's level bar"},
          {410, 345, background, "above a resting level bar"},
          {600, 138, black, "description box"},
          {100, 457, black, "name box"},
      };
      for (const Point& p : points) EXPECT_EQ(frame.At(p.x, p.y), p.colour) << p.what;

      // The cursor block lies under row 0's first note character, which covers part of it.
      int cursorPixels = 0;
      for (int y = 12; y < 24; ++y) {
        for (int x = 44; x < 55; ++x) cursorPixels += frame.At(x, y) == cursor;
      }
      EXPECT_GT(cursorPixels, 20);

      // Texts read back through the font's glyph shapes: ink is the text colour.
      const FontShapes font(std::string(VEXA_SOURCE_DIR) + "/data/vumofont.png");
      ASSERT_TRUE(font.Ok());
      const Rgb text{148, 144, 164};
      const auto ink = [&frame, text](int x, int y) {
        return x >= 0 && y >= 0 && x < frame.width && y < frame.height && frame.At(x, y) == text;
      };
      EXPECT_EQ(font.TextAt(ink, 0, 24, 27), "01: ---00 ---00 ---00 ---00");
      EXPECT_EQ(font.TextAt(ink, 520, 323, 9), "play home");
      EXPECT_EQ(font.TextAt(ink, 385, 168, 15), "         WAV:01");
      EXPECT_EQ(font.TextAt(ink, 297, 12, 7), " 00: 00");

      // The spinner picture at (561, 144): its opaque pixels, the background elsewhere.
      int width = 0, height = 0, depth = 0;
      unsigned char* button = stbi_load(
          (std::string(VEXA_SOURCE_DIR) + "/data/button1.png").c_str(), &width, &height, &depth, 4);
      ASSERT_NE(button, nullptr);
      int mismatches = 0;
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          const unsigned char* p = &button[(static_cast<size_t>(y) * width + x) * 4];
          const Rgb expected = p[3] == 255 ? Rgb{p[0], p[1], p[2]} : background;
          mismatches += !(frame.At(561 + x, 144 + y) == expected);
        }
      }
      stbi_image_free(button);
      EXPECT_EQ(mismatches, 0);
    }
    GraphicsContext().font = nullptr;
    GraphicsContext().defaultFont = nullptr;
    SetInputDevice(nullptr);
    InstallGraphicsDevice(nullptr);
  }
  // GLFW is not terminated: the GL driver stays loaded until the process ends, so the leak
  // checker can tell the driver's own allocations by its name.
}

}  // namespace

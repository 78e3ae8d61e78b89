#include "tests/e2e/reference_frame.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include "graphics/drawing.h"
#include "graphics/font.h"
#include "graphics/renderer.h"
#include "host/input/input_device.h"
#include "tests/support/recording_audio.h"
#include "tests/support/test_game.h"

namespace vexa_test {

std::optional<Image> RenderReferenceFrame(const std::function<void(c_SoundEngine&)>& prepare) {
  if (!glfwInit()) return std::nullopt;
  std::optional<Image> frame;
  {
    TestGame game;
    game.manualClock = true;
    game.OpenWindow(640, 475, 4);
    if (!game.GetGLFWwindow()) return std::nullopt;
    gxtkGraphics device(game.GetGLFWwindow());
    InstallGraphicsDevice(&device);
    SetCanvasSize(640, 475);
    RecordingAudio audio;
    c_InputDevice input;
    SetInputDevice(&input);
    {
      c_SoundEngine engine;
      engine.OnCreate();
      engine.OnUpdate();
      input.EndUpdate();
      prepare(engine);
      for (int pass = 0; pass < 2; ++pass) {
        device.BeginFrame();
        BeginDrawing();
        engine.OnRender();
        EndDrawing();
        device.EndFrame();
      }
      glFinish();
      Image image;
      image.width = 640;
      image.height = 475;
      std::vector<unsigned char> bottomUp(640 * 475 * 4);
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glReadPixels(0, 0, 640, 475, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
      image.rgb.resize(640 * 475 * 3);
      for (int y = 0; y < 475; ++y) {
        for (int x = 0; x < 640; ++x) {
          const unsigned char* p = &bottomUp[(static_cast<size_t>(474 - y) * 640 + x) * 4];
          unsigned char* o = &image.rgb[(static_cast<size_t>(y) * 640 + x) * 3];
          o[0] = p[0];
          o[1] = p[1];
          o[2] = p[2];
        }
      }
      frame = image;
    }
    GraphicsContext().font = nullptr;
    GraphicsContext().defaultFont = nullptr;
    SetInputDevice(nullptr);
    InstallGraphicsDevice(nullptr);
  }
  // GLFW is not terminated: the GL driver stays loaded until the process ends, so the leak
  // checker can tell the driver's own allocations by its name.
  return frame;
}

int DifferingPixels(const Image& a, const Image& b) {
  if (a.width != b.width || a.height != b.height) return a.width * a.height + b.width * b.height;
  int differing = 0;
  for (size_t i = 0; i + 2 < a.rgb.size(); i += 3) {
    differing +=
        a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
  }
  return differing;
}

}  // namespace vexa_test

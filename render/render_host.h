// What the tracker needs around it to play a song without a window: a host that finds the data
// folder and decodes the waveform files, and a graphics device that loads the tracker's font
// and button picture but never draws.
#pragma once

#include "graphics/renderer.h"
#include "host/game.h"

// The tracker's own host class, used without GLFW: it maps "taliscor://data/" to the data
// folder, reads text files and decodes pictures and samples exactly as in the program. No
// window is opened and GLFW is not started.
class RenderHost : public BBGlfwGame {
 public:
  // programFolder is the folder that holds "data/"; empty text means the folder of the running
  // program, as for the tracker.
  explicit RenderHost(const String& programFolder = String());
};

// A graphics device with no GL context: pictures load into their pixel copies (no texture is
// made while no GL context exists), and every operation that would reach OpenGL does nothing.
class HeadlessGraphics : public gxtkGraphics {
 public:
  HeadlessGraphics();

  int BeginFrame() override { return 0; }  // 0: nothing is drawn this frame
  void EndFrame() override {}
  int ClearTarget(float, float, float) override { return 0; }
  int SetBlendMode(int) override { return 0; }
  int SetScissorRect(int, int, int, int) override { return 0; }
  int ReadFramePixels(std::vector<int>&, int, int, int, int, int, int) override { return 0; }
  int WriteSurfacePixels(gxtkSurface*, const std::vector<int>&, int, int, int, int, int,
                         int) override {
    return 0;
  }

 protected:
  void DrawBatch() override {}
};

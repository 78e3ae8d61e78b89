#include "tests/soak/soak_tracker.h"

#include <GLFW/glfw3.h>

#include <filesystem>

#include "graphics/drawing.h"
#include "graphics/font.h"
#include "host/input/key_translation.h"

namespace fs = std::filesystem;

ProgramFolder::ProgramFolder() {
  folder.MakeFolder("data/songs");
  for (const fs::directory_entry& entry :
       fs::directory_iterator(fs::path(VEXA_SOURCE_DIR) / "data")) {
    if (entry.is_regular_file()) {
      fs::create_symlink(entry.path(), fs::path(folder.Path()) / "data" / entry.path().filename());
    }
  }
}

SoakTracker::SoakTracker(const String& programFolder, Screen screen, gxtkAudio* innerAudio)
    : game(programFolder) {
  game.manualClock = true;
  if (screen == Screen::kRealRenderer) {
    // GLFW stays initialised until the process ends (the GL driver's allocations are then
    // known to the leak checker by the driver's name).
    if (!glfwInit()) return;
    game.OpenWindow(640, 475, 4);
    if (!game.GetGLFWwindow()) return;
    // Out of the way of any window an end-to-end test might show later.
    glfwHideWindow(game.GetGLFWwindow());
    renderer = std::make_unique<gxtkGraphics>(game.GetGLFWwindow());
    InstallGraphicsDevice(renderer.get());
    SetCanvasSize(640, 475);
  } else {
    recorder = std::make_unique<RecordingGraphics>();
    InstallGraphicsDevice(recorder.get());
  }
  audio = std::make_unique<CheckingAudio>(innerAudio);
  SetInputDevice(&input);
  engine = std::make_unique<c_SoundEngine>();
  engine->OnCreate();
}

SoakTracker::~SoakTracker() {
  engine.reset();
  GraphicsContext().font = nullptr;
  GraphicsContext().defaultFont = nullptr;
  if (InputDevice() == &input) SetInputDevice(nullptr);
  InstallGraphicsDevice(nullptr);
  audio.reset();
  if (game.GetGLFWwindow()) glfwMakeContextCurrent(game.GetGLFWwindow());
  renderer.reset();
  recorder.reset();
}

void SoakTracker::Update(int count) {
  for (int i = 0; i < count; ++i) {
    engine->OnUpdate();
    input.EndUpdate();
  }
}

void SoakTracker::Render() {
  if (renderer) renderer->BeginFrame();
  BeginDrawing();
  engine->OnRender();
  EndDrawing();
  if (renderer) {
    renderer->EndFrame();
    // As the main loop does: the frame is shown, and the driver lets go of what it drew.
    glfwSwapBuffers(game.GetGLFWwindow());
  }
  if (recorder) recorder->Clear();
}

void SoakTracker::PressKey(int code) {
  input.PutKeyHit(code);
  const int ch = KeyPressCharacter(code);
  if (ch != 0) input.PutChar(ch);
}

void SoakTracker::ReleaseKey(int code) {
  input.PutKeyRelease(code);
}

void SoakTracker::TypeChar(int ch) {
  input.PutChar(ch);
}

void SoakTracker::MoveMouse(float x, float y) {
  input.SetMouse(x, y, 0);
}

void SoakTracker::ClickAt(float x, float y) {
  input.SetMouse(x, y, 0);
  input.PutKeyHit(1);
  input.PutKeyRelease(1);
}

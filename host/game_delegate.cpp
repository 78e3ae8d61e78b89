#include <vector>

#include "audio/sound_device.h"
#include "graphics/drawing.h"
#include "graphics/font.h"
#include "graphics/renderer.h"
#include "host/app.h"
#include "host/input/input_device.h"
#include "host/input/key_codes.h"

namespace {

struct c_DisplayMode {
  int width = 0;
  int height = 0;
};

// The display modes of the primary monitor in first-seen order, and the desktop mode.
std::vector<c_DisplayMode> displayModes;
c_DisplayMode desktopMode;

void RefreshCanvasSize() {
  BBGame* game = BBGame::Game();
  SetCanvasSize(game->WindowWidth(), game->WindowHeight());
}

void BuildDisplayModes() {
  BBGame* game = BBGame::Game();
  displayModes.clear();
  for (const BBDisplayMode& mode : game->DisplayModes()) {
    bool seen = false;
    for (const c_DisplayMode& known : displayModes) {
      if (known.width * 65536 + known.height == mode.width * 65536 + mode.height) seen = true;
    }
    if (!seen) displayModes.push_back({mode.width, mode.height});
  }
  if (std::optional<BBDisplayMode> desktop = game->DesktopMode()) {
    desktopMode = {desktop->width, desktop->height};
  } else {
    desktopMode = {CanvasWidth(), CanvasHeight()};
  }
}

}  // namespace

c_GameDelegate::c_GameDelegate() = default;
c_GameDelegate::~c_GameDelegate() {
  if (InputDevice() == input.get()) SetInputDevice(nullptr);
  if (AudioDevice() == audio.get()) SetAudioDevice(nullptr);
  if (InstalledGraphicsDevice() == graphics.get()) InstallGraphicsDevice(nullptr);
}

void c_GameDelegate::StartGame() {
  graphics = std::make_unique<gxtkGraphics>(BBGlfwGame::GlfwGame()->GetGLFWwindow());
  InstallGraphicsDevice(graphics.get());
  SetDrawFont(nullptr);
  audio = std::make_unique<gxtkAudio>();
  input = std::make_unique<c_InputDevice>();
  SetInputDevice(input.get());
  RefreshCanvasSize();
  BuildDisplayModes();
  c_App::App()->OnCreate();
}

void c_GameDelegate::SuspendGame() {
  if (audio) audio->SuspendChannels();
}

void c_GameDelegate::ResumeGame() {
  if (audio) audio->ResumeChannels();
}

void c_GameDelegate::UpdateGame() {
  RefreshCanvasSize();
  input->BeginUpdate();
  c_App::App()->OnUpdate();
  input->EndUpdate();
}

void c_GameDelegate::RenderGame() {
  RefreshCanvasSize();
  const int mode = graphics->BeginFrame();
  if (mode) {
    BeginDrawing();
    c_App::App()->OnRender();
    EndDrawing();
  }
  graphics->EndFrame();
}

void c_GameDelegate::KeyEvent(int event, int data) {
  switch (event) {
    case EVENT_KEY_DOWN:
      input->PutKeyHit(data);
      // The back key and the window's close key end the program at once.
      if ((data & ~16) == KEY_BACK) RuntimeError(String());
      break;
    case EVENT_KEY_UP:
      input->PutKeyRelease(data);
      break;
    case EVENT_KEY_CHAR:
      input->PutChar(data);
      break;
    default:
      break;
  }
}

void c_GameDelegate::MouseEvent(int event, int data, float x, float y, float z) {
  switch (event) {
    case EVENT_MOUSE_DOWN:
      input->PutKeyHit(data + 1);
      input->SetMouse(x, y, z);
      break;
    case EVENT_MOUSE_UP:
      input->PutKeyRelease(data + 1);
      break;
    case EVENT_MOUSE_MOVE:
      input->SetMouse(x, y, z);
      break;
    default:
      break;
  }
}

void c_GameDelegate::TouchEvent(int event, int data, float x, float y) {
  // Only fingers 0-31 have key codes (384-415); any other finger number is ignored.
  if (data < 0 || data >= c_InputDevice::TOUCH_FINGERS) return;
  switch (event) {
    case EVENT_TOUCH_DOWN:
      input->PutKeyHit(KEY_TOUCH0 + data);
      input->SetTouch(data, x, y);
      break;
    case EVENT_TOUCH_UP:
      input->PutKeyRelease(KEY_TOUCH0 + data);
      break;
    case EVENT_TOUCH_MOVE:
      input->SetTouch(data, x, y);
      break;
    default:
      break;
  }
}

void c_GameDelegate::MotionEvent(int event, int /*data*/, float x, float y, float z) {
  if (event == EVENT_MOTION_ACCEL) input->SetAccel(x, y, z);
}

void c_GameDelegate::DiscardGraphics() {
  if (graphics) graphics->DiscardResources();
}

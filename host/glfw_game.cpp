#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "host/files/data_path.h"
#include "host/game.h"
#include "host/input/key_codes.h"
#include "host/input/key_translation.h"

int graphicsGeneration = 0;

namespace {

BBGlfwGame* theGlfwGame = nullptr;

// The pointer position as the cursor callback last reported it, so that a click reports where
// the pointer was when the button went down, in event order.
bool cursorKnown = false;
double cursorX = 0;
double cursorY = 0;

void OnKey(GLFWwindow*, int key, int /*scancode*/, int action, int /*mods*/) {
  const int code = TranslateGlfwKey(key);
  if (code == 0) return;
  BBGame* game = BBGame::Game();
  if (action == GLFW_RELEASE) {
    game->KeyEvent(EVENT_KEY_UP, code);
  } else if (action == GLFW_PRESS || action == GLFW_REPEAT) {
    game->KeyEvent(EVENT_KEY_DOWN, code);
    const int chr = KeyPressCharacter(code);
    if (chr != 0) game->KeyEvent(EVENT_KEY_CHAR, chr);
  }
}

void OnChar(GLFWwindow*, unsigned int codePoint) {
  BBGame::Game()->KeyEvent(EVENT_KEY_CHAR, static_cast<int>(codePoint));
}

void OnMouseButton(GLFWwindow* window, int button, int action, int /*mods*/) {
  if (button > 2) return;
  double x = cursorX;
  double y = cursorY;
  if (!cursorKnown) glfwGetCursorPos(window, &x, &y);
  BBGame* game = BBGame::Game();
  const float fx = static_cast<float>(x);
  const float fy = static_cast<float>(y);
  if (action == GLFW_PRESS) {
    game->MouseEvent(EVENT_MOUSE_DOWN, button, fx, fy, 0);
  } else if (action == GLFW_RELEASE) {
    game->MouseEvent(EVENT_MOUSE_UP, button, fx, fy, 0);
  }
}

void OnCursorPos(GLFWwindow*, double x, double y) {
  cursorKnown = true;
  cursorX = x;
  cursorY = y;
  BBGame::Game()->MouseEvent(EVENT_MOUSE_MOVE, -1, static_cast<float>(x), static_cast<float>(y),
                             0);
}

void OnScroll(GLFWwindow*, double /*xoffset*/, double yoffset) {
  BBGame::Game()->MouseEvent(EVENT_MOUSE_MOVE, -1, 0, 0, static_cast<float>(yoffset));
}

// A close request becomes the close key, whose key-down ends the program.
void OnClose(GLFWwindow* window) {
  glfwSetWindowShouldClose(window, GLFW_FALSE);
  BBGame::Game()->KeyEvent(EVENT_KEY_DOWN, KEY_CLOSE);
  BBGame::Game()->KeyEvent(EVENT_KEY_UP, KEY_CLOSE);
}

void OnWindowSize(GLFWwindow*, int width, int height);

float AxisValue(int entry, const float* axes, int axisCount, const unsigned char* buttons,
                int buttonCount) {
  const int kind = entry >> 4;
  const int index = entry & 15;
  const float axis = index < axisCount ? axes[index] : 0.0f;
  switch (kind) {
    case 0: return axis;
    case 1: return (axis + 1) * 0.5f;
    case 2: return (1 - axis) * 0.5f;
    case 4: return -axis;
    case 8: return (index < buttonCount && buttons[index] == GLFW_PRESS) ? 1.0f : 0.0f;
    default: return 0.0f;
  }
}

}  // namespace

BBGlfwGame::BBGlfwGame() {
  theGlfwGame = this;
  if (GLFWmonitor* monitor = glfwGetPrimaryMonitor()) {
    if (const GLFWvidmode* mode = glfwGetVideoMode(monitor)) {
      desktopMode[0] = mode->width;
      desktopMode[1] = mode->height;
      desktopMode[2] = mode->redBits;
      desktopMode[3] = mode->greenBits;
      desktopMode[4] = mode->blueBits;
      desktopMode[5] = mode->refreshRate;
    }
  }
}

BBGlfwGame::~BBGlfwGame() {
  if (theGlfwGame == this) theGlfwGame = nullptr;
}

BBGlfwGame* BBGlfwGame::GlfwGame() { return theGlfwGame; }

void BBGlfwGame::SetUpdateRate(int hz) {
  BBGame::SetUpdateRate(hz);
  if (hz != 0) updatePeriod = 1.0 / hz;
  nextUpdate = 0.0;
}

int BBGlfwGame::Milliseconds() { return static_cast<int>(glfwGetTime() * 1000.0); }

double BBGlfwGame::Now() { return glfwGetTime(); }

int BBGlfwGame::CountJoysticks(bool rescan) {
  if (!rescan && joysticksScanned) return joystickCount;
  joysticksScanned = true;
  joystickCount = 0;
  for (int id = GLFW_JOYSTICK_1; id <= GLFW_JOYSTICK_LAST && joystickCount < 4; ++id) {
    if (glfwJoystickPresent(id)) joystickIds[joystickCount++] = id;
  }
  return joystickCount;
}

bool BBGlfwGame::PollJoystick(int port, float joyX[2], float joyY[2], float joyZ[2],
                              bool buttons[32]) {
  const int count = CountJoysticks(false);
  if (port < 0 || port >= count) return false;
  int axisCount = 0;
  int buttonCount = 0;
  const float* axes = glfwGetJoystickAxes(joystickIds[port], &axisCount);
  const unsigned char* pressed = glfwGetJoystickButtons(joystickIds[port], &buttonCount);
  if (!axes || !pressed) return false;

  // Axis entries: kind in the high nibble, source index in the low nibble.
  static const int kDefaultAxes[6] = {0x00, 0x01, 0x86, 0x02, 0x43, 0x87};
  static const int kPadAxes[6] = {0x00, 0x41, 0x02, 0x04, 0x43, 0x42};
  static const int kDefaultButtons[14] = {1, 2, 0, 3, 4, 5, 8, 9, 15, 12, 13, 14, 10, 11};
  static const int kPadButtons[14] = {0, 1, 2, 3, 4, 5, 6, 7, 13, 10, 11, 12, 8, 9};
  const bool pad = axisCount == 5 && buttonCount == 14;
  const int* axisMap = pad ? kPadAxes : kDefaultAxes;
  const int* buttonMap = pad ? kPadButtons : kDefaultButtons;

  float* outputs[6] = {&joyX[0], &joyY[0], &joyZ[0], &joyX[1], &joyY[1], &joyZ[1]};
  for (int i = 0; i < 6; ++i) {
    *outputs[i] = AxisValue(axisMap[i], axes, axisCount, pressed, buttonCount);
  }
  for (int i = 0; i < 32; ++i) buttons[i] = false;
  for (int i = 0; i < 14; ++i) {
    const int b = buttonMap[i];
    buttons[i] = b < buttonCount && pressed[b] == GLFW_PRESS;
  }
  return true;
}

void BBGlfwGame::SetMouseVisible(bool visible) {
  if (window) {
    glfwSetInputMode(window, GLFW_CURSOR, visible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
  }
}

int BBGlfwGame::WindowWidth() { return windowWidth; }
int BBGlfwGame::WindowHeight() { return windowHeight; }

void BBGlfwGame::OpenWindow(int width, int height, int flags) {
  if (window) {
    // Keys held now would never see their release: send it before the window goes.
    for (int key = 0; key <= GLFW_KEY_LAST; ++key) {
      const int code = TranslateGlfwKey(key);
      if (code != 0 && glfwGetKey(window, key) == GLFW_PRESS) KeyEvent(EVENT_KEY_UP, code);
    }
    glfwDestroyWindow(window);
    window = nullptr;
  }

  glfwDefaultWindowHints();
  glfwWindowHint(GLFW_RED_BITS, 8);
  glfwWindowHint(GLFW_GREEN_BITS, 8);
  glfwWindowHint(GLFW_BLUE_BITS, 8);
  glfwWindowHint(GLFW_ALPHA_BITS, 8);
  glfwWindowHint(GLFW_DEPTH_BITS, (flags & 16) ? 32 : 0);
  glfwWindowHint(GLFW_STENCIL_BITS, (flags & 128) ? 8 : 0);
  glfwWindowHint(GLFW_RESIZABLE, (flags & 2) ? GLFW_TRUE : GLFW_FALSE);
  glfwWindowHint(GLFW_DECORATED, (flags & 4) ? GLFW_TRUE : GLFW_FALSE);
  glfwWindowHint(GLFW_FLOATING, (flags & 8) ? GLFW_TRUE : GLFW_FALSE);
  glfwWindowHint(GLFW_VISIBLE, (flags & 1) ? GLFW_TRUE : GLFW_FALSE);
  glfwWindowHint(GLFW_DOUBLEBUFFER, (flags & 32) ? GLFW_FALSE : GLFW_TRUE);
  glfwWindowHint(GLFW_SAMPLES, 0);
  glfwWindowHint(GLFW_REFRESH_RATE, 60);

  const std::string title = EncodeUtf8(WindowTitle());
  if (flags & 1) {
    int monitorCount = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&monitorCount);
    int index = (flags & 64) ? 1 : 0;
    if (index > monitorCount - 1) index = monitorCount - 1;
    GLFWmonitor* monitor = (monitors && index >= 0) ? monitors[index] : nullptr;
    window = glfwCreateWindow(width, height, title.c_str(), monitor, nullptr);
  } else {
    window = glfwCreateWindow(width, height, title.c_str(), nullptr, nullptr);
    if (window) {
      glfwSetWindowPos(window, (desktopMode[0] - width) / 2, (desktopMode[1] - height) / 2);
      glfwShowWindow(window);
    }
  }
  if (!window) {
    std::fputs("glfwCreateWindow FAILED!\n", stdout);
    std::fflush(stdout);
    std::abort();
  }

  ++graphicsGeneration;
  windowWidth = width;
  windowHeight = height;
  glfwMakeContextCurrent(window);
  if (swapInterval >= 0) glfwSwapInterval(swapInterval);

  cursorKnown = false;
  glfwSetKeyCallback(window, OnKey);
  glfwSetCharCallback(window, OnChar);
  glfwSetMouseButtonCallback(window, OnMouseButton);
  glfwSetScrollCallback(window, OnScroll);
  glfwSetCursorPosCallback(window, OnCursorPos);
  glfwSetWindowCloseCallback(window, OnClose);
  glfwSetWindowSizeCallback(window, OnWindowSize);
}

namespace {
void OnWindowSize(GLFWwindow*, int width, int height) {
  BBGlfwGame::GlfwGame()->WindowResized(width, height);
}
}  // namespace

void BBGlfwGame::WindowResized(int width, int height) {
  windowWidth = width;
  windowHeight = height;
}

std::vector<BBDisplayMode> BBGlfwGame::DisplayModes() {
  std::vector<BBDisplayMode> modes;
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  if (!monitor) return modes;
  int count = 0;
  const GLFWvidmode* vidmodes = glfwGetVideoModes(monitor, &count);
  for (int i = 0; i < count; ++i) {
    if (vidmodes[i].refreshRate != 60 && vidmodes[i].refreshRate != 0) continue;
    BBDisplayMode mode;
    mode.width = vidmodes[i].width;
    mode.height = vidmodes[i].height;
    modes.push_back(mode);
  }
  return modes;
}

std::optional<BBDisplayMode> BBGlfwGame::DesktopMode() {
  BBDisplayMode mode;
  mode.width = desktopMode[0];
  mode.height = desktopMode[1];
  return mode;
}

void BBGlfwGame::SetSwapInterval(int interval) {
  swapInterval = interval;
  if (interval >= 0 && window) glfwSwapInterval(interval);
}

String BBGlfwGame::MapRuntimePath(const String& path) {
  if (appFolder.empty()) appFolder = ProgramFolder();
  if (internalFolder.empty()) internalFolder = appFolder + u"/internal";
  return MapRuntimePathIn(appFolder, internalFolder, path);
}

namespace {

// Timing trace for measurements: when the environment variable VEXA_UPDATE_TRACE names a file,
// the loop writes the time of every update on its clock into it, one line each. Without the
// variable nothing is opened or written.
std::FILE* UpdateTrace() {
  static std::FILE* const trace = [] {
    const char* path = std::getenv("VEXA_UPDATE_TRACE");
    std::FILE* file = path && *path ? std::fopen(path, "w") : nullptr;
    if (file) std::setvbuf(file, nullptr, _IOLBF, 0);
    return file;
  }();
  return trace;
}

}  // namespace

void BBGlfwGame::RunDueUpdates() {
  std::FILE* const trace = UpdateTrace();
  const auto update = [&] {
    if (trace) std::fprintf(trace, "%.6f\n", Now());
    UpdateGame();
  };
  if (updateRate == 0) {
    update();
    return;
  }
  if (nextUpdate == 0.0) nextUpdate = Now();
  for (int i = 0; i < MAX_CATCHUP_UPDATES; ++i) {
    update();
    if (nextUpdate == 0.0) return;  // the application changed the rate
    nextUpdate += updatePeriod;
    if (Now() < nextUpdate) return;  // caught up
  }
  // Still behind after four updates: drop the backlog and restart the schedule from now.
  if (Now() >= nextUpdate) nextUpdate = 0.0;
}

double BBGlfwGame::SleepTime() {
  if (nextUpdate == 0.0) return 0.0;
  const double delay = nextUpdate - Now();
  return delay > 0 ? delay : 0.0;
}

void BBGlfwGame::Run() {
  OpenWindow(640, 475, 4);
  StartGame();
  while (!glfwWindowShouldClose(window)) {
    RenderGame();
    glfwSwapBuffers(window);
    const int sleepMs = static_cast<int>(SleepTime() * 1000.0);
    if (sleepMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
    if (suspended) {
      glfwWaitEvents();
      continue;
    }
    glfwPollEvents();
    RunDueUpdates();
  }
}

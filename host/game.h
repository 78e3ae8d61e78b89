// The host: the one game object that owns the window and the main loop, and the delegate
// interface through which it hands events to the application.
#pragma once

#include <cstdio>
#include <optional>
#include <vector>

#include "audio/audio_file.h"
#include "host/files/image_file.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

struct GLFWwindow;

// Event codes passed as "event" to the entry points.
enum BBGameEventCode {
  EVENT_KEY_DOWN = 1,
  EVENT_KEY_UP = 2,
  EVENT_KEY_CHAR = 3,
  EVENT_MOUSE_DOWN = 4,
  EVENT_MOUSE_UP = 5,
  EVENT_MOUSE_MOVE = 6,
  EVENT_TOUCH_DOWN = 7,
  EVENT_TOUCH_UP = 8,
  EVENT_TOUCH_MOVE = 9,
  EVENT_MOTION_ACCEL = 10,
};

// Receiver of all events of the game (the framework's c_GameDelegate).
class BBGameDelegate {
 public:
  virtual ~BBGameDelegate() = default;
  virtual void StartGame() {}
  virtual void SuspendGame() {}
  virtual void ResumeGame() {}
  virtual void UpdateGame() {}
  virtual void RenderGame() {}
  virtual void KeyEvent(int /*event*/, int /*data*/) {}
  virtual void MouseEvent(int /*event*/, int /*data*/, float /*x*/, float /*y*/, float /*z*/) {}
  virtual void TouchEvent(int /*event*/, int /*data*/, float /*x*/, float /*y*/) {}
  virtual void MotionEvent(int /*event*/, int /*data*/, float /*x*/, float /*y*/, float /*z*/) {}
  virtual void DiscardGraphics() {}
};

struct BBDisplayMode {
  int width = 0;
  int height = 0;
  int format = 0;
  int hertz = 0;
  int flags = 0;
};

// The host's root class. Operations are virtual in this order; BBGlfwGame overrides those that
// need the window system.
class BBGame {
 public:
  BBGame();
  virtual ~BBGame();

  // The one game object of the process (set by the constructor).
  static BBGame* Game();

  virtual void SetDelegate(BBGameDelegate* delegate);
  virtual BBGameDelegate* Delegate();
  virtual void SetKeyboardEnabled(bool enabled);
  virtual bool KeyboardEnabled();
  virtual void SetUpdateRate(int hz);
  virtual int UpdateRate();
  virtual bool Started();
  virtual bool Suspended();
  virtual int Milliseconds();
  // Fills, in local time, as many of year, month, day, hour, minute, second, 0 as the array
  // holds (at most 7).
  virtual void CurrentDate(std::vector<int>& date);
  virtual int SaveStateText(const String& text);
  virtual String LoadStateText();
  // Reads and decodes a whole text file; empty text when it cannot be opened.
  virtual String LoadTextFile(const String& path);
  virtual int CountJoysticks(bool rescan);
  virtual bool PollJoystick(int port, float joyX[2], float joyY[2], float joyZ[2],
                            bool buttons[32]);
  virtual void OpenUrl(const String& url);
  virtual void SetMouseVisible(bool visible);
  virtual int WindowWidth();
  virtual int WindowHeight();
  virtual void OpenWindow(int width, int height, int flags);
  virtual std::vector<BBDisplayMode> DisplayModes();
  virtual std::optional<BBDisplayMode> DesktopMode();
  virtual void SetSwapInterval(int interval);
  // Maps a runtime path ("taliscor://data/...") to a file system path; empty when it cannot.
  virtual String MapRuntimePath(const String& path);
  // Maps the path and opens it with the C mode string; none when either fails.
  virtual std::FILE* OpenFile(const String& path, const String& mode);
  virtual std::optional<std::vector<unsigned char>> LoadFileData(const String& path);
  virtual std::optional<ImageFileData> LoadImageFile(const String& path);
  virtual std::optional<AudioFileData> LoadAudioFile(const String& path);
  [[noreturn]] virtual void Die(ThrowableObject* throwable);
  virtual void CollectGarbage();

  // Event entry points: each checks the game's state, forwards to the delegate, catches any
  // ThrowableObject (then Die) and lets the runtime reclaim memory.
  virtual void StartGame();
  virtual void SuspendGame();
  virtual void ResumeGame();
  virtual void UpdateGame();
  virtual void RenderGame();
  virtual void KeyEvent(int event, int data);
  virtual void MouseEvent(int event, int data, float x, float y, float z);
  virtual void TouchEvent(int event, int data, float x, float y);
  virtual void MotionEvent(int event, int data, float x, float y, float z);
  virtual void DiscardGraphics();

 protected:
  BBGameDelegate* delegate = nullptr;
  bool keyboardEnabled = false;
  int updateRate = 0;
  bool started = false;
  bool suspended = false;
};

// Number of GL contexts created so far; textures made under an older value are rebuilt.
extern int graphicsGeneration;

// The GLFW host: window, GL context, main loop, input callbacks, data folder.
class BBGlfwGame : public BBGame {
 public:
  static constexpr int MAX_CATCHUP_UPDATES = 4;

  BBGlfwGame();
  ~BBGlfwGame() override;

  static BBGlfwGame* GlfwGame();

  void SetUpdateRate(int hz) override;
  int Milliseconds() override;
  int CountJoysticks(bool rescan) override;
  bool PollJoystick(int port, float joyX[2], float joyY[2], float joyZ[2],
                    bool buttons[32]) override;
  void SetMouseVisible(bool visible) override;
  int WindowWidth() override;
  int WindowHeight() override;
  void OpenWindow(int width, int height, int flags) override;
  std::vector<BBDisplayMode> DisplayModes() override;
  std::optional<BBDisplayMode> DesktopMode() override;
  void SetSwapInterval(int interval) override;
  String MapRuntimePath(const String& path) override;
  std::optional<ImageFileData> LoadImageFile(const String& path) override;
  std::optional<AudioFileData> LoadAudioFile(const String& path) override;

  // Opens the window, starts the game and runs the main loop until the window should close.
  void Run();

  GLFWwindow* GetGLFWwindow() { return window; }

  // The window size callback stores the new client size here.
  void WindowResized(int width, int height);

 protected:
  // One pass of the update schedule after the events were polled (steps 5 and 6 of the loop).
  // Separate from Run so that the catch-up rule can be driven by a controllable clock.
  void RunDueUpdates();
  // How long the loop sleeps before polling events: until the next update is due, 0 when it is
  // not scheduled or already due.
  double SleepTime();
  // The clock of the loop, seconds (glfwGetTime); virtual so tests can control it.
  virtual double Now();

  int desktopMode[6] = {0, 0, 0, 0, 0, 0};  // width, height, red, green, blue bits, refresh
  GLFWwindow* window = nullptr;
  int windowWidth = 0;
  int windowHeight = 0;
  int swapInterval = 1;
  double updatePeriod = 0.0;
  double nextUpdate = 0.0;
  String appFolder;       // folder of the program; filled on first use
  String internalFolder;  // appFolder + "/internal"; filled on first use
  int joystickIds[4] = {0, 0, 0, 0};
  int joystickCount = 0;
  bool joysticksScanned = false;
};

class BBTaliscorGame : public BBGlfwGame {
 public:
  ~BBTaliscorGame() override;
};

// The window title: "Vexa Tracker" + version + " - by " + author.
String WindowTitle();

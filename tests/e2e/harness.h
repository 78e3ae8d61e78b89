// End-to-end harness: runs the real vexa-tracker on the test run's X server (DISPLAY) with an
// OpenAL Soft configuration of the test's choice, finds and focuses its window, types and
// clicks like a user (xdotool), reads the screen back, asks the window to close like a window
// manager and collects the exit status and output.
//
// Tests that use it share the one X server's screen, keyboard and pointer with every other
// test that opens a window: give them the ctest property RUN_SERIAL (tests/e2e/CMakeLists.txt
// does so for its own tests).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/process.h"
#include "tests/e2e/x11_window.h"

namespace vexa_test {

// Calls the check until it holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& check, double timeoutSeconds,
               double pollSeconds = 0.05);

// Sleeps for the given milliseconds.
void PauseMs(int milliseconds);

// An OpenAL Soft configuration with the null driver (silent, no sound card needed).
std::string NullAudioConfig();
// An OpenAL Soft configuration that writes the mixed output to a WAV file in real time.
std::string WaveAudioConfig(const std::string& wavPath);
// Environment entries ("XDG_DATA_HOME=...", config, cache) that keep what the desktop's dialogs
// note (recently used files, settings) in folders made below `folder`, out of the user's home.
std::vector<std::string> DesktopFoldersIn(const std::string& folder);

struct TrackerOptions {
  std::string binary;  // empty: VEXA_BINARY_DIR/vexa-tracker
  // Contents of the OpenAL Soft configuration file given to the program as ALSOFT_CONF;
  // empty: NullAudioConfig().
  std::string audioConfig;
  // Run a copy of the program beside a data folder of its own: the repository's data files
  // linked in, an empty songs folder, so songs a test saves never reach the repository. The
  // OpenAL Soft settings the program ships beside itself (alsoft.conf) are copied too.
  bool privateDataFolder = true;
  // Where that copy lives; empty: inside the session's own folder (removed with it). A test
  // that starts the program again names a folder of its own here, so the second run finds the
  // songs the first one saved, as an installed program would.
  std::string appFolder;
  std::vector<std::string> env;  // further "NAME=value" entries
  std::optional<std::string> stdinText = std::string();
  double startTimeoutSeconds = 30;
};

class TrackerSession {
 public:
  static constexpr const char* TITLE_PREFIX = "Vexa Tracker";

  explicit TrackerSession(TrackerOptions options = TrackerOptions());
  // Kills the program if it still runs.
  ~TrackerSession();
  TrackerSession(const TrackerSession&) = delete;
  TrackerSession& operator=(const TrackerSession&) = delete;

  // Starts the program and waits until its window is viewable with its title; false with the
  // reason (including the program's output) in error.
  bool Start(std::string* error);

  unsigned long Window() const { return window; }
  // The session's folder (removed at the end); the program's working directory is
  // Folder() + "/work".
  const std::string& Folder() const { return folder.Path(); }
  std::string WorkFolder() const;
  // The data folder the program uses ("…/data"; songs go to its "songs" folder).
  std::string DataFolder() const;

  std::string Title();
  std::optional<WindowGeometry> Geometry();

  // Raises the window and gives it the keyboard focus (xdotool windowfocus --sync), and checks
  // that it has it.
  bool Focus();
  // Types the text / presses and releases the keys (X keysym names such as "Return", "F11",
  // "shift+Tab"), one after another with a short delay.
  bool TypeText(const std::string& text, int delayMs = 40);
  bool Keys(const std::vector<std::string>& keys, int delayMs = 40);
  bool KeyDown(const std::string& key);
  bool KeyUp(const std::string& key);
  // Pointer actions at window coordinates, each followed by a short pause.
  bool MoveMouse(int x, int y);
  bool Click(int x, int y, int button = 1);
  // Moves the pointer there and clicks the left button count times, delayMs apart.
  bool ClickRepeat(int x, int y, int count, int delayMs = 70);

  // The window's area on the screen / the whole screen.
  std::optional<Image> CaptureWindow();
  std::optional<Image> CaptureScreen();

  // Captures the window until the check accepts a capture and returns that capture; none
  // when the time ran out first.
  std::optional<Image> WaitForWindowImage(const std::function<bool(const Image&)>& check,
                                          double timeoutSeconds);

  // Sends the window a close request (WM_DELETE_WINDOW) through tools/x11-close.
  bool RequestClose();
  // Waits for the program's end; false when it still runs after the timeout.
  bool WaitForExit(double timeoutSeconds);
  bool Running() { return process.Running(); }
  void Kill() { process.Kill(); }

  bool Exited() const { return process.Exited(); }
  int ExitStatus() const { return process.ExitStatus(); }
  int TermSignal() const { return process.TermSignal(); }
  std::string Stdout() { return process.Stdout(); }
  std::string Stderr() { return process.Stderr(); }
  ChildProcess& Process() { return process; }
  X11Connection& X11() { return *x11; }

 private:
  bool PrepareProgram(std::string* error);
  bool Xdotool(const std::vector<std::string>& arguments);

  TrackerOptions options;
  TempDir folder{"vexa-e2e"};
  std::string program;
  ChildProcess process;
  std::unique_ptr<X11Connection> x11;
  unsigned long window = 0;
};

}  // namespace vexa_test

#include "tests/e2e/harness.h"

#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace vexa_test {

namespace {

double Seconds() {
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

// Every helper program gets this long before the test gives up on it.
constexpr double TOOL_TIMEOUT_SECONDS = 15;

}  // namespace

bool WaitUntil(const std::function<bool()>& check, double timeoutSeconds, double pollSeconds) {
  const double deadline = Seconds() + timeoutSeconds;
  for (;;) {
    if (check()) return true;
    if (Seconds() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::duration<double>(pollSeconds));
  }
}

void PauseMs(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string NullAudioConfig() {
  return "[general]\ndrivers=null\n";
}

std::string WaveAudioConfig(const std::string& wavPath) {
  return "[general]\ndrivers=wave\n[wave]\nfile=" + wavPath + "\n";
}

std::vector<std::string> DesktopFoldersIn(const std::string& folder) {
  std::vector<std::string> env;
  for (const char* name : {"data", "config", "cache"}) {
    const std::string path = folder + "/" + name;
    std::error_code ignored;
    fs::create_directories(path, ignored);
    std::string variable = name;
    for (char& c : variable) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    env.push_back("XDG_" + variable + "_HOME=" + path);
  }
  return env;
}

TrackerSession::TrackerSession(TrackerOptions options) : options(std::move(options)) {}

TrackerSession::~TrackerSession() {
  process.Kill();
}

std::string TrackerSession::WorkFolder() const {
  return Folder() + "/work";
}

std::string TrackerSession::DataFolder() const {
  return fs::path(program).parent_path().string() + "/data";
}

bool TrackerSession::PrepareProgram(std::string* error) {
  const std::string built =
      options.binary.empty() ? std::string(VEXA_BINARY_DIR) + "/vexa-tracker" : options.binary;
  std::error_code ec;
  if (!fs::exists(built, ec)) {
    *error = "no program at " + built;
    return false;
  }
  fs::create_directories(WorkFolder(), ec);
  if (!options.privateDataFolder) {
    program = built;
    return true;
  }
  // The program finds its data folder beside itself: a copy of it in an app folder of its own.
  const fs::path app =
      options.appFolder.empty() ? fs::path(Folder()) / "app" : fs::path(options.appFolder);
  const fs::path data = app / "data";
  fs::create_directories(data / "songs", ec);
  const fs::path sharedData = fs::path(built).parent_path() / "data";
  for (const fs::directory_entry& entry : fs::directory_iterator(sharedData, ec)) {
    if (entry.path().filename() == "songs") continue;
    fs::create_symlink(fs::canonical(entry.path(), ec), data / entry.path().filename(), ec);
  }
  program = (app / "vexa-tracker").string();
  fs::copy_file(built, program, fs::copy_options::overwrite_existing, ec);
  if (ec) {
    *error = "cannot copy " + built + ": " + ec.message();
    return false;
  }
  // The OpenAL Soft settings the program ships beside itself go with the copy.
  const fs::path soundSettings = fs::path(built).parent_path() / "alsoft.conf";
  if (fs::exists(soundSettings, ec)) {
    fs::copy_file(soundSettings, app / "alsoft.conf", fs::copy_options::overwrite_existing, ec);
    if (ec) {
      *error = "cannot copy " + soundSettings.string() + ": " + ec.message();
      return false;
    }
  }
  return true;
}

bool TrackerSession::Start(std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  if (!std::getenv("DISPLAY")) {
    *error = "DISPLAY is not set: run the end-to-end tests through ./test.sh";
    return false;
  }
  if (folder.Path().empty()) {
    *error = "cannot make a temporary folder";
    return false;
  }
  if (!PrepareProgram(error)) return false;

  const std::string config = Folder() + "/alsoft.conf";
  WriteFile(config, options.audioConfig.empty() ? NullAudioConfig() : options.audioConfig);

  x11 = std::make_unique<X11Connection>();
  if (!x11->Ok()) {
    *error = "cannot open the X display";
    return false;
  }

  ProcessOptions run;
  run.argv = {program};
  run.env = options.env;
  run.env.push_back("ALSOFT_CONF=" + config);
  run.workDir = WorkFolder();
  run.stdinText = options.stdinText;
  if (!process.Start(run, error)) return false;

  const bool shown = WaitUntil(
      [&] {
        if (!process.Running()) return true;
        if (auto found = x11->FindWindow(process.Pid(), TITLE_PREFIX)) window = *found;
        return window != 0;
      },
      options.startTimeoutSeconds);
  if (window == 0) {
    if (!shown) process.Kill();
    *error = std::string(shown ? "the program ended before its window appeared"
                               : "no window titled \"Vexa Tracker…\" in time") +
             " (exit status " + std::to_string(process.ExitStatus()) + ", signal " +
             std::to_string(process.TermSignal()) + ")\nstdout:\n" + process.Stdout() +
             "\nstderr:\n" + process.Stderr();
    return false;
  }
  return true;
}

std::string TrackerSession::Title() {
  return x11 ? x11->Title(window) : std::string();
}

std::optional<WindowGeometry> TrackerSession::Geometry() {
  if (!x11) return std::nullopt;
  return x11->Geometry(window);
}

bool TrackerSession::Xdotool(const std::vector<std::string>& arguments) {
  ProcessOptions run;
  run.argv = {"xdotool"};
  run.argv.insert(run.argv.end(), arguments.begin(), arguments.end());
  const ProcessResult result = RunProcess(run, TOOL_TIMEOUT_SECONDS);
  return result.exited && result.exitStatus == 0;
}

bool TrackerSession::Focus() {
  if (!window) return false;
  // On top of any other window, so that clicks and captures reach this one.
  if (!Xdotool({"windowraise", std::to_string(window)})) return false;
  if (!Xdotool({"windowfocus", "--sync", std::to_string(window)})) return false;
  return WaitUntil([&] { return x11->FocusedWindow() == window; }, 5);
}

bool TrackerSession::TypeText(const std::string& text, int delayMs) {
  return Xdotool({"type", "--delay", std::to_string(delayMs), "--", text});
}

bool TrackerSession::Keys(const std::vector<std::string>& keys, int delayMs) {
  std::vector<std::string> arguments = {"key", "--delay", std::to_string(delayMs), "--"};
  arguments.insert(arguments.end(), keys.begin(), keys.end());
  return Xdotool(arguments);
}

bool TrackerSession::KeyDown(const std::string& key) {
  return Xdotool({"keydown", "--", key});
}
bool TrackerSession::KeyUp(const std::string& key) {
  return Xdotool({"keyup", "--", key});
}

bool TrackerSession::MoveMouse(int x, int y) {
  const std::optional<WindowGeometry> where = Geometry();
  if (!where) return false;
  const bool moved =
      Xdotool({"mousemove", std::to_string(where->x + x), std::to_string(where->y + y)});
  PauseMs(80);
  return moved;
}

bool TrackerSession::Click(int x, int y, int button) {
  if (!MoveMouse(x, y)) return false;
  const bool clicked = Xdotool({"click", std::to_string(button)});
  PauseMs(80);
  return clicked;
}

bool TrackerSession::ClickRepeat(int x, int y, int count, int delayMs) {
  if (count <= 0) return true;
  if (!MoveMouse(x, y)) return false;
  const bool clicked = Xdotool(
      {"click", "--repeat", std::to_string(count), "--delay", std::to_string(delayMs), "1"});
  PauseMs(80);
  return clicked;
}

std::optional<Image> TrackerSession::CaptureWindow() {
  const std::optional<WindowGeometry> where = Geometry();
  if (!where) return std::nullopt;
  return x11->CaptureScreen(where->x, where->y, where->width, where->height);
}

std::optional<Image> TrackerSession::CaptureScreen() {
  if (!x11) return std::nullopt;
  return x11->CaptureScreen();
}

std::optional<Image> TrackerSession::WaitForWindowImage(
    const std::function<bool(const Image&)>& check, double timeoutSeconds) {
  std::optional<Image> last;
  const bool seen = WaitUntil(
      [&] {
        last = CaptureWindow();
        return last && check(*last);
      },
      timeoutSeconds, 0.1);
  if (!seen) return std::nullopt;
  return last;
}

bool TrackerSession::RequestClose() {
  if (!window) return false;
  ProcessOptions run;
  run.argv = {std::string(VEXA_BINARY_DIR) + "/tools/x11-close/x11-close", std::to_string(window)};
  const ProcessResult result = RunProcess(run, TOOL_TIMEOUT_SECONDS);
  return result.exited && result.exitStatus == 0;
}

bool TrackerSession::WaitForExit(double timeoutSeconds) {
  return process.Wait(timeoutSeconds);
}

}  // namespace vexa_test

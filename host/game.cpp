#include "host/game.h"

#include <ctime>
#include <string>

#include "host/files/text_file.h"

namespace {
BBGame* theGame = nullptr;
}  // namespace

BBGame::BBGame() { theGame = this; }

BBGame::~BBGame() {
  if (theGame == this) theGame = nullptr;
}

BBGame* BBGame::Game() { return theGame; }

void BBGame::SetDelegate(BBGameDelegate* newDelegate) { delegate = newDelegate; }
BBGameDelegate* BBGame::Delegate() { return delegate; }
void BBGame::SetKeyboardEnabled(bool enabled) { keyboardEnabled = enabled; }
bool BBGame::KeyboardEnabled() { return keyboardEnabled; }
void BBGame::SetUpdateRate(int hz) { updateRate = hz; }
int BBGame::UpdateRate() { return updateRate; }
bool BBGame::Started() { return started; }
bool BBGame::Suspended() { return suspended; }
int BBGame::Milliseconds() { return 0; }

void BBGame::CurrentDate(std::vector<int>& date) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const int values[7] = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min,         local.tm_sec,     0};
  for (size_t i = 0; i < date.size() && i < 7; ++i) date[i] = values[i];
}

int BBGame::SaveStateText(const String& /*text*/) { return -1; }
String BBGame::LoadStateText() { return String(); }

String BBGame::LoadTextFile(const String& path) {
  const std::optional<std::vector<unsigned char>> bytes = LoadFileData(path);
  if (!bytes) return String();
  return DecodeTextFileBytes(bytes->data(), bytes->size());
}

int BBGame::CountJoysticks(bool /*rescan*/) { return 0; }
bool BBGame::PollJoystick(int, float[2], float[2], float[2], bool[32]) { return false; }
void BBGame::OpenUrl(const String& /*url*/) {}
void BBGame::SetMouseVisible(bool /*visible*/) {}
int BBGame::WindowWidth() { return 0; }
int BBGame::WindowHeight() { return 0; }
void BBGame::OpenWindow(int, int, int) {}
std::vector<BBDisplayMode> BBGame::DisplayModes() { return {}; }
std::optional<BBDisplayMode> BBGame::DesktopMode() { return std::nullopt; }
void BBGame::SetSwapInterval(int /*interval*/) {}
String BBGame::MapRuntimePath(const String& path) { return path; }

std::FILE* BBGame::OpenFile(const String& path, const String& mode) {
  const String mapped = MapRuntimePath(path);
  if (mapped.empty()) return nullptr;
  // File names are UTF-8 on Linux; the mode is plain ASCII.
  return std::fopen(EncodeUtf8(mapped).c_str(), ToLatin1(mode).c_str());
}

std::optional<std::vector<unsigned char>> BBGame::LoadFileData(const String& path) {
  std::FILE* file = OpenFile(path, u"rb");
  if (!file) return std::nullopt;
  std::vector<unsigned char> bytes;
  unsigned char block[4096];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, file)) > 0) {
    bytes.insert(bytes.end(), block, block + n);
  }
  std::fclose(file);
  return bytes;
}

std::optional<ImageFileData> BBGame::LoadImageFile(const String& /*path*/) {
  return std::nullopt;
}
std::optional<AudioFileData> BBGame::LoadAudioFile(const String& /*path*/) {
  return std::nullopt;
}

void BBGame::Die(ThrowableObject* /*throwable*/) { ReportUncaughtThrowable(); }

// Objects are owned explicitly (the application and the framework pointers keep what is alive),
// so there is nothing to reclaim after an event.
void BBGame::CollectGarbage() {}

// Every entry point runs the delegate inside a handler for throwables, then reclaims memory.
#define VEXA_DISPATCH(call)                  \
  do {                                       \
    try {                                    \
      delegate->call;                        \
    } catch (ThrowableObject & throwable) {  \
      Die(&throwable);                       \
    }                                        \
    CollectGarbage();                        \
  } while (0)

void BBGame::StartGame() {
  if (started || !delegate) return;
  started = true;
  VEXA_DISPATCH(StartGame());
}

void BBGame::SuspendGame() {
  if (!started || suspended) return;
  suspended = true;
  VEXA_DISPATCH(SuspendGame());
}

void BBGame::ResumeGame() {
  if (!started || !suspended) return;
  suspended = false;
  VEXA_DISPATCH(ResumeGame());
}

void BBGame::UpdateGame() {
  if (!started || suspended) return;
  VEXA_DISPATCH(UpdateGame());
}

void BBGame::RenderGame() {
  if (!started) return;
  VEXA_DISPATCH(RenderGame());
}

void BBGame::KeyEvent(int event, int data) {
  if (!started) return;
  VEXA_DISPATCH(KeyEvent(event, data));
}

void BBGame::MouseEvent(int event, int data, float x, float y, float z) {
  if (!started) return;
  VEXA_DISPATCH(MouseEvent(event, data, x, y, z));
}

void BBGame::TouchEvent(int event, int data, float x, float y) {
  if (!started) return;
  VEXA_DISPATCH(TouchEvent(event, data, x, y));
}

void BBGame::MotionEvent(int event, int data, float x, float y, float z) {
  if (!started) return;
  VEXA_DISPATCH(MotionEvent(event, data, x, y, z));
}

void BBGame::DiscardGraphics() {
  if (!started) return;
  VEXA_DISPATCH(DiscardGraphics());
}

#undef VEXA_DISPATCH

BBTaliscorGame::~BBTaliscorGame() = default;

String WindowTitle() {
  return u"Vexa Tracker " + FromLatin1(VEXA_VERSION) + u" - by " + FromLatin1(VEXA_AUTHOR);
}

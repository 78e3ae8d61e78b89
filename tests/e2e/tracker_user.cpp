#include "tests/e2e/tracker_user.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace vexa_test {

const Image::Pixel TEXT_COLOUR{148, 144, 164};
const Image::Pixel BEAT_COLOUR{113, 110, 126};
const Image::Pixel STATUS_COLOUR{171, 37, 104};
const Image::Pixel DESCRIPTION_COLOUR{128, 128, 128};
const Image::Pixel EDIT_BAR_COLOUR{82, 72, 74};

namespace {

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

ScreenReader::ScreenReader() : font(std::string(VEXA_SOURCE_DIR) + "/data/vumofont.png") {}

std::string ScreenReader::Text(const Image& shot, std::initializer_list<Image::Pixel> inks, int x,
                               int y, int count) const {
  const std::vector<Image::Pixel> colours(inks);
  return font.TextAt(
      [&](int px, int py) {
        if (px < 0 || py < 0 || px >= shot.width || py >= shot.height) return false;
        const Image::Pixel p = shot.At(px, py);
        for (const Image::Pixel& c : colours) {
          if (std::abs(p.r - c.r) <= 1 && std::abs(p.g - c.g) <= 1 && std::abs(p.b - c.b) <= 1) {
            return true;
          }
        }
        return false;
      },
      x, y, count);
}

std::string ScreenReader::Row(const Image& shot, int screenRow) const {
  return Text(shot, {TEXT_COLOUR, BEAT_COLOUR}, 0, 12 * (screenRow + 1), 27);
}

std::string ScreenReader::Position(const Image& shot, int entry) const {
  return Text(shot, TEXT_COLOUR, 297, 12 * (entry + 1), 7);
}

std::string ScreenReader::Status(const Image& shot) const {
  return TrimRight(Text(shot, STATUS_COLOUR, 473, -1, 15));
}

std::string ScreenReader::SongName(const Image& shot) const {
  return TrimRight(Text(shot, TEXT_COLOUR, 11, 441, 32));
}

std::string ScreenReader::Description(const Image& shot) const {
  return TrimRight(Text(shot, DESCRIPTION_COLOUR, 396, 123, 21));
}

std::string ScreenReader::ChannelSwitch(const Image& shot, int channel) const {
  return Text(shot, TEXT_COLOUR, 44 + 66 * (channel - 1), 408, 3);
}

std::optional<int> ScreenReader::HexValue(const Image& shot, int x, int y) const {
  const std::string digits = Text(shot, TEXT_COLOUR, x, y, 2);
  int value = 0;
  for (char ch : digits) {
    int digit;
    if (ch >= '0' && ch <= '9') {
      digit = ch - '0';
    } else if (ch >= 'A' && ch <= 'F') {
      digit = ch - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * 16 + digit;
  }
  return value;
}

namespace spinners {
// Instrument values are drawn at x = 528 on their lines; song values at x = 440.
const Spinner INSTRUMENT{"INSTRUMENT", 561, 144, 528, 144};
const Spinner WAV{"WAV", 561, 168, 528, 168};
const Spinner PWM{"PWM", 561, 180, 528, 180};
const Spinner SWP{"SWP", 561, 192, 528, 192};
const Spinner ENV{"ENV", 561, 204, 528, 204};
const Spinner E2P{"E2P", 561, 216, 528, 216};
const Spinner ARP1{"first ARP", 561, 228, 528, 228, 4, 0x0F};
const Spinner ARP2{"second ARP", 593, 228, 528, 228, 0, 0x0F};
const Spinner SPD{"SPD", 561, 240, 528, 240};
const Spinner AMT{"AMT", 561, 252, 528, 252};
const Spinner OCTAVE{"OCT", 473, 360, 440, 360};
const Spinner SPEED{"song SPD", 473, 372, 440, 372};
const Spinner LENGTH{"Len", 473, 384, 440, 384};
// The top entry of the position list, " 00: 00": the pattern number is its last two characters.
const Spinner ORDER{"order entry", 385, 12, 297 + 5 * 11, 12};
}  // namespace spinners

std::optional<int> SpinnerValue(const ScreenReader& reader, const Image& shot,
                                const Spinner& spinner) {
  const std::optional<int> shown = reader.HexValue(shot, spinner.valueX, spinner.valueY);
  if (!shown) return std::nullopt;
  return (*shown >> spinner.shift) & spinner.mask;
}

bool SetSpinner(TrackerSession& tracker, const ScreenReader& reader, const Spinner& spinner,
                int target, std::string* error) {
  std::optional<int> value;
  for (int round = 0; round < 8; ++round) {
    const std::optional<Image> shot = tracker.CaptureWindow();
    if (shot) value = SpinnerValue(reader, *shot, spinner);
    if (!value) break;
    if (*value == target) return true;
    const int clicks = std::abs(target - *value);
    // Inside the half's hit area: x + 1 .. x + 15 decreases, x + 17 .. x + 31 increases, for
    // y + 3 .. y + 13.
    const int x = spinner.x + (target > *value ? 24 : 8);
    const int y = spinner.y + 8;
    if (!tracker.ClickRepeat(x, y, clicks, 70)) break;
    const int before = *value;
    // The display follows within a frame or two; wait for it to settle.
    tracker.WaitForWindowImage(
        [&](const Image& s) {
          const std::optional<int> now = SpinnerValue(reader, s, spinner);
          return now && *now != before && std::abs(target - *now) < clicks;
        },
        2);
    PauseMs(100);
  }
  if (error) {
    *error = std::string("the ") + spinner.name + " spinner did not reach " +
             std::to_string(target) +
             (value ? " (it shows " + std::to_string(*value) + ")" : " (its value is unreadable)");
  }
  return false;
}

std::vector<std::string> EditorCursor::MovesTo(int toRow, int toColumn) {
  std::vector<std::string> keys;
  // The shortest way around the 32 rows and the 8 columns.
  const int down = ((toRow - row) % 32 + 32) % 32;
  if (down <= 16) {
    keys.insert(keys.end(), static_cast<size_t>(down), "Down");
  } else {
    keys.insert(keys.end(), static_cast<size_t>(32 - down), "Up");
  }
  const int right = ((toColumn - column) % 8 + 8) % 8;
  if (right <= 4) {
    keys.insert(keys.end(), static_cast<size_t>(right), "Right");
  } else {
    keys.insert(keys.end(), static_cast<size_t>(8 - right), "Left");
  }
  row = toRow;
  column = toColumn;
  return keys;
}

bool DialogUser::Xdotool(std::vector<std::string> arguments, std::string* output) {
  ProcessOptions run;
  run.argv = {"xdotool"};
  run.argv.insert(run.argv.end(), arguments.begin(), arguments.end());
  const ProcessResult result = RunProcess(run, 15);
  if (output) *output = result.out;
  return result.exited && result.exitStatus == 0;
}

std::string DialogUser::FocusedWindow() {
  std::string id;
  Xdotool({"getwindowfocus"}, &id);
  return id.substr(0, id.find('\n'));
}

std::string DialogUser::WaitForDialog(const std::string& title, double timeoutSeconds) {
  std::string found;
  WaitUntil(
      [&] {
        std::string ids;
        if (!Xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}, &ids)) {
          return false;
        }
        std::istringstream lines(ids);
        std::string id;
        while (lines >> id) {
          Xdotool({"windowfocus", "--sync", id});
          if (FocusedWindow() == id) {
            found = id;
            return true;
          }
        }
        return false;
      },
      timeoutSeconds, 0.2);
  if (!found.empty()) {
    title_ = title;
    PauseMs(500);  // the dialog finishes setting up (a chooser reads its folder)
  }
  return found;
}

bool DialogUser::TypeLocation(const std::string& path) {
  if (!Xdotool({"key", "ctrl+l"})) return false;
  PauseMs(300);
  if (!Xdotool({"type", "--delay", "60", path})) return false;
  PauseMs(1000);  // completion looks the typed path up; a Return before that is swallowed
  return true;
}

bool DialogUser::CloseWith(const std::string& id, const std::string& key, double timeoutSeconds) {
  return WaitUntil(
      [&] {
        if (!Visible(id)) return true;
        if (FocusedWindow() != id) Xdotool({"windowfocus", "--sync", id});
        Xdotool({"key", key});
        return WaitUntil([&] { return !Visible(id); }, 3, 0.1);
      },
      timeoutSeconds, 0.1);
}

bool DialogUser::Confirm(std::string* error) {
  const std::string question = WaitForDialog(CONFIRM_TITLE);
  if (question.empty()) {
    *error = "no confirmation dialog";
    return false;
  }
  if (!CloseWith(question, "Return")) {
    *error = "the confirmation dialog did not close";
    return false;
  }
  return true;
}

bool DialogUser::ChooseFile(const std::string& path, std::string* error) {
  const std::string chooser = WaitForDialog(LOAD_TITLE);
  if (chooser.empty()) {
    *error = "no file chooser";
    return false;
  }
  if (!TypeLocation(path)) {
    *error = "cannot type into the chooser";
    return false;
  }
  if (!CloseWith(chooser, "Return")) {
    *error = "the chooser did not close";
    return false;
  }
  return true;
}

bool DialogUser::Visible(const std::string& id) {
  std::string ids;
  Xdotool({"search", "--onlyvisible", "--name", "^" + title_ + "$"}, &ids);
  std::istringstream lines(ids);
  std::string listed;
  while (lines >> listed) {
    if (listed == id) return true;
  }
  return false;
}

double NoteRate(int semitone) {
  const uint32_t bits = 0x3F879C7Du;
  float base;
  std::memcpy(&base, &bits, sizeof base);
  return static_cast<float>(std::pow(static_cast<double>(base), semitone));
}

double NoteHz(int semitone) {
  return 16744.0 / 64.0 * NoteRate(semitone);
}

std::string KeepFolder() {
  const char* keep = std::getenv("VEXA_E2E_KEEP");
  return keep ? std::string(keep) : std::string();
}

void KeepImage(const Image& shot, const std::string& name) {
  if (!KeepFolder().empty()) shot.SavePng(KeepFolder() + "/" + name);
}

void KeepFile(const std::string& path, const std::string& name) {
  if (KeepFolder().empty()) return;
  std::error_code ec;
  std::filesystem::copy_file(path, KeepFolder() + "/" + name,
                             std::filesystem::copy_options::overwrite_existing, ec);
}

}  // namespace vexa_test

// A user composes with the real program: Space into editing, a short melody typed on the note
// keys, F1 to play it (the mixed sound is written to a WAV file by OpenAL Soft's wave driver and
// listened to afterwards), a song name typed into the name box, F11 and the confirmation
// answered in the desktop's dialog. Then the program is started again, F12 opens the file
// chooser, the saved song is chosen, and its rows are read back off the screen.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "tests/e2e/harness.h"
#include "tests/support/audio_analysis.h"
#include "tests/support/screen_text.h"

namespace vexa_test {
namespace {

namespace fs = std::filesystem;

// The waveforms hold one cycle of 64 frames at 16744 frames a second: 261.625 Hz at rate 1.0,
// which is the note "C-2".
constexpr double BASE_HZ = 16744.0 / 64.0;
constexpr double UPDATE_RATE = 51.0;

// The rate of a semitone relative to "C-2": the float with bit pattern 0x3F879C7D to the power.
double NoteHz(int semitone) {
  const uint32_t bits = 0x3F879C7Du;
  float base;
  std::memcpy(&base, &bits, sizeof base);
  return BASE_HZ * static_cast<float>(std::pow(static_cast<double>(base), semitone));
}

// Answers the desktop's dialogs (zenity) the program opens: waits for the dialog window by its
// title, gives it the keyboard focus and types into it. Every xdotool run and every wait is
// bounded.
class DialogUser {
 public:
  bool Xdotool(std::vector<std::string> arguments, std::string* output = nullptr) {
    ProcessOptions run;
    run.argv = {"xdotool"};
    run.argv.insert(run.argv.end(), arguments.begin(), arguments.end());
    const ProcessResult result = RunProcess(run, 15);
    if (output) *output = result.out;
    return result.exited && result.exitStatus == 0;
  }

  std::string FocusedWindow() {
    std::string id;
    Xdotool({"getwindowfocus"}, &id);
    return id.substr(0, id.find('\n'));
  }

  // The visible window with exactly this title, focused; empty when none came in time.
  std::string WaitForDialog(const std::string& title, double timeoutSeconds = 60) {
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

  // Types into the chooser's location field, slowly: GTK's completion garbles fast typing.
  bool TypeLocation(const std::string& path) {
    if (!Xdotool({"key", "ctrl+l"})) return false;
    PauseMs(300);
    if (!Xdotool({"type", "--delay", "60", path})) return false;
    PauseMs(1000);  // completion looks the typed path up; a Return before that is swallowed
    return true;
  }

  // Presses the key until the dialog's window is gone.
  bool CloseWith(const std::string& id, const std::string& key, double timeoutSeconds = 30) {
    return WaitUntil(
        [&] {
          if (!Visible(id)) return true;
          if (FocusedWindow() != id) Xdotool({"windowfocus", "--sync", id});
          Xdotool({"key", key});
          return WaitUntil([&] { return !Visible(id); }, 3, 0.1);
        },
        timeoutSeconds, 0.1);
  }

 private:
  bool Visible(const std::string& id) {
    std::string ids;
    Xdotool({"search", "--onlyvisible", "--name", "^" + title_ + "$"}, &ids);
    std::istringstream lines(ids);
    std::string listed;
    while (lines >> listed) {
      if (listed == id) return true;
    }
    return false;
  }

  std::string title_;
};

// Reads text off a window capture: ink is any pixel within 1 of the text colour in each
// component (the renderer turns fractional colours into bytes).
std::string ReadText(const FontShapes& font, const Image& shot, Image::Pixel colour, int x, int y,
                     int count) {
  return font.TextAt(
      [&](int px, int py) {
        if (px < 0 || py < 0 || px >= shot.width || py >= shot.height) return false;
        const Image::Pixel p = shot.At(px, py);
        return std::abs(p.r - colour.r) <= 1 && std::abs(p.g - colour.g) <= 1 &&
               std::abs(p.b - colour.b) <= 1;
      },
      x, y, count);
}

const Image::Pixel TEXT_COLOUR{148, 144, 164};
const Image::Pixel BEAT_COLOUR{113, 110, 126};   // the text colour / 1.3
const Image::Pixel STATUS_COLOUR{171, 37, 104};  // (171.6, 37.2, 104.4)

// The bytes the saved song must have: the empty song with the melody in channel 1's first four
// rows, instrument 1 with the waveform and envelope the spinners gave it (1 and 1).
std::string ExpectedSong(const std::string& melody) {
  std::string song = "QNT1";
  song += '\x01';  // one position
  song += '\x04';  // speed 4
  song += '\x01';  // one pattern stored
  const auto column = [&](const std::string& first, char fill) {
    return first + std::string(32 - first.size(), fill);
  };
  song += column(melody, '.') + column("", '.') + column("", '.') + column("", '.');
  song += column("8888", '0') + column("", '0') + column("", '0') + column("", '0');
  song += column("1111", '0') + column("", '0') + column("", '0') + column("", '0');
  song += column("2222", '0') + column("", '0') + column("", '0') + column("", '0');
  song += std::string(256, '\0');
  std::string table(249, '\0');
  table[8] = '\x01';   // instrument 1's WAV
  table[12] = '\x01';  // instrument 1's ENV
  song += table;
  song += std::string(31 * 21, ' ');
  return song;
}

class Compose : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run through ./test.sh (needs DISPLAY)";
    ASSERT_FALSE(scratch.Path().empty());
    // The choosers note recently used files; keep that out of the user's home.
    for (const char* name : {"data", "config", "cache"}) {
      fs::create_directories(scratch.Path() + "/home/" + name);
    }
    env = {"XDG_DATA_HOME=" + scratch.Path() + "/home/data",
           "XDG_CONFIG_HOME=" + scratch.Path() + "/home/config",
           "XDG_CACHE_HOME=" + scratch.Path() + "/home/cache"};
    ASSERT_TRUE(font.Ok());
  }

  // A window capture in which the check holds, or none after the timeout. With VEXA_E2E_KEEP
  // naming a folder, the last capture of a failed wait is kept there (as are the recorded
  // sound and the screen with the loaded song).
  std::optional<Image> Screen(TrackerSession& tracker,
                              const std::function<bool(const Image&)>& check,
                              double timeoutSeconds = 10) {
    std::optional<Image> seen = tracker.WaitForWindowImage(check, timeoutSeconds);
    const char* keep = std::getenv("VEXA_E2E_KEEP");
    if (!seen && keep) {
      if (std::optional<Image> last = tracker.CaptureWindow()) {
        last->SavePng(std::string(keep) + "/compose_failed_" + std::to_string(++failures) + ".png");
      }
    }
    return seen;
  }

  int failures = 0;
  TempDir scratch{"vexa-compose"};
  std::vector<std::string> env;
  FontShapes font{std::string(VEXA_SOURCE_DIR) + "/data/vumofont.png"};
};

TEST_F(Compose, AMelodyPlaysAtItsPitchesIsSavedAndComesBackAfterARestart) {
  const std::string melody = "qwer";  // C-3, D-3, E-3, F-3 at the edit octave 2
  const std::vector<int> semitones = {12, 14, 16, 17};
  const std::string songName = "compose-" + std::to_string(getpid()) + ".dat";
  const std::string wav = scratch.Path() + "/sound.wav";
  std::string savedPath;

  {
    TrackerOptions options;
    // Small periods: the wave writer mixes in steps of 256 frames (5.8 ms), so a note starts
    // at most that much after the program asks for it.
    options.audioConfig =
        "[general]\ndrivers=wave\nfrequency=44100\nperiod_size=256\n[wave]\nfile=" + wav + "\n";
    options.env = env;
    TrackerSession tracker(options);
    std::string error;
    ASSERT_TRUE(tracker.Start(&error)) << error;
    ASSERT_TRUE(tracker.Focus());

    // Space: editing mode, with the bar behind the cursor row.
    ASSERT_TRUE(tracker.Keys({"space"}));
    ASSERT_TRUE(Screen(tracker, [](const Image& s) {
      return s.At(300, 20) == Image::Pixel{82, 72, 74};
    })) << "no editing bar";

    // The melody, a note every 0.3 s (xdotool spends half the delay on each key); each note is
    // previewed as it is typed.
    ASSERT_TRUE(tracker.TypeText(melody, 600));
    const auto written = Screen(tracker, [&](const Image& s) {
      return ReadText(font, s, TEXT_COLOUR, 0, 48, 9) == "03: F-381";
    });
    ASSERT_TRUE(written) << "the fourth note is not on the screen";
    EXPECT_EQ(ReadText(font, *written, TEXT_COLOUR, 0, 24, 27), "01: D-381 ---00 ---00 ---00");
    PauseMs(600);  // the previews die away

    // F1 plays from the start; F1 again stops. The pattern is 32 rows of 4 ticks: 2.5 s.
    ASSERT_TRUE(tracker.Keys({"F1"}));
    PauseMs(1500);
    ASSERT_TRUE(tracker.Keys({"F1"}));

    // The song name: click the box, type, Enter.
    ASSERT_TRUE(tracker.Click(100, 450));
    // The editor takes one character per update and drops the others of that update: type
    // slowly enough for a loaded machine (a character every 0.1 s).
    ASSERT_TRUE(tracker.TypeText(songName, 200));
    ASSERT_TRUE(tracker.Keys({"Return"}));
    ASSERT_TRUE(Screen(tracker, [&](const Image& s) {
      return ReadText(font, s, TEXT_COLOUR, 11, 441, static_cast<int>(songName.size())) == songName;
    })) << "the name is not in the name box";

    // F11 and the confirmation.
    ASSERT_TRUE(tracker.Keys({"F11"}));
    DialogUser user;
    const std::string question = user.WaitForDialog("File Operation");
    ASSERT_FALSE(question.empty()) << "no confirmation dialog";
    ASSERT_TRUE(user.CloseWith(question, "Return"));
    ASSERT_TRUE(tracker.Focus());
    savedPath = tracker.DataFolder() + "/songs/" + songName;
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(savedPath); }, 10)) << savedPath;
    const auto status = Screen(tracker, [&](const Image& s) {
      return ReadText(font, s, STATUS_COLOUR, 473, -1, 13) == "File Saved...";
    });
    EXPECT_TRUE(status) << "no \"File Saved...\" in the status line";

    const std::optional<std::string> bytes = ReadFile(savedPath);
    ASSERT_TRUE(bytes);
    std::cout << "saved " << bytes->size() << " bytes to " << savedPath << "\n";
    EXPECT_EQ(bytes->size(), 1675u);
    EXPECT_TRUE(*bytes == ExpectedSong(melody)) << "the saved file differs from the song";
    WriteFile(scratch.Path() + "/saved.dat", *bytes);

    ASSERT_TRUE(tracker.RequestClose());
    ASSERT_TRUE(tracker.WaitForExit(20));
    EXPECT_EQ(tracker.ExitStatus(), 0);
  }

  // The sound: four notes, four ticks apart, at the pitches of the keys.
  {
    if (const char* keep = std::getenv("VEXA_E2E_KEEP")) {
      fs::copy_file(wav, std::string(keep) + "/compose_sound.wav",
                    fs::copy_options::overwrite_existing);
    }
    const std::optional<AudioClip> clip = ReadWavClip(wav);
    ASSERT_TRUE(clip) << wav;
    const std::vector<float> mono = MixToMono(*clip);
    OnsetOptions onsets;
    // A note restarts over the previous one, which its envelope has taken down to 0.6 of its
    // level; the new note starts at 0.9. The level of 5 ms steps wavers by about a tenth within
    // a note, and the look back stays shorter than the gap between onsets, so that the silence
    // before the first note does not make onsets of the steps after it.
    onsets.riseRatio = 1.3;
    onsets.lookbackSeconds = 0.025;
    onsets.minGapSeconds = 0.05;
    const std::vector<double> times = FindOnsets(mono, clip->rate, onsets);
    // The played notes are the run of four onsets less than 0.12 s apart (the previews were
    // typed 0.3 s apart).
    size_t first = times.size();
    for (size_t i = 0; i + 3 < times.size(); ++i) {
      if (times[i + 3] - times[i] < 0.36 && times[i + 1] - times[i] < 0.12) {
        first = i;
        break;
      }
    }
    std::ostringstream all;
    for (double t : times) all << t << " ";
    ASSERT_LT(first, times.size()) << "no run of four notes; onsets at " << all.str();
    const double tick = 1.0 / UPDATE_RATE;
    double sum = 0;
    for (size_t k = 0; k < 4; ++k) {
      const double start = times[first + k];
      const size_t from = static_cast<size_t>((start + 0.01) * clip->rate);
      const size_t count = static_cast<size_t>(0.055 * clip->rate);
      ASSERT_LE(from + count, mono.size());
      const double hz = EstimateFrequency(mono.data() + from, count, clip->rate, 100, 2000);
      std::cout << "note " << k + 1 << " at " << start << " s: " << hz << " Hz (expected "
                << NoteHz(semitones[k]) << ")\n";
      EXPECT_NEAR(hz, NoteHz(semitones[k]), NoteHz(semitones[k]) * 0.003) << "note " << k + 1;
      if (k > 0) {
        const double gap = start - times[first + k - 1];
        sum += gap;
        std::cout << "  " << gap * 1000 << " ms after the note before\n";
        EXPECT_NEAR(gap, 4 * tick, 0.025) << "note " << k + 1;
      }
    }
    std::cout << "mean spacing " << sum / 3 * 1000 << " ms (expected " << 4000 * tick << ")\n";
    EXPECT_NEAR(sum / 3, 4 * tick, 0.012);
  }

  // A new start of the program; the song is in its songs folder. F12, the chooser, the rows.
  {
    TrackerOptions options;
    options.env = env;
    TrackerSession tracker(options);
    std::string error;
    ASSERT_TRUE(tracker.Start(&error)) << error;
    const std::string target = tracker.DataFolder() + "/songs/" + songName;
    fs::copy_file(scratch.Path() + "/saved.dat", target);
    ASSERT_TRUE(tracker.Focus());
    ASSERT_TRUE(Screen(tracker, [&](const Image& s) {
      return ReadText(font, s, TEXT_COLOUR, 0, 24, 27) == "01: ---00 ---00 ---00 ---00";
    })) << "a fresh song is not empty";

    ASSERT_TRUE(tracker.Keys({"F12"}));
    DialogUser user;
    const std::string chooser = user.WaitForDialog("Select a File from DATA/SONGS/ to Load!");
    ASSERT_FALSE(chooser.empty()) << "no file chooser";
    ASSERT_TRUE(user.TypeLocation(target));
    ASSERT_TRUE(user.CloseWith(chooser, "Return"));
    ASSERT_TRUE(tracker.Focus());

    const auto loaded = Screen(tracker, [&](const Image& s) {
      return ReadText(font, s, TEXT_COLOUR, 0, 48, 27) == "03: F-381 ---00 ---00 ---00";
    });
    ASSERT_TRUE(loaded) << "the loaded rows are not on the screen";
    EXPECT_EQ(ReadText(font, *loaded, TEXT_COLOUR, 0, 24, 27), "01: D-381 ---00 ---00 ---00");
    EXPECT_EQ(ReadText(font, *loaded, TEXT_COLOUR, 0, 36, 27), "02: E-381 ---00 ---00 ---00");
    EXPECT_EQ(ReadText(font, *loaded, BEAT_COLOUR, 0, 60, 27), "04: ---00 ---00 ---00 ---00");
    EXPECT_EQ(ReadText(font, *loaded, TEXT_COLOUR, 11, 441, static_cast<int>(songName.size())),
              songName);
    EXPECT_EQ(ReadText(font, *loaded, STATUS_COLOUR, 473, -1, 14), "File Loaded...");
    if (const char* keep = std::getenv("VEXA_E2E_KEEP")) {
      loaded->SavePng(std::string(keep) + "/compose_loaded.png");
    }

    ASSERT_TRUE(tracker.RequestClose());
    ASSERT_TRUE(tracker.WaitForExit(20));
    EXPECT_EQ(tracker.ExitStatus(), 0);
  }
}

}  // namespace
}  // namespace vexa_test

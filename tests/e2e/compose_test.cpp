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
#include "tests/e2e/tracker_user.h"
#include "tests/support/audio_analysis.h"

namespace vexa_test {
namespace {

namespace fs = std::filesystem;

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
    env = DesktopFoldersIn(scratch.Path() + "/home");
    ASSERT_TRUE(reader.Ok());
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
  ScreenReader reader;
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
      return reader.Text(s, TEXT_COLOUR, 0, 48, 9) == "03: F-381";
    });
    ASSERT_TRUE(written) << "the fourth note is not on the screen";
    EXPECT_EQ(reader.Row(*written, 1), "01: D-381 ---00 ---00 ---00");
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
    ASSERT_TRUE(Screen(tracker, [&](const Image& s) { return reader.SongName(s) == songName; }))
        << "the name is not in the name box";

    // F11 and the confirmation.
    ASSERT_TRUE(tracker.Keys({"F11"}));
    DialogUser user;
    ASSERT_TRUE(user.Confirm(&error)) << error;
    ASSERT_TRUE(tracker.Focus());
    savedPath = tracker.DataFolder() + "/songs/" + songName;
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(savedPath); }, 10)) << savedPath;
    const auto status =
        Screen(tracker, [&](const Image& s) { return reader.Status(s) == "File Saved..."; });
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
    const double tick = TICK_SECONDS;
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
      return reader.Row(s, 1) == "01: ---00 ---00 ---00 ---00";
    })) << "a fresh song is not empty";

    ASSERT_TRUE(tracker.Keys({"F12"}));
    DialogUser user;
    ASSERT_TRUE(user.ChooseFile(target, &error)) << error;
    ASSERT_TRUE(tracker.Focus());

    const auto loaded = Screen(
        tracker, [&](const Image& s) { return reader.Row(s, 3) == "03: F-381 ---00 ---00 ---00"; });
    ASSERT_TRUE(loaded) << "the loaded rows are not on the screen";
    EXPECT_EQ(reader.Row(*loaded, 1), "01: D-381 ---00 ---00 ---00");
    EXPECT_EQ(reader.Row(*loaded, 2), "02: E-381 ---00 ---00 ---00");
    EXPECT_EQ(reader.Row(*loaded, 4), "04: ---00 ---00 ---00 ---00");
    EXPECT_EQ(reader.SongName(*loaded), songName);
    EXPECT_EQ(reader.Status(*loaded), "File Loaded...");
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

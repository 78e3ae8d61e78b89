// The render against the live tracker: a song typed into the real vexa-tracker, saved with F11
// and played with F1 while OpenAL Soft writes what the tracker plays into a WAV file, has the
// same note onsets and pitches as vexa-render's render of the saved file. The live loop starts
// notes on its 51 Hz updates, and OpenAL applies them at its next mixing period, so live
// onsets are compared by their spacing, within two update periods and one mixing period.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/render/song_files.h"
#include "tests/support/audio_analysis.h"

namespace render_test {
namespace {

using vexa_test::PauseMs;
using vexa_test::WaitUntil;

constexpr double UPDATE_SECONDS = 1.0 / 51;
// OpenAL Soft's wave writer mixes 1024 frames at a time unless configured otherwise.
constexpr int MIX_PERIOD_FRAMES = 1024;
// Time given to every key press and click before the next one.
constexpr int SETTLE_MS = 300;

// Runs xdotool; its output in output.
bool Xdotool(const std::vector<std::string>& arguments, std::string* output = nullptr) {
  vexa_test::ProcessOptions options;
  options.argv = {"xdotool"};
  options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
  const vexa_test::ProcessResult result = vexa_test::RunProcess(options, 15);
  if (output) *output = result.out;
  return result.exited && result.exitStatus == 0;
}

std::vector<std::string> VisibleWindows(const std::string& title) {
  std::string ids;
  Xdotool({"search", "--onlyvisible", "--name", "^" + title + "$"}, &ids);
  std::istringstream lines(ids);
  std::vector<std::string> found;
  std::string id;
  while (lines >> id) found.push_back(id);
  return found;
}

// Answers the tracker's confirmation box (a zenity window; there is no window manager, so it
// is given the focus by hand) with Return, and waits until it is gone.
bool Confirm(const std::string& title) {
  std::vector<std::string> windows;
  if (!WaitUntil([&] { return !(windows = VisibleWindows(title)).empty(); }, 60, 0.2)) {
    return false;
  }
  const std::string id = windows.front();
  return WaitUntil(
      [&] {
        if (VisibleWindows(title).empty()) return true;
        std::string focused;
        Xdotool({"windowfocus", "--sync", id});
        Xdotool({"getwindowfocus"}, &focused);
        if (focused.substr(0, focused.find('\n')) == id) {
          PauseMs(500);  // let the dialog finish setting up before the key arrives
          Xdotool({"key", "Return"});
          PauseMs(1000);
        }
        return VisibleWindows(title).empty();
      },
      60, 0.2);
}

long long FileSize(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

// Where the samples of a WAV file begin and how many bytes a frame takes.
bool DataLayout(const std::string& path, long long* dataOffset, int* frameBytes) {
  const std::optional<std::string> bytes = vexa_test::ReadFile(path);
  if (!bytes || bytes->size() < 44) return false;
  const auto little = [&](size_t at, int count) {
    long long value = 0;
    for (int i = 0; i < count; ++i) {
      value |= static_cast<long long>(static_cast<unsigned char>((*bytes)[at + i])) << (8 * i);
    }
    return value;
  };
  *frameBytes = static_cast<int>(little(32, 2));  // block align of the format chunk
  for (size_t at = 12; at + 8 <= bytes->size();) {
    const long long size = little(at + 4, 4);
    if (bytes->compare(at, 4, "data") == 0) {
      *dataOffset = static_cast<long long>(at) + 8;
      return *frameBytes > 0;
    }
    at += 8 + static_cast<size_t>(size + (size & 1));
  }
  return false;
}

struct Note {
  double onset;  // seconds
  double hz;
};

// The notes of a mono sound: onsets and the pitch just after each.
std::vector<Note> NotesOf(const std::vector<float>& mono, int rate) {
  OnsetOptions options;
  options.hopSeconds = 0.002;
  std::vector<Note> notes;
  for (double onset : FindOnsets(mono, rate, options)) {
    const size_t from = static_cast<size_t>((onset + 0.03) * rate);
    const size_t count = static_cast<size_t>(0.1 * rate);
    double hz = 0;
    if (from + count <= mono.size()) hz = EstimateFrequency(mono.data() + from, count, rate, 100);
    notes.push_back({onset, hz});
  }
  return notes;
}

TEST(RenderAgainstLiveTracker, TypedSongHasTheSameOnsetsAndPitchesLiveAndRendered) {
  vexa_test::TempDir scratch("vexa-render-live");
  const std::string capture = scratch.Path() + "/live.wav";
  vexa_test::TrackerOptions options;
  options.audioConfig = vexa_test::WaveAudioConfig(capture);
  options.env = vexa_test::DesktopFoldersIn(scratch.Path() + "/home");
  vexa_test::TrackerSession tracker(options);
  std::string error;
  ASSERT_TRUE(tracker.Start(&error)) << error;
  ASSERT_TRUE(tracker.Focus());
  // Input counts once the tracker runs: wait until it has drawn its screen (the purple panel).
  ASSERT_TRUE(tracker.WaitForWindowImage(
      [](const vexa_test::Image& shot) {
        const vexa_test::Image::Pixel panel = shot.At(500, 300);
        return panel.r > 40 && panel.b > 60;
      },
      60))
      << "the tracker did not draw its screen";

  // One input at a time, each given time to reach an update of its own: the program polls
  // events once a frame, and a slow frame (a sanitizer build on a busy machine) would otherwise
  // hand two presses of a key, or a key and the end of a name, to the same update.
  const auto key = [&](const std::string& name) {
    const bool sent = tracker.Keys({name});
    PauseMs(SETTLE_MS);
    return sent;
  };
  const auto type = [&](const std::string& text) {
    for (char c : text) {
      if (!tracker.TypeText(std::string(1, c))) return false;
      PauseMs(SETTLE_MS);
    }
    return true;
  };
  const auto click = [&](int x, int y) {
    const bool sent = tracker.Click(x, y);
    PauseMs(SETTLE_MS);
    return sent;
  };

  // Instrument 1 (the current one) starts with WAV 1; three clicks on the right half of its
  // WAV spinner make it 4, the one-voice triangle. ENV stays at its least value, 1: a note at
  // volume 8 dies away within ten ticks.
  ASSERT_TRUE(tracker.MoveMouse(585, 176));
  PauseMs(SETTLE_MS);
  for (int n = 0; n < 3; ++n) ASSERT_TRUE(click(585, 176));
  // Editing mode; notes on channel 1, rows 0, 4, 8 and 12 (each note moves the cursor down
  // one row): C-3, E-3, G-3, C-4.
  ASSERT_TRUE(key("space"));
  const std::string notes = "qeti";
  for (size_t k = 0; k < notes.size(); ++k) {
    ASSERT_TRUE(type(notes.substr(k, 1)));
    for (int down = 0; down < 3 && k + 1 < notes.size(); ++down) ASSERT_TRUE(key("Down"));
  }
  // Standby; the song's name typed into the name box; F11 saves after the confirmation.
  ASSERT_TRUE(key("space"));
  ASSERT_TRUE(click(100, 450));
  ASSERT_TRUE(type("live"));
  ASSERT_TRUE(key("Return"));
  ASSERT_TRUE(key("F11"));
  ASSERT_TRUE(Confirm("File Operation")) << "the confirmation box did not appear or close";
  const std::string song = tracker.DataFolder() + "/songs/live";
  ASSERT_TRUE(WaitUntil([&] { return FileSize(song) > 0; }, 20)) << "no song saved at " << song;

  // What was typed is in the file: the notes of channel 1 and instrument 1's WAV value.
  const std::optional<std::string> saved = vexa_test::ReadFile(song);
  ASSERT_TRUE(saved);
  ASSERT_EQ(saved->size(), 1675u);
  EXPECT_EQ(saved->substr(7, 13), "q...e...t...i");
  EXPECT_EQ((*saved)[263 + 16 * 32 + 8], 4) << "WAV of instrument 1";

  // F1 plays from the start; two passes through the song (2 x 128 ticks) and a little more.
  ASSERT_TRUE(tracker.Focus());
  PauseMs(500);
  const long long bytesBeforePlay = FileSize(capture);
  ASSERT_GT(bytesBeforePlay, 0) << "OpenAL's wave writer made no file";
  ASSERT_TRUE(tracker.Keys({"F1"}));
  PauseMs(5700);
  ASSERT_TRUE(tracker.Keys({"F1"}));
  PauseMs(300);
  ASSERT_TRUE(tracker.RequestClose());
  ASSERT_TRUE(tracker.WaitForExit(20));

  long long dataOffset = 0;
  int frameBytes = 0;
  ASSERT_TRUE(DataLayout(capture, &dataOffset, &frameBytes));
  const std::optional<AudioClip> clip = ReadWavClip(capture);
  ASSERT_TRUE(clip);
  const std::vector<float> all = MixToMono(*clip);
  const size_t playFrom = static_cast<size_t>((bytesBeforePlay - dataOffset) / frameBytes);
  ASSERT_LT(playFrom, all.size());
  const std::vector<float> live(all.begin() + static_cast<long>(playFrom), all.end());

  // The saved file rendered at the capture's rate, two passes.
  const std::string out = scratch.Path() + "/render.wav";
  const ProgramRun run =
      RunRender({song, out, "--loops", "2", "--rate", std::to_string(clip->rate)});
  ASSERT_TRUE(run.exited && run.status == 0) << run.err;
  const std::optional<AudioClip> rendered = ReadWavClip(out);
  ASSERT_TRUE(rendered);
  const std::vector<Note> renderNotes = NotesOf(MixToMono(*rendered), rendered->rate);
  const std::vector<Note> liveNotes = NotesOf(live, clip->rate);

  // Rows 0, 4, 8, 12 at speed 4, twice: the render puts them on the tick grid.
  const std::vector<int> rows = {0, 4, 8, 12, 32, 36, 40, 44};
  ASSERT_EQ(renderNotes.size(), rows.size());
  for (size_t k = 0; k < rows.size(); ++k) {
    EXPECT_NEAR(renderNotes[k].onset, rows[k] * 4 * UPDATE_SECONDS, 0.003) << "rendered note " << k;
  }
  ASSERT_GE(liveNotes.size(), rows.size()) << "the live capture holds too few notes";

  const double tolerance = 2 * UPDATE_SECONDS + static_cast<double>(MIX_PERIOD_FRAMES) / clip->rate;
  double worstSpacing = 0;
  double worstPitch = 0;
  for (size_t k = 0; k < rows.size(); ++k) {
    if (k > 0) {
      const double liveSpacing = liveNotes[k].onset - liveNotes[k - 1].onset;
      const double renderSpacing = renderNotes[k].onset - renderNotes[k - 1].onset;
      EXPECT_NEAR(liveSpacing, renderSpacing, tolerance) << "spacing before note " << k;
      worstSpacing = std::max(worstSpacing, std::fabs(liveSpacing - renderSpacing));
    }
    ASSERT_GT(renderNotes[k].hz, 0) << "note " << k;
    EXPECT_NEAR(liveNotes[k].hz, renderNotes[k].hz, renderNotes[k].hz * 0.005) << "note " << k;
    worstPitch = std::max(worstPitch, std::fabs(liveNotes[k].hz / renderNotes[k].hz - 1));
  }
  std::printf("live against render: onset spacing within %.1f ms, pitch within %.3f %%\n",
              worstSpacing * 1000, worstPitch * 100);
}

}  // namespace
}  // namespace render_test

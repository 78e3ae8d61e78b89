// Tempo and timing of playback as a listener hears it: the real program plays a one-pattern song
// at speed 1 (one row per tick of 1/51 s) into OpenAL Soft's WAV writer; the sample-exact starts
// of its notes give the long-run tempo error and the jitter of the rows, which are printed.
//
// The pattern repeats "note, empty, note off, empty", so every note starts out of silence four
// rows (78.4 ms) after the previous one. The program also writes the times of its updates
// (VEXA_UPDATE_TRACE), so the main loop's own jitter is printed beside that of the sound. The
// assertions are loose bounds that a loaded machine still meets; the figures are for reading.
//
// Measurement runs may change the capture through the environment:
//   VEXA_TEMPO_SECONDS=<s>       length of the capture (default 30)
//   VEXA_TEMPO_PERIOD_SIZE=<n>   OpenAL Soft update size in sample frames for this run, in place
//                                of the one the program ships (to compare update sizes)
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/support/audio_analysis.h"
#include "tests/support/onset_timing.h"

namespace vexa_test {
namespace {

constexpr double kTicksPerSecond = 51.0;
constexpr int kRowsPerNote = 4;
// The left half of the song speed spinner (the spinner's box is at 473, 372).
constexpr int kSpeedDownX = 481;
constexpr int kSpeedDownY = 380;

double EnvNumber(const char* name, double fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::atof(text) : fallback;
}

// In editing mode the cursor's row is underlaid with a bar across the pattern; screen row r
// (1 to 32) spans y = 12 r + 2 to 12 r + 13.
bool CursorOnRow(const Image& shot, int row) {
  return shot.At(60, 12 * row + 8) == Image::Pixel{82, 72, 74};
}

// Types one character into the cell under the cursor on the given row and waits until the
// cursor has moved on. The editor reads one character per update and drops the rest, so a
// character that arrives in the same update as another one (on a busy machine) is typed again.
void EnterOnRow(TrackerSession& tracker, const std::string& character, int row) {
  const int next = row % 32 + 1;
  for (int attempt = 0; attempt < 3; ++attempt) {
    ASSERT_TRUE(tracker.TypeText(character, 0));
    if (tracker.WaitForWindowImage([&](const Image& shot) { return CursorOnRow(shot, next); }, 3)) {
      return;
    }
    ASSERT_TRUE(
        tracker.WaitForWindowImage([&](const Image& shot) { return CursorOnRow(shot, row); }, 3))
        << "the cursor left row " << row << " for neither the next row nor its own";
  }
  FAIL() << "\"" << character << "\" was not taken on row " << row;
}

// The update times the program has written to its trace so far.
std::vector<double> ReadTrace(const std::string& path) {
  std::vector<double> times;
  std::ifstream in(path);
  double t;
  while (in >> t) times.push_back(t);
  return times;
}

TEST(Tempo, RowsOfASpeedOneSongKeepTheTickRate) {
  const double seconds = EnvNumber("VEXA_TEMPO_SECONDS", 30);
  const int periodSize = static_cast<int>(EnvNumber("VEXA_TEMPO_PERIOD_SIZE", 0));

  TrackerOptions options;
  TempDir captureFolder("vexa-tempo");
  const std::string wav = captureFolder.Path() + "/capture.wav";
  options.audioConfig = WaveAudioConfig(wav);
  if (periodSize > 0) {
    options.audioConfig += "[general]\nperiod_size=" + std::to_string(periodSize) + "\n";
  }
  const std::string trace = captureFolder.Path() + "/updates.txt";
  options.env.push_back("VEXA_UPDATE_TRACE=" + trace);
  TrackerSession tracker(options);
  std::string error;
  ASSERT_TRUE(tracker.Start(&error)) << error;
  ASSERT_TRUE(tracker.Focus());

  // Editing mode; fill the pattern of channel 1 from row 0. Instrument 1 becomes "WAV" 1 and
  // "ENV" 1 as soon as the spinners show it, so its notes sound and decay within 10 ticks.
  ASSERT_TRUE(tracker.Keys({"space"}));
  ASSERT_TRUE(
      tracker.WaitForWindowImage([](const Image& shot) { return CursorOnRow(shot, 1); }, 10))
      << "no editing cursor on the first row";
  const std::string pattern = "q.<.";
  for (int row = 1; row <= 32; ++row) {
    EnterOnRow(tracker, pattern.substr(static_cast<size_t>(row - 1) % pattern.size(), 1), row);
    if (HasFatalFailure()) return;
  }
  // Speed 4 down to 1.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(tracker.Click(kSpeedDownX, kSpeedDownY));
  PauseMs(500);  // the last preview has ended

  // Play from the start; everything written to the capture before now is the editor's.
  const std::optional<AudioClip> before = ReadWavClip(wav);
  ASSERT_TRUE(before) << "no capture at " << wav;
  const double playFrom = static_cast<double>(before->Frames()) / before->rate;
  const size_t firstUpdate = ReadTrace(trace).size();
  ASSERT_TRUE(tracker.Keys({"F1"}));
  PauseMs(static_cast<int>(seconds * 1000));
  ASSERT_TRUE(tracker.Keys({"F1"}));
  PauseMs(300);
  const std::vector<double> updates = ReadTrace(trace);
  ASSERT_GT(updates.size(), firstUpdate);
  const TempoFigures loop = MeasureTempo(
      std::vector<double>(updates.begin() + static_cast<long>(firstUpdate), updates.end()),
      1.0 / kTicksPerSecond);

  const std::optional<AudioClip> clip = ReadWavClip(wav);
  ASSERT_TRUE(clip);
  std::vector<double> onsets;
  for (double t : FindOnsetsAfterSilence(MixToMono(*clip), clip->rate)) {
    if (t >= playFrom) onsets.push_back(t);
  }
  const double period = kRowsPerNote / kTicksPerSecond;
  const TempoFigures figures = MeasureTempo(onsets, period);

  std::printf(
      "[ figures  ] capture %.1f s at %d Hz, update size %s; %zu onsets in %zu slots (%zu "
      "missing, %zu doubled)\n"
      "[ figures  ] row period %.4f ms (nominal %.4f ms): tempo error %+.4f %%\n"
      "[ figures  ] onset jitter p50 %.3f ms, p99 %.3f ms, max %.3f ms\n"
      "[ figures  ] onsets on one phase of 1024 / 256 / 64 frames: %.2f / %.2f / %.2f\n"
      "[ figures  ] main loop: %zu updates, period %.4f ms, jitter p50 %.3f ms, p99 %.3f ms, "
      "max %.3f ms, %zu skipped\n",
      static_cast<double>(clip->Frames()) / clip->rate - playFrom, clip->rate,
      periodSize > 0 ? std::to_string(periodSize).c_str() : "shipped", figures.onsets,
      figures.gridSlots, figures.Missing(), figures.doubled, figures.fittedPeriod * 1e3,
      period * 1e3, figures.tempoError * 100, figures.jitterP50 * 1e3, figures.jitterP99 * 1e3,
      figures.jitterMax * 1e3, ShareOnCommonPhase(onsets, clip->rate, 1024, 2),
      ShareOnCommonPhase(onsets, clip->rate, 256, 2), ShareOnCommonPhase(onsets, clip->rate, 64, 2),
      loop.onsets, loop.fittedPeriod * 1e3, loop.jitterP50 * 1e3, loop.jitterP99 * 1e3,
      loop.jitterMax * 1e3, loop.Missing());

  if (figures.Missing() > 0) {
    std::printf("[ figures  ] missing slots:");
    for (size_t i = 1; i < figures.slots.size(); ++i) {
      for (long long k = figures.slots[i - 1] + 1; k < figures.slots[i]; ++k) {
        std::printf(" %lld", k);
      }
    }
    std::printf("\n");
  }

  // Nearly every note was heard, one per four rows, and the song kept the tick rate.
  const double expected = seconds / period;
  EXPECT_GE(static_cast<double>(figures.onsets), 0.9 * expected);
  EXPECT_LE(static_cast<double>(figures.gridSlots), 1.05 * expected);
  EXPECT_LT(figures.doubled, figures.onsets / 20 + 1);
  EXPECT_LT(std::abs(figures.tempoError), 0.005);
  // The loop ran (nearly) every update of the capture at its rate.
  EXPECT_GE(static_cast<double>(loop.onsets), 0.9 * seconds * kTicksPerSecond);
  EXPECT_LT(std::abs(loop.tempoError), 0.005);
  if (periodSize == 0) {
    // OpenAL Soft's default update of 1024 frames puts every onset on one phase of 1024
    // frames; the update the program ships spreads them over the phases.
    EXPECT_LT(ShareOnCommonPhase(onsets, clip->rate, 1024, 2), 0.6)
        << "the mixer's update is still 1024 frames: is alsoft.conf beside the program?";
  }

  ASSERT_TRUE(tracker.RequestClose());
  ASSERT_TRUE(tracker.WaitForExit(20)) << "still running after the close request";
  EXPECT_TRUE(tracker.Exited()) << "signal " << tracker.TermSignal();
  EXPECT_EQ(tracker.ExitStatus(), 0);
}

}  // namespace
}  // namespace vexa_test

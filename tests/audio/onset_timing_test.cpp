// The onset timing helpers that the tempo figures rely on, against onset trains with known
// answers.
#include "tests/support/onset_timing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kRate = 44100;

// A clip of silence with a note at each start: a looped rising ramp (it starts at a small value,
// like a restarted waveform) of the given length in samples.
std::vector<float> Notes(const std::vector<size_t>& starts, size_t length, size_t total,
                         float level = 0.5f) {
  std::vector<float> clip(total, 0.0f);
  for (size_t start : starts) {
    for (size_t i = 0; i < length && start + i < total; ++i) {
      clip[start + i] = level * (static_cast<float>(i % 64) / 32.0f - 0.98f);
    }
  }
  return clip;
}

TEST(OnsetTimingTest, FindsTheFirstSampleOfNotesThatFollowSilence) {
  // Notes at exact samples; the third follows a gap of only 5 ms, shorter than the required
  // quiet, and the first starts with the clip, where no quiet came before.
  const std::vector<size_t> starts = {0, 10000, 20000, 20000 + 1500 + 220, 40000};
  std::vector<float> clip = Notes(starts, 1500, 60000);
  // A soft sound that never reaches the threshold is no note.
  for (size_t i = 50000; i < 51000; ++i) clip[i] = 0.004f;

  const std::vector<double> onsets = FindOnsetsAfterSilence(clip, kRate);
  ASSERT_EQ(onsets.size(), 3u);
  EXPECT_DOUBLE_EQ(onsets[0], 10000.0 / kRate);
  EXPECT_DOUBLE_EQ(onsets[1], 20000.0 / kRate);
  EXPECT_DOUBLE_EQ(onsets[2], 40000.0 / kRate);
}

TEST(OnsetTimingTest, MeasuresTempoAndJitterOfOnsetTrains) {
  const double period = 4.0 / 51.0;
  struct Case {
    const char* name;
    double actualPeriod;
    double jitter;       // alternately added and subtracted, seconds
    size_t count;        // grid slots
    size_t skipEvery;    // every n-th slot has no onset (0: none)
    size_t doubleEvery;  // every n-th slot has a second onset 3 ms later (0: none)
    double tempoError, jitterP50;
    size_t missing, doubled;
  };
  const Case cases[] = {
      {"exact", period, 0, 383, 0, 0, 0, 0, 0, 0},
      {"1 % slow", period * 1.01, 0, 383, 0, 0, 0.01, 0, 0, 0},
      // Drifts by more than a whole period over the train: slots still follow the neighbours.
      {"0.4 % fast", period * 0.996, 0, 400, 0, 0, -0.004, 0, 0, 0},
      {"±1 ms", period, 0.001, 383, 0, 0, 0, 0.001, 0, 0},
      {"missing", period, 0, 383, 10, 0, 0, 0, 38, 0},
      {"doubled", period, 0, 383, 0, 50, 0, 0, 0, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<double> onsets;
    for (size_t k = 0; k < c.count; ++k) {
      if (c.skipEvery && k % c.skipEvery == 5) continue;
      const double t =
          2.0 + c.actualPeriod * static_cast<double>(k) + (k % 2 ? c.jitter : -c.jitter);
      onsets.push_back(t);
      if (c.doubleEvery && k % c.doubleEvery == 1) onsets.push_back(t + 0.003);
    }
    const TempoFigures figures = MeasureTempo(onsets, period);
    EXPECT_EQ(figures.gridSlots, c.count);
    EXPECT_EQ(figures.Missing(), c.missing);
    EXPECT_EQ(figures.doubled, c.doubled);
    EXPECT_NEAR(figures.tempoError, c.tempoError, 1e-5);
    EXPECT_NEAR(figures.jitterP50, c.jitterP50, 1e-5);
    EXPECT_NEAR(figures.jitterP99, c.jitterP50, 1e-5);
  }
  // Too few onsets, or no period, give empty figures.
  EXPECT_EQ(MeasureTempo({1.0}, period).onsets, 0u);
  EXPECT_EQ(MeasureTempo({1.0, 2.0}, 0).onsets, 0u);
}

TEST(OnsetTimingTest, JitterPercentilesRankTheDistances) {
  // One onset in fifty is 10 ms late: the median stays at 0, the 99th percentile sees it.
  const double period = 0.1;
  std::vector<double> onsets;
  for (int k = 0; k < 200; ++k) onsets.push_back(k * period + (k % 50 == 7 ? 0.010 : 0.0));
  const TempoFigures figures = MeasureTempo(onsets, period);
  EXPECT_LT(figures.jitterP50, 0.0005);
  EXPECT_GT(figures.jitterP99, 0.009);
  EXPECT_NEAR(figures.jitterMax, 0.00975, 0.0002);
  EXPECT_EQ(Percentile({3, 1, 2, 5, 4}, 50), 3);
  EXPECT_EQ(Percentile({3, 1, 2, 5, 4}, 100), 5);
  EXPECT_EQ(Percentile({3, 1, 2, 5, 4}, 0), 1);
  EXPECT_EQ(Percentile({}, 50), 0);
}

TEST(OnsetTimingTest, ShareOnCommonPhaseShowsBlockQuantisation) {
  // Onsets that a mixer moved to the starts of 256-frame blocks (plus a fixed delay of 44
  // frames) share one phase of 256 frames, and spread over four phases of 1024.
  std::vector<double> quantised;
  std::vector<double> free;
  uint32_t state = 7;
  for (int k = 0; k < 400; ++k) {
    state = state * 1664525u + 1013904223u;
    const double ideal = 1.0 + k * (4.0 / 51.0) + (state >> 8) * 1e-9;
    const double block = std::ceil(ideal * kRate / 256.0) * 256.0 + 44.0;
    quantised.push_back(block / kRate);
    free.push_back(ideal);
  }
  EXPECT_DOUBLE_EQ(ShareOnCommonPhase(quantised, kRate, 256, 2), 1.0);
  EXPECT_NEAR(ShareOnCommonPhase(quantised, kRate, 1024, 2), 0.25, 0.1);
  EXPECT_LT(ShareOnCommonPhase(free, kRate, 256, 2), 0.2);
  EXPECT_EQ(ShareOnCommonPhase({}, kRate, 256, 2), 0.0);
}

}  // namespace

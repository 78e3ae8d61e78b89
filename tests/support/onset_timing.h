// Timing of notes in a capture: sample-exact onsets of notes that start out of silence, and the
// tempo and jitter of a train of such onsets against a regular grid.
//
// Typical use with a capture of a song whose notes each follow a short silence:
//
//   std::vector<double> onsets = FindOnsetsAfterSilence(MixToMono(*clip), clip->rate);
//   TempoFigures figures = MeasureTempo(onsets, 4.0 / 51.0);
//   // figures.tempoError, figures.jitterP50, figures.jitterP99 ...
#pragma once

#include <cstddef>
#include <vector>

// Settings of FindOnsetsAfterSilence.
struct SilenceOnsetOptions {
  double threshold = 0.01;     // a note has started at the first sample above this magnitude
  double quietLevel = 0.0005;  // ... after samples no louder than this
  double quietSeconds = 0.01;  // ... lasting at least this long
};

// Times in seconds of the first sample of every sound that follows at least quietSeconds of
// quiet. Exact to one sample for sounds that start with a step (a restarted waveform); the start
// of the clip counts as quiet only once quietSeconds of quiet samples have been seen.
std::vector<double> FindOnsetsAfterSilence(
    const std::vector<float>& mono, int rate,
    const SilenceOnsetOptions& options = SilenceOnsetOptions());

// How a train of onsets keeps to a regular grid of the nominal period.
struct TempoFigures {
  size_t onsets = 0;             // onsets used, one per grid slot
  size_t gridSlots = 0;          // grid slots from the first to the last onset
  size_t doubled = 0;            // further onsets in a slot that already had one (not used)
  double fittedPeriod = 0;       // seconds between slots by a least-squares line through the onsets
  double tempoError = 0;         // fittedPeriod / nominal period - 1 (positive: the song drags)
  double jitterP50 = 0;          // median distance of an onset from the fitted line, seconds
  double jitterP99 = 0;          // 99th percentile of that distance, seconds
  double jitterMax = 0;          // largest distance, seconds
  std::vector<long long> slots;  // the grid slot of each used onset, counted from the first
  std::vector<double> residuals;  // each used onset minus the fitted line, seconds

  size_t Missing() const { return gridSlots - onsets; }
};

// Fits the onsets to a grid: each onset is given a slot by its distance from the previous onset
// in nominal periods (so a slow drift of the tempo cannot move an onset into the wrong slot), a
// least-squares line through (slot, time) gives the actual period, the slots are assigned again
// from that line, and the distances from the refitted line are the jitter. Empty figures for
// fewer than two onsets or a period that is not positive.
TempoFigures MeasureTempo(const std::vector<double>& onsets, double nominalPeriod);

// The share of onsets whose position in samples, taken modulo `period` samples, lies within
// `tolerance` samples of the most common such position: close to 1 when something quantises
// the onsets to blocks of `period` samples, about (2 × tolerance + 1) / period when nothing does.
double ShareOnCommonPhase(const std::vector<double>& onsets, int rate, int period, int tolerance);

// The p-th percentile (0 to 100) of the values, by the nearest rank; 0 for no values.
double Percentile(std::vector<double> values, double p);

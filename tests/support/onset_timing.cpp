#include "tests/support/onset_timing.h"

#include <algorithm>
#include <cmath>

namespace {

struct Line {
  double intercept = 0;
  double slope = 0;
};

// Least-squares line time = intercept + slope × slot.
Line Fit(const std::vector<long long>& slots, const std::vector<double>& times) {
  const double n = static_cast<double>(slots.size());
  double meanSlot = 0, meanTime = 0;
  for (size_t i = 0; i < slots.size(); ++i) {
    meanSlot += static_cast<double>(slots[i]);
    meanTime += times[i];
  }
  meanSlot /= n;
  meanTime /= n;
  double covariance = 0, variance = 0;
  for (size_t i = 0; i < slots.size(); ++i) {
    const double ds = static_cast<double>(slots[i]) - meanSlot;
    covariance += ds * (times[i] - meanTime);
    variance += ds * ds;
  }
  Line line;
  line.slope = variance > 0 ? covariance / variance : 0;
  line.intercept = meanTime - line.slope * meanSlot;
  return line;
}

}  // namespace

std::vector<double> FindOnsetsAfterSilence(const std::vector<float>& mono, int rate,
                                           const SilenceOnsetOptions& options) {
  std::vector<double> onsets;
  if (rate <= 0) return onsets;
  const size_t quietNeeded = static_cast<size_t>(std::ceil(options.quietSeconds * rate));
  // A sound must pass the threshold within this time of leaving the quiet to count as a note.
  const size_t riseSamples = static_cast<size_t>(std::ceil(0.002 * rate));
  size_t quietRun = 0;
  for (size_t i = 0; i < mono.size(); ++i) {
    if (std::fabs(mono[i]) <= options.quietLevel) {
      ++quietRun;
      continue;
    }
    if (quietRun >= quietNeeded) {
      const size_t end = std::min(mono.size(), i + riseSamples);
      for (size_t j = i; j < end; ++j) {
        if (std::fabs(mono[j]) > options.threshold) {
          onsets.push_back(static_cast<double>(i) / rate);
          break;
        }
      }
    }
    quietRun = 0;
  }
  return onsets;
}

TempoFigures MeasureTempo(const std::vector<double>& onsets, double nominalPeriod) {
  TempoFigures figures;
  if (onsets.size() < 2 || !(nominalPeriod > 0)) return figures;

  // First pass: slots from the spacing of neighbours.
  std::vector<long long> slots;
  std::vector<double> times;
  slots.push_back(0);
  times.push_back(onsets[0]);
  for (size_t i = 1; i < onsets.size(); ++i) {
    const long long step = std::llround((onsets[i] - times.back()) / nominalPeriod);
    if (step <= 0) continue;
    slots.push_back(slots.back() + step);
    times.push_back(onsets[i]);
  }
  if (slots.size() < 2) return figures;
  Line line = Fit(slots, times);

  // Second pass: slots from the fitted line; one onset per slot.
  slots.clear();
  times.clear();
  for (double t : onsets) {
    const long long slot = std::llround((t - line.intercept) / line.slope);
    if (!slots.empty() && slot <= slots.back()) {
      ++figures.doubled;
      continue;
    }
    slots.push_back(slot);
    times.push_back(t);
  }
  if (slots.size() < 2) return figures;
  line = Fit(slots, times);

  figures.onsets = slots.size();
  figures.gridSlots = static_cast<size_t>(slots.back() - slots.front() + 1);
  figures.fittedPeriod = line.slope;
  figures.tempoError = line.slope / nominalPeriod - 1.0;
  std::vector<double> distances;
  for (size_t i = 0; i < slots.size(); ++i) {
    const double residual =
        times[i] - (line.intercept + line.slope * static_cast<double>(slots[i]));
    figures.slots.push_back(slots[i] - slots.front());
    figures.residuals.push_back(residual);
    distances.push_back(std::fabs(residual));
  }
  figures.jitterP50 = Percentile(distances, 50);
  figures.jitterP99 = Percentile(distances, 99);
  figures.jitterMax = Percentile(distances, 100);
  return figures;
}

double ShareOnCommonPhase(const std::vector<double>& onsets, int rate, int period, int tolerance) {
  if (onsets.empty() || period <= 0) return 0;
  std::vector<int> counts(static_cast<size_t>(period), 0);
  for (double t : onsets) {
    const long long position = std::llround(t * rate);
    ++counts[static_cast<size_t>(((position % period) + period) % period)];
  }
  int best = 0;
  for (int centre = 0; centre < period; ++centre) {
    int sum = 0;
    for (int d = -tolerance; d <= tolerance; ++d) {
      sum += counts[static_cast<size_t>(((centre + d) % period + period) % period)];
    }
    best = std::max(best, sum);
  }
  return static_cast<double>(best) / static_cast<double>(onsets.size());
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const double rank = std::ceil(p / 100.0 * static_cast<double>(values.size()));
  const size_t index =
      static_cast<size_t>(std::clamp(rank, 1.0, static_cast<double>(values.size()))) - 1;
  return values[index];
}

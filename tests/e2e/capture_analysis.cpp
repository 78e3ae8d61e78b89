#include "tests/e2e/capture_analysis.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace vexa_test {

namespace {

constexpr double STEP_SECONDS = 0.005;

}  // namespace

size_t Capture::Frame(double seconds) const {
  if (seconds <= 0) return 0;
  return std::min(mono.size(), static_cast<size_t>(seconds * rate));
}

bool LoadCapture(const std::string& path, Capture* capture) {
  const std::optional<AudioClip> clip = ReadWavClip(path);
  if (!clip || clip->rate <= 0) return false;
  capture->rate = clip->rate;
  capture->mono = MixToMono(*clip);
  return true;
}

std::vector<Stretch> SoundStretches(const Capture& capture, double minGapSeconds,
                                    double silenceLevel) {
  std::vector<Stretch> stretches;
  const size_t step = static_cast<size_t>(STEP_SECONDS * capture.rate);
  if (step == 0) return stretches;
  bool inSound = false;
  double lastSound = 0;
  for (size_t begin = 0; begin + step <= capture.mono.size(); begin += step) {
    const double t = static_cast<double>(begin) / capture.rate;
    if (Rms(capture.mono, begin, begin + step) < silenceLevel) continue;
    if (inSound && t - lastSound >= minGapSeconds) {
      stretches.back().end = lastSound + STEP_SECONDS;
      inSound = false;
    }
    if (!inSound) {
      stretches.push_back({t, t});
      inSound = true;
    }
    lastSound = t;
  }
  if (inSound) stretches.back().end = lastSound + STEP_SECONDS;
  return stretches;
}

double LevelBetween(const Capture& capture, double from, double to) {
  return Rms(capture.mono, capture.Frame(from), capture.Frame(to));
}

double PitchBetween(const Capture& capture, double from, double to, double minHz, double maxHz) {
  const size_t begin = capture.Frame(from);
  const size_t end = capture.Frame(to);
  if (end <= begin) return 0;
  return EstimateFrequency(capture.mono.data() + begin, end - begin, capture.rate, minHz, maxHz);
}

std::vector<double> OnsetsBetween(const Capture& capture, double from, double to) {
  const size_t begin = capture.Frame(from);
  const size_t end = capture.Frame(to);
  const std::vector<float> part(capture.mono.begin() + static_cast<long>(begin),
                                capture.mono.begin() + static_cast<long>(end));
  OnsetOptions options;
  options.riseRatio = 1.6;
  options.lookbackSeconds = 0.03;
  options.minGapSeconds = 0.06;
  std::vector<double> onsets = FindOnsets(part, capture.rate, options);
  for (double& t : onsets) t += static_cast<double>(begin) / capture.rate;
  return onsets;
}

LevelLine FitLevel(const Capture& capture, double from, double to) {
  std::vector<double> times, levels;
  const size_t step = static_cast<size_t>(STEP_SECONDS * capture.rate);
  for (size_t begin = capture.Frame(from); step > 0 && begin + step <= capture.Frame(to);
       begin += step) {
    times.push_back(static_cast<double>(begin) / capture.rate + STEP_SECONDS / 2 - from);
    levels.push_back(Rms(capture.mono, begin, begin + step));
  }
  LevelLine line;
  const double n = static_cast<double>(times.size());
  if (n < 2) return line;
  double st = 0, sl = 0, stt = 0, stl = 0;
  for (size_t i = 0; i < times.size(); ++i) {
    st += times[i];
    sl += levels[i];
    stt += times[i] * times[i];
    stl += times[i] * levels[i];
  }
  const double denominator = n * stt - st * st;
  if (denominator == 0) return line;
  line.slope = (n * stl - st * sl) / denominator;
  line.intercept = (sl - line.slope * st) / n;
  return line;
}

std::string Join(const std::vector<double>& values) {
  std::ostringstream out;
  for (double v : values) out << v << " ";
  return out.str();
}

}  // namespace vexa_test

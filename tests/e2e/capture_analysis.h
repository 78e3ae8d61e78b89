// Looking at a live sound capture of the running program: the stretches of sound between
// silences, levels and pitches at given times, and the straight line a decaying level follows.
// Times are seconds from the start of the capture.
#pragma once

#include <string>
#include <vector>

#include "tests/support/audio_analysis.h"

namespace vexa_test {

// A capture as one channel.
struct Capture {
  int rate = 0;
  std::vector<float> mono;

  double Seconds() const { return rate > 0 ? static_cast<double>(mono.size()) / rate : 0; }
  size_t Frame(double seconds) const;  // clamped to the capture
};

// Reads a WAV capture and mixes it to one channel; false when the file is no WAV file.
bool LoadCapture(const std::string& path, Capture* capture);

struct Stretch {
  double start = 0;
  double end = 0;
};

// The stretches of sound, separated by silences of at least minGapSeconds (steps of 5 ms whose
// RMS level stays below silenceLevel).
std::vector<Stretch> SoundStretches(const Capture& capture, double minGapSeconds,
                                    double silenceLevel = 0.002);

// RMS level between two times.
double LevelBetween(const Capture& capture, double from, double to);
// Pitch of the tone between two times (EstimateFrequency); 0 when there is no clear tone.
double PitchBetween(const Capture& capture, double from, double to, double minHz = 100,
                    double maxHz = 2500);

// The onsets (FindOnsets) between two times, for notes that start out of silence or out of a
// level well below their own.
std::vector<double> OnsetsBetween(const Capture& capture, double from, double to);

// A straight line through the RMS levels of 5 ms steps between two times:
// level(t) = intercept + slope * (t - from).
struct LevelLine {
  double intercept = 0;
  double slope = 0;
  // Where the line reaches zero, in seconds after `from`.
  double ZeroAfter() const { return slope < 0 ? -intercept / slope : 1e9; }
};
LevelLine FitLevel(const Capture& capture, double from, double to);

// "0.123 0.456 ..." for messages.
std::string Join(const std::vector<double>& values);

}  // namespace vexa_test

// Analysis of rendered or captured sound for tests: reading WAV captures, levels, the pitch of a
// steady tone and the onsets of notes.
//
// Typical use with a capture that OpenAL Soft's wave writer made while the program played:
//
//   std::optional<AudioClip> clip = ReadWavClip(path);
//   std::vector<float> mono = MixToMono(*clip);
//   for (double t : FindOnsets(mono, clip->rate)) {
//     size_t from = static_cast<size_t>((t + 0.02) * clip->rate);  // skip the attack
//     double hz = EstimateFrequency(mono.data() + from, clip->rate / 4, clip->rate);
//   }
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Sound as float samples in -1..1 (full scale of the file's integer format).
struct AudioClip {
  int rate = 0;                // frames per second
  int channels = 0;            // samples per frame
  std::vector<float> samples;  // interleaved, channel 0 first in every frame

  size_t Frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// Reads a WAV file: integer PCM of 8 (unsigned), 16, 24 or 32 bits or 32-bit float, any channel
// count, plain or extensible format chunk. A capture whose writer was stopped before it could
// fill in the sizes (size fields 0 or larger than the file) is read up to the end of the file.
// None when the file is missing or not such a WAV file.
std::optional<AudioClip> ReadWavClip(const std::string& path);

// One channel of a clip, or the average of all its channels.
std::vector<float> ChannelOf(const AudioClip& clip, int channel);
std::vector<float> MixToMono(const AudioClip& clip);

// Root mean square and largest magnitude of samples[begin, end) (clamped to the vector).
double Rms(const std::vector<float>& samples, size_t begin, size_t end);
double Peak(const std::vector<float>& samples, size_t begin, size_t end);

// Fundamental frequency in Hz of a steady tone in samples[0, count), sampled at rate, searched
// between minHz and maxHz; 0 when the window holds no clear periodic sound (silence, noise).
// The period is found with a normalised difference function (the first dip below a threshold,
// so a strong harmonic is not taken for the fundamental) and then measured again over as many
// whole periods as fit into half the window, which makes the result accurate to a few
// thousandths of a hertz for a clean tone of a quarter second. The window must hold at least
// two periods of minHz (shorter windows give 0); a quarter second or more gives the accuracy.
double EstimateFrequency(const float* samples, size_t count, double rate, double minHz = 40.0,
                         double maxHz = 4000.0);

// Settings of FindOnsets.
struct OnsetOptions {
  double hopSeconds = 0.005;      // length of one step of the level envelope
  double minLevel = 0.01;         // an onset's envelope reaches at least this RMS level
  double riseRatio = 2.0;         // ... and this many times the lowest level shortly before it
  double lookbackSeconds = 0.05;  // how far back "shortly before" reaches
  double minGapSeconds = 0.05;    // later rises closer than this to an onset are the same onset
};

// Times in seconds at which notes start: points where the RMS level over steps of hopSeconds
// rises above minLevel to riseRatio times the lowest level of the preceding lookbackSeconds.
// A note restarted at the same level without a dip before it is not an onset. The times are
// the start of the step in which the level rose, so they are early by at most one step.
std::vector<double> FindOnsets(const std::vector<float>& mono, int rate,
                               const OnsetOptions& options = OnsetOptions());

// A 16-bit stereo WAV file that appears whole or not at all: the samples go to a hidden
// temporary file in the target's folder, which replaces the target by a rename only once it is
// complete. Nothing is left behind when anything fails or the file is discarded.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "render/pcm16.h"

class WavOutput {
 public:
  WavOutput() = default;
  // Discards the temporary file unless it was published.
  ~WavOutput();
  WavOutput(const WavOutput&) = delete;
  WavOutput& operator=(const WavOutput&) = delete;

  // Creates the temporary file for target and writes a provisional header; false with the
  // reason in error when the folder cannot take the file.
  bool Open(const std::string& target, int rate, std::string* error);
  // Appends frames of interleaved stereo float samples, converted to 16 bits; false once a
  // write has failed.
  bool Write(const float* samples, int frames);
  // Completes the header and puts the data on the storage device; false with the reason in
  // error (the temporary file is then removed).
  bool Finish(std::string* error);
  // Renames the finished file over the target; false with the reason in error.
  bool Publish(std::string* error);
  // Removes the temporary file (nothing after Publish).
  void Discard();

  const std::string& Target() const { return target; }
  // Why the last Write failed.
  std::string WriteFailure() const;
  const LevelMeter& Meter() const { return meter; }
  long long Frames() const { return frames; }

 private:
  std::string target;
  std::string temporary;
  std::FILE* file = nullptr;
  int rate = 0;
  long long frames = 0;
  bool failed = false;
  int writeError = 0;  // errno of the failed write
  bool finished = false;
  LevelMeter meter;
  std::vector<int16_t> buffer;
};

// The file of one channel's stem: "-N" inserted before the target's extension
// ("song.wav" gives "song-2.wav"; a name without extension gets "-2" appended).
std::string StemPath(const std::string& target, int channel);

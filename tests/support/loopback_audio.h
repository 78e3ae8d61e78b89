// A sound device on an OpenAL Soft loopback device: tests render exact numbers of frames of the
// mix instead of waiting for a sound card.
#pragma once

#include <memory>
#include <vector>

#include "audio/sound_device.h"

class LoopbackAudio {
 public:
  // Opens the loopback device with float output at the given rate and channel count (1 or 2)
  // and builds a gxtkAudio on it (which becomes the process-wide audio device). A monoSources
  // above 0 is passed as ALC_MONO_SOURCES; OpenAL Soft 1.19 raises any value below 256 to 256
  // unless its configuration says otherwise, so tests that need the sources to run out use up
  // the rest with ExhaustSources.
  explicit LoopbackAudio(int rate, int outputChannels = 1, int monoSources = 0);
  ~LoopbackAudio();

  LoopbackAudio(const LoopbackAudio&) = delete;
  LoopbackAudio& operator=(const LoopbackAudio&) = delete;

  // False when the device or the output format is not available.
  bool Ready() const { return audio != nullptr; }
  gxtkAudio& Audio() { return *audio; }
  ALCdevice* Device() const { return device; }
  int Rate() const { return rate; }

  // Mixes the next frames: interleaved float samples, frames × output channels of them.
  std::vector<float> Render(int frames);
  // Mixes and drops the next frames.
  void Skip(int frames) { Render(frames); }

  // Creates sources outside the sound device until OpenAL refuses, so the device's next
  // AcquireSource has to borrow; returns how many were made. They are deleted with the device.
  int ExhaustSources();

 private:
  ALCdevice* device = nullptr;
  std::unique_ptr<gxtkAudio> audio;
  int rate = 0;
  int outputChannels = 1;
  std::vector<unsigned int> extraSources;
};

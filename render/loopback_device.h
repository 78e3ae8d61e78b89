// The OpenAL Soft loopback device the songs are rendered on: stereo float output at a chosen
// rate, mixed only when asked for a number of frames, so time is exact and runs repeat.
#pragma once

#include <memory>
#include <string>

#include "audio/sound_device.h"

class LoopbackDevice {
 public:
  // Opens the device for stereo float output at rate Hz with HRTF and the output limiter off
  // (the limiter would squeeze loud passages, so channels rendered on their own would no longer
  // add up to the mix). Check Ready(); Error() says what failed.
  explicit LoopbackDevice(int rate);
  ~LoopbackDevice();
  LoopbackDevice(const LoopbackDevice&) = delete;
  LoopbackDevice& operator=(const LoopbackDevice&) = delete;

  bool Ready() const { return device != nullptr && error.empty(); }
  const std::string& Error() const { return error; }
  ALCdevice* Device() const { return device; }
  int Rate() const { return rate; }

  // The zero-terminated context attributes that select the output format; for the sound device
  // that makes its context on this device.
  const int* ContextAttributes() const { return attributes; }

  // Checks, once a context exists, that the device mixes in the requested format without the
  // limiter; sets Error() and returns false otherwise.
  bool CheckContext();

  // Mixes the next frames into out (2 float samples per frame).
  void Render(float* out, int frames);

 private:
  ALCdevice* device = nullptr;
  int rate = 0;
  int attributes[13] = {};
  std::string error;
};

// Whether a loopback device can mix stereo float output at this rate.
bool LoopbackRateSupported(int rate);

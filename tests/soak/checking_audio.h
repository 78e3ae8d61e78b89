// A sound device for soak tests that checks every value the tracker hands it and keeps no
// record of the calls (so it can run for millions of ticks in constant memory). With an inner
// device (for instance one on an OpenAL Soft loopback device) every call is passed on to it.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "audio/sound_device.h"

class CheckingAudio : public gxtkAudio {
 public:
  // Becomes the process-wide sound device; the inner device, when given, must outlive it.
  explicit CheckingAudio(gxtkAudio* inner = nullptr);
  ~CheckingAudio() override;

  // Calls made, and calls that were wrong: a gain or rate that is not a finite number, or a
  // channel outside the tracker's audio channels 1 to 8.
  long long gainCalls = 0;
  long long pitchCalls = 0;
  long long playCalls = 0;
  long long stopCalls = 0;
  long long badCalls = 0;
  std::string firstBadCall;  // what the first wrong call was

  std::array<float, CHANNEL_COUNT> lastGain{};
  std::array<float, CHANNEL_COUNT> lastPitch{};

  std::shared_ptr<gxtkSample> LoadSampleFile(const String& path) override;
  bool FillSampleFromFile(gxtkSample* sample, const String& path) override;
  int PlayOnChannel(const std::shared_ptr<gxtkSample>& sample, int channel, int flags) override;
  int StopChannel(int channel) override;
  int PauseChannel(int channel) override;
  int ResumeChannel(int channel) override;
  int GetChannelState(int channel) override;
  int SetChannelGain(int channel, float volume) override;
  int SetChannelPan(int channel, float pan) override;
  int SetChannelPitch(int channel, float rate) override;
  int SuspendChannels() override;
  int ResumeChannels() override;

 private:
  bool Check(const char* what, int channel, float value, bool hasValue);

  gxtkAudio* inner;
  std::array<int, CHANNEL_COUNT> states{};
};

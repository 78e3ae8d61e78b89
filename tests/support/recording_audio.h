// A sound device for tests: makes no OpenAL calls and records every operation the program asks
// of it, in order. Loading a sample never touches a file: each distinct path gives its own
// sample (the same path the same one), unless the path is marked as failing.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "audio/sound_device.h"

enum class AudioOp { Load, Play, Stop, Pause, Resume, State, Gain, Pan, Pitch };

struct AudioCall {
  explicit AudioCall(AudioOp op, int channel = -1, float value = 0)
      : op(op), channel(channel), value(value) {}

  AudioOp op;
  int channel = -1;
  float value = 0;                     // gain, pitch or pan
  int flags = 0;                       // flags of a start
  const gxtkSample* sample = nullptr;  // sample of a start or a load
  std::string name;                    // file name (after the last '/') of that sample

  bool operator==(const AudioCall& other) const;
};
std::ostream& operator<<(std::ostream& out, const AudioCall& call);

class RecordingAudio : public gxtkAudio {
 public:
  RecordingAudio();  // becomes the process-wide sound device
  ~RecordingAudio() override;

  std::vector<AudioCall> calls;
  // File names (after the last '/') whose loading fails.
  std::set<std::string> failingNames;

  void Clear() { calls.clear(); }
  // The file name a sample was loaded from, empty for an unknown sample.
  std::string NameOf(const gxtkSample* sample) const;
  // The recorded calls of one kind, in order.
  std::vector<AudioCall> Only(AudioOp op) const;
  // The last value set on a channel by Gain or Pitch calls; fallback when there was none.
  float LastValue(AudioOp op, int channel, float fallback = -1) const;

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
  int SuspendChannels() override { return 0; }
  int ResumeChannels() override { return 0; }

 private:
  std::map<std::string, std::shared_ptr<gxtkSample>> samplesByName;
  int states[CHANNEL_COUNT] = {};
};

// Shorthands for expected calls.
AudioCall PlayCall(int channel, const std::string& name, int flags = 1);
AudioCall StopCall(int channel);
AudioCall GainCall(int channel, float value);
AudioCall PitchCall(int channel, float value);

// The framework's sound handle and the functions the application plays sounds with.
#pragma once

#include <memory>

#include "audio/sound_device.h"
#include "runtime/text.h"

class c_Sound {
 public:
  std::shared_ptr<gxtkSample> sample;
};

// Loads a sample from the data folder (bare names resolve to "taliscor://data/"); none on failure.
std::shared_ptr<c_Sound> LoadSoundResource(const String& path);
// Nothing when sound is none or has no sample.
void PlaySoundOnChannel(const c_Sound* sound, int channel, int flags);
void StopSoundChannel(int channel);
void SetSoundChannelRate(int channel, float rate);
void SetSoundChannelVolume(int channel, float volume);

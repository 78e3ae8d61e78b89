#include "audio/sound.h"

#include "host/files/data_path.h"

std::shared_ptr<c_Sound> LoadSoundResource(const String& path) {
  gxtkAudio* device = AudioDevice();
  if (!device) return nullptr;
  std::shared_ptr<gxtkSample> sample = device->LoadSampleFile(ResolveDataPath(path));
  if (!sample) return nullptr;
  auto sound = std::make_shared<c_Sound>();
  sound->sample = sample;
  return sound;
}

void PlaySoundOnChannel(const c_Sound* sound, int channel, int flags) {
  if (!sound || !sound->sample) return;
  AudioDevice()->PlayOnChannel(sound->sample, channel, flags);
}

void StopSoundChannel(int channel) { AudioDevice()->StopChannel(channel); }

void SetSoundChannelRate(int channel, float rate) { AudioDevice()->SetChannelPitch(channel, rate); }

void SetSoundChannelVolume(int channel, float volume) {
  AudioDevice()->SetChannelGain(channel, volume);
}

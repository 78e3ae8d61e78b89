#include "render/channel_solo_audio.h"

ChannelSoloAudio::ChannelSoloAudio(ALCdevice* device, const int* contextAttributes, int soloChannel)
    : gxtkAudio(device, contextAttributes), soloChannel(soloChannel) {}

bool ChannelSoloAudio::Silenced(int channel) const {
  // Audio channels 1-4 are voice A and 5-8 voice B of tracker channels 1-4.
  if (channel < 1 || channel > 8) return false;
  return (channel - 1) % 4 + 1 != soloChannel;
}

int ChannelSoloAudio::SetChannelGain(int channel, float volume) {
  return gxtkAudio::SetChannelGain(channel, Silenced(channel) ? 0.0f : volume);
}

int ChannelSoloAudio::PlayOnChannel(const std::shared_ptr<gxtkSample>& sample, int channel,
                                    int flags) {
  // A source starts at OpenAL's default gain of 1 until the player first sets one.
  if (Silenced(channel)) gxtkAudio::SetChannelGain(channel, 0.0f);
  return gxtkAudio::PlayOnChannel(sample, channel, flags);
}

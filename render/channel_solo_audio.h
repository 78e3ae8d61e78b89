// A sound device that lets one tracker channel sound and silences the others: every gain the
// player sets on another channel's two voices reaches OpenAL as 0. The player itself runs
// unchanged, so a channel rendered this way is exactly its share of the full mix.
#pragma once

#include "audio/sound_device.h"

class ChannelSoloAudio : public gxtkAudio {
 public:
  // soloChannel is the tracker channel (1 to 4) that keeps its gains; its voices are audio
  // channels soloChannel and soloChannel + 4.
  ChannelSoloAudio(ALCdevice* device, const int* contextAttributes, int soloChannel);

  int SetChannelGain(int channel, float volume) override;
  int PlayOnChannel(const std::shared_ptr<gxtkSample>& sample, int channel, int flags) override;

  // Whether the audio channel is a voice of a silenced tracker channel.
  bool Silenced(int channel) const;

 private:
  int soloChannel;
};

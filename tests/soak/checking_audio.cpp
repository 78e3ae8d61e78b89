#include "tests/soak/checking_audio.h"

#include <cmath>

CheckingAudio::CheckingAudio(gxtkAudio* inner) : gxtkAudio(NoDevice{}), inner(inner) {
  SetAudioDevice(this);
}

CheckingAudio::~CheckingAudio() {
  if (AudioDevice() == this) SetAudioDevice(inner);
}

bool CheckingAudio::Check(const char* what, int channel, float value, bool hasValue) {
  const bool channelOk = channel >= 1 && channel <= 8;
  const bool valueOk = !hasValue || std::isfinite(value);
  if (channelOk && valueOk) return true;
  if (badCalls++ == 0) {
    firstBadCall = std::string(what) + " on channel " + std::to_string(channel) +
                   (hasValue ? " with " + std::to_string(value) : std::string());
  }
  // Never pass a call on that could touch a channel the device does not have.
  return channel >= 0 && channel < CHANNEL_COUNT;
}

std::shared_ptr<gxtkSample> CheckingAudio::LoadSampleFile(const String& path) {
  if (inner) return inner->LoadSampleFile(path);
  return std::make_shared<gxtkSample>();
}

bool CheckingAudio::FillSampleFromFile(gxtkSample* sample, const String& path) {
  return inner ? inner->FillSampleFromFile(sample, path) : true;
}

int CheckingAudio::PlayOnChannel(const std::shared_ptr<gxtkSample>& sample, int channel,
                                 int flags) {
  ++playCalls;
  if (!Check("play", channel, 0, false)) return -1;
  states[static_cast<size_t>(channel)] = CHANNEL_PLAYING;
  return inner ? inner->PlayOnChannel(sample, channel, flags) : 0;
}

int CheckingAudio::StopChannel(int channel) {
  ++stopCalls;
  if (!Check("stop", channel, 0, false)) return -1;
  states[static_cast<size_t>(channel)] = CHANNEL_STOPPED;
  return inner ? inner->StopChannel(channel) : 0;
}

int CheckingAudio::PauseChannel(int channel) {
  if (!Check("pause", channel, 0, false)) return -1;
  return inner ? inner->PauseChannel(channel) : 0;
}

int CheckingAudio::ResumeChannel(int channel) {
  if (!Check("resume", channel, 0, false)) return -1;
  return inner ? inner->ResumeChannel(channel) : 0;
}

int CheckingAudio::GetChannelState(int channel) {
  if (!Check("state", channel, 0, false)) return -1;
  return inner ? inner->GetChannelState(channel) : states[static_cast<size_t>(channel)];
}

int CheckingAudio::SetChannelGain(int channel, float volume) {
  ++gainCalls;
  if (!Check("gain", channel, volume, true)) return -1;
  lastGain[static_cast<size_t>(channel)] = volume;
  return inner ? inner->SetChannelGain(channel, volume) : 0;
}

int CheckingAudio::SetChannelPan(int channel, float pan) {
  if (!Check("pan", channel, pan, true)) return -1;
  return inner ? inner->SetChannelPan(channel, pan) : 0;
}

int CheckingAudio::SetChannelPitch(int channel, float rate) {
  ++pitchCalls;
  if (!Check("rate", channel, rate, true)) return -1;
  lastPitch[static_cast<size_t>(channel)] = rate;
  return inner ? inner->SetChannelPitch(channel, rate) : 0;
}

int CheckingAudio::SuspendChannels() {
  return inner ? inner->SuspendChannels() : 0;
}

int CheckingAudio::ResumeChannels() {
  return inner ? inner->ResumeChannels() : 0;
}

#include "tests/support/loopback_audio.h"

#include <AL/al.h>
#include <AL/alc.h>
#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>

LoopbackAudio::LoopbackAudio(int rate, int outputChannels, int monoSources)
    : rate(rate), outputChannels(outputChannels) {
  device = alcLoopbackOpenDeviceSOFT(nullptr);
  if (!device) return;
  const ALCenum layout = outputChannels == 2 ? ALC_STEREO_SOFT : ALC_MONO_SOFT;
  if (!alcIsRenderFormatSupportedSOFT(device, rate, layout, ALC_FLOAT_SOFT)) return;
  std::vector<ALCint> attributes = {
      ALC_FREQUENCY,        rate,          ALC_FORMAT_CHANNELS_SOFT, static_cast<ALCint>(layout),
      ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT};
  if (monoSources > 0) {
    attributes.insert(attributes.end(), {ALC_MONO_SOURCES, monoSources, ALC_STEREO_SOURCES, 0});
  }
  attributes.push_back(0);
  audio = gxtkAudio::OnDevice(device, attributes.data());
  if (!audio->Context()) audio.reset();
}

LoopbackAudio::~LoopbackAudio() {
  if (audio && !extraSources.empty()) {
    alcMakeContextCurrent(audio->Context());
    alDeleteSources(static_cast<ALsizei>(extraSources.size()), extraSources.data());
  }
  audio.reset();
  if (device) alcCloseDevice(device);
}

std::vector<float> LoopbackAudio::Render(int frames) {
  std::vector<float> out(static_cast<size_t>(frames) * outputChannels);
  if (device && frames > 0) alcRenderSamplesSOFT(device, out.data(), frames);
  return out;
}

int LoopbackAudio::ExhaustSources() {
  int made = 0;
  for (;;) {
    alGetError();
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR) return made;
    extraSources.push_back(source);
    ++made;
  }
}

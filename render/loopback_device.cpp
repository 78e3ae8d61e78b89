#include "render/loopback_device.h"

#include <AL/al.h>
#include <AL/alc.h>
#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>

LoopbackDevice::LoopbackDevice(int rate) : rate(rate) {
  if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) {
    error = "OpenAL has no loopback devices (ALC_SOFT_loopback)";
    return;
  }
  device = alcLoopbackOpenDeviceSOFT(nullptr);
  if (!device) {
    error = "cannot open an OpenAL loopback device";
    return;
  }
  if (!alcIsRenderFormatSupportedSOFT(device, rate, ALC_STEREO_SOFT, ALC_FLOAT_SOFT)) {
    error = "OpenAL cannot mix stereo float output at " + std::to_string(rate) + " Hz";
    return;
  }
  const int list[] = {ALC_FREQUENCY,
                      rate,
                      ALC_FORMAT_CHANNELS_SOFT,
                      ALC_STEREO_SOFT,
                      ALC_FORMAT_TYPE_SOFT,
                      ALC_FLOAT_SOFT,
                      ALC_HRTF_SOFT,
                      ALC_FALSE,
                      ALC_OUTPUT_LIMITER_SOFT,
                      ALC_FALSE,
                      0};
  static_assert(sizeof list <= sizeof attributes, "attribute list");
  for (size_t i = 0; i < sizeof list / sizeof list[0]; ++i) attributes[i] = list[i];
}

LoopbackDevice::~LoopbackDevice() {
  if (device) alcCloseDevice(device);
}

bool LoopbackDevice::CheckContext() {
  if (!error.empty()) return false;
  ALCint limiter = ALC_TRUE;
  ALCint frequency = 0;
  alcGetIntegerv(device, ALC_OUTPUT_LIMITER_SOFT, 1, &limiter);
  alcGetIntegerv(device, ALC_FREQUENCY, 1, &frequency);
  if (limiter != ALC_FALSE) {
    error = "OpenAL's output limiter cannot be switched off";
  } else if (frequency != rate) {
    error = "OpenAL mixes at " + std::to_string(frequency) + " Hz instead of " +
            std::to_string(rate) + " Hz";
  }
  return error.empty();
}

void LoopbackDevice::Render(float* out, int frames) {
  if (frames > 0) alcRenderSamplesSOFT(device, out, frames);
}

bool LoopbackRateSupported(int rate) {
  LoopbackDevice probe(rate);
  return probe.Ready();
}

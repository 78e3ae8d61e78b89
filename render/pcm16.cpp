#include "render/pcm16.h"

#include <cmath>
#include <limits>

namespace {

constexpr float kScale = 32768.0f;
// Below half a step a sample rounds to 0.
constexpr float kHalfStep = 0.5f / kScale;

}  // namespace

int16_t ToPcm16(float sample, LevelMeter& meter) {
  meter.samples += 1;
  // NaN (never expected from the mixer) counts as silence rather than as a full-scale click.
  if (std::isnan(sample)) return 0;
  const float magnitude = std::fabs(sample);
  if (magnitude > meter.peak) meter.peak = magnitude;
  const double scaled = std::round(static_cast<double>(sample) * kScale);
  if (scaled > 32767.0) {
    meter.clipped += 1;
    return 32767;
  }
  if (scaled < -32768.0) {
    meter.clipped += 1;
    return -32768;
  }
  return static_cast<int16_t>(scaled);
}

void ToPcm16(const float* in, int16_t* out, size_t count, LevelMeter& meter) {
  for (size_t i = 0; i < count; ++i) out[i] = ToPcm16(in[i], meter);
}

bool SilentIn16Bits(const float* samples, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    // NaN compares false and so counts as silent, as ToPcm16 writes it.
    if (std::fabs(samples[i]) >= kHalfStep) return false;
  }
  return true;
}

double LevelDbfs(float level) {
  if (level <= 0) return -std::numeric_limits<double>::infinity();
  return 20.0 * std::log10(static_cast<double>(level));
}

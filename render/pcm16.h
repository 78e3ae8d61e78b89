// Turning the mixer's float samples into 16-bit PCM: scaled by 32768, rounded to the nearest
// step (halves away from zero) and clipped to -32768 … 32767, with the levels counted on the way.
#pragma once

#include <cstddef>
#include <cstdint>

struct LevelMeter {
  float peak = 0;         // largest magnitude seen, before clipping (1.0 = full scale)
  long long clipped = 0;  // samples that did not fit into 16 bits
  long long samples = 0;  // samples converted
};

int16_t ToPcm16(float sample, LevelMeter& meter);

// Converts count samples.
void ToPcm16(const float* in, int16_t* out, size_t count, LevelMeter& meter);

// Whether every sample becomes 0 in 16 bits.
bool SilentIn16Bits(const float* samples, size_t count);

// A level as decibels relative to full scale; -infinity for 0.
double LevelDbfs(float level);

#include "tests/support/audio_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

uint32_t Le(const unsigned char* p, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

std::vector<unsigned char> ReadAll(const std::string& path) {
  std::vector<unsigned char> bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  unsigned char block[65536];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, file)) > 0)
    bytes.insert(bytes.end(), block, block + n);
  std::fclose(file);
  return bytes;
}

// Sum of squared differences between samples[i] and samples[i + lag] for i in [0, width).
double Difference(const float* samples, size_t width, size_t lag) {
  double sum = 0.0;
  for (size_t i = 0; i < width; ++i) {
    const double d = static_cast<double>(samples[i]) - samples[i + lag];
    sum += d * d;
  }
  return sum;
}

// Offset of the true minimum from the middle of three equally spaced values.
double ParabolaOffset(double before, double at, double after) {
  const double curvature = before - 2.0 * at + after;
  if (curvature <= 0.0) return 0.0;
  // The middle value is the lowest of the three, so the minimum lies between the neighbours; a
  // nearly flat curve (a window of near silence) must not throw the estimate far off.
  return std::clamp(0.5 * (before - after) / curvature, -1.0, 1.0);
}

}  // namespace

std::optional<AudioClip> ReadWavClip(const std::string& path) {
  const std::vector<unsigned char> bytes = ReadAll(path);
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    return std::nullopt;
  }
  int format = 0, channels = 0, rate = 0, bits = 0;
  size_t pos = 12;
  while (pos + 8 <= bytes.size()) {
    const unsigned char* chunk = bytes.data() + pos;
    const size_t size = Le(chunk + 4, 4);
    const size_t body = pos + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && body + 16 <= bytes.size()) {
      format = static_cast<int>(Le(bytes.data() + body, 2));
      channels = static_cast<int>(Le(bytes.data() + body + 2, 2));
      rate = static_cast<int>(Le(bytes.data() + body + 4, 4));
      bits = static_cast<int>(Le(bytes.data() + body + 14, 2));
      // Extensible format: the real format code starts the sub-format GUID.
      if (format == 0xFFFE && size >= 40 && body + 26 <= bytes.size()) {
        format = static_cast<int>(Le(bytes.data() + body + 24, 2));
      }
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (channels <= 0 || rate <= 0) return std::nullopt;
      const bool isFloat = format == 3 && bits == 32;
      const bool isInt = format == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
      if (!isFloat && !isInt) return std::nullopt;
      size_t end = bytes.size();
      if (size != 0 && size <= end - body) end = body + size;
      const int width = bits / 8;
      AudioClip clip;
      clip.rate = rate;
      clip.channels = channels;
      const size_t count = (end - body) / width / channels * channels;
      clip.samples.resize(count);
      for (size_t i = 0; i < count; ++i) {
        const unsigned char* p = bytes.data() + body + i * width;
        const uint32_t raw = Le(p, width);
        float value;
        if (isFloat) {
          std::memcpy(&value, &raw, 4);
        } else if (bits == 8) {
          value = (static_cast<int>(raw) - 128) / 128.0f;
        } else {
          // Sign-extend the top bit of the sample.
          const int shift = 32 - bits;
          const int32_t s = static_cast<int32_t>(raw << shift) >> shift;
          value = static_cast<float>(s / std::ldexp(1.0, bits - 1));
        }
        clip.samples[i] = value;
      }
      return clip;
    }
    pos = body + size + (size & 1);  // chunks are padded to even sizes
    if (size == 0xFFFFFFFFu) break;
  }
  return std::nullopt;
}

std::vector<float> ChannelOf(const AudioClip& clip, int channel) {
  std::vector<float> out(clip.Frames());
  for (size_t i = 0; i < out.size(); ++i) out[i] = clip.samples[i * clip.channels + channel];
  return out;
}

std::vector<float> MixToMono(const AudioClip& clip) {
  std::vector<float> out(clip.Frames());
  for (size_t i = 0; i < out.size(); ++i) {
    double sum = 0.0;
    for (int c = 0; c < clip.channels; ++c) sum += clip.samples[i * clip.channels + c];
    out[i] = static_cast<float>(sum / clip.channels);
  }
  return out;
}

double Rms(const std::vector<float>& samples, size_t begin, size_t end) {
  end = std::min(end, samples.size());
  if (begin >= end) return 0.0;
  double sum = 0.0;
  for (size_t i = begin; i < end; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return std::sqrt(sum / (end - begin));
}

double Peak(const std::vector<float>& samples, size_t begin, size_t end) {
  end = std::min(end, samples.size());
  double peak = 0.0;
  for (size_t i = begin; i < end; ++i) peak = std::max(peak, std::fabs(double(samples[i])));
  return peak;
}

double EstimateFrequency(const float* input, size_t count, double rate, double minHz,
                         double maxHz) {
  const size_t minLag = std::max<size_t>(2, static_cast<size_t>(std::floor(rate / maxHz)));
  const size_t maxLag = static_cast<size_t>(std::ceil(rate / minHz)) + 1;
  if (count < 2 * maxLag + 2) return 0.0;

  // Work on the signal without its offset.
  double mean = 0.0;
  for (size_t i = 0; i < count; ++i) mean += input[i];
  mean /= count;
  std::vector<float> x(count);
  for (size_t i = 0; i < count; ++i) x[i] = static_cast<float>(input[i] - mean);

  // Cumulative mean normalised difference: 1 on average, near 0 at the period.
  const size_t width = count - maxLag - 1;
  std::vector<double> d(maxLag + 2, 0.0);
  std::vector<double> normalised(maxLag + 2, 1.0);
  double running = 0.0;
  for (size_t lag = 1; lag <= maxLag + 1; ++lag) {
    d[lag] = Difference(x.data(), width, lag);
    running += d[lag];
    normalised[lag] = running > 0.0 ? d[lag] * lag / running : 1.0;
  }
  constexpr double kThreshold = 0.15;
  constexpr double kNoPitch = 0.4;
  size_t best = 0;
  for (size_t lag = minLag; lag <= maxLag; ++lag) {
    if (normalised[lag] < kThreshold) {
      while (lag + 1 <= maxLag && normalised[lag + 1] < normalised[lag]) ++lag;
      best = lag;
      break;
    }
  }
  if (best == 0) {
    best = minLag;
    for (size_t lag = minLag; lag <= maxLag; ++lag) {
      if (normalised[lag] < normalised[best]) best = lag;
    }
    if (normalised[best] > kNoPitch) return 0.0;
  }
  double period = best + ParabolaOffset(d[best - 1], d[best], d[best + 1]);

  // Measure again across more and more periods: the error of locating one minimum is shared
  // out over k periods, and each estimate predicts the next lag to within a sample.
  const size_t most = static_cast<size_t>((count / 2) / period);
  size_t k = 2;
  while (k <= most) {
    const size_t guess = static_cast<size_t>(std::lround(k * period));
    // The lags compared reach guess + 3; the window must hold them.
    if (guess < 3 || guess + 8 > count) break;
    const size_t width = count - guess - 4;
    size_t at = guess;
    double low = Difference(x.data(), width, guess);
    for (size_t lag = guess - 2; lag <= guess + 2; ++lag) {
      const double value = Difference(x.data(), width, lag);
      if (value < low) {
        low = value;
        at = lag;
      }
    }
    const double refined = at + ParabolaOffset(Difference(x.data(), width, at - 1), low,
                                               Difference(x.data(), width, at + 1));
    period = refined / k;
    if (k == most) break;
    k = std::min(2 * k, most);  // the last step uses every period that fits
  }
  return rate / period;
}

std::vector<double> FindOnsets(const std::vector<float>& mono, int rate,
                               const OnsetOptions& options) {
  std::vector<double> onsets;
  const size_t hop = std::max<size_t>(1, static_cast<size_t>(options.hopSeconds * rate));
  std::vector<double> level;
  for (size_t begin = 0; begin + hop <= mono.size(); begin += hop) {
    level.push_back(Rms(mono, begin, begin + hop));
  }
  const size_t lookback =
      std::max<size_t>(1, static_cast<size_t>(options.lookbackSeconds * rate / hop));
  const double hopTime = static_cast<double>(hop) / rate;
  for (size_t j = 0; j < level.size(); ++j) {
    if (level[j] < options.minLevel) continue;
    // The start of the file counts as silence before it.
    double lowest = j < lookback ? 0.0 : level[j - lookback];
    for (size_t k = j >= lookback ? j - lookback : 0; k < j; ++k)
      lowest = std::min(lowest, level[k]);
    if (level[j] < options.riseRatio * lowest) continue;
    const double time = j * hopTime;
    if (!onsets.empty() && time - onsets.back() < options.minGapSeconds) continue;
    onsets.push_back(time);
  }
  return onsets;
}

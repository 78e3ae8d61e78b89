// Writes the tracker's seven waveform files into the folder named on the command line.
//
// All are 16-bit mono at 16744 Hz. The tonal ones are single-cycle loops of 64 frames, so a
// playback rate of 1.0 sounds at 16744 / 64 = 261.625 Hz, the tracker's note "C-2", and every
// other note is in tune with it. The tracker plays a rising ramp (voice A) together with the
// falling saw (voice B) at equal gain: the sum of the two is a pulse wave whose width is the
// ramp's phase lead, so ramp_b (a quarter cycle ahead) makes a 25 % pulse, ramp_c (half a cycle)
// a square, and ramp (in phase) cancels the saw until voice B's slight detune opens the pulse.
// Peaks stay at 12000 so that the two voices of a channel add up well below full scale.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 16744;
constexpr int kCycle = 64;  // frames per cycle of the tonal waveforms
constexpr double kPeak = 12000.0;
constexpr int kNoiseFrames = 4096;

using Wave = std::vector<int16_t>;

int16_t Level(double value) {
  return static_cast<int16_t>(std::lround(value));
}

// Rising sawtooth from -peak to +peak over one cycle, starting `lead` frames into the cycle.
Wave Ramp(int lead) {
  Wave wave(kCycle);
  for (int n = 0; n < kCycle; ++n) {
    const int k = (n + lead) % kCycle;
    wave[n] = Level(kPeak * (2.0 * k - (kCycle - 1)) / (kCycle - 1));
  }
  return wave;
}

// Falling sawtooth, the exact negative of the in-phase ramp.
Wave Saw() {
  Wave wave = Ramp(0);
  for (int16_t& sample : wave) sample = static_cast<int16_t>(-sample);
  return wave;
}

// Symmetric triangle, starting near zero on its way up.
Wave Triangle() {
  Wave wave(kCycle);
  for (int n = 0; n < kCycle; ++n) {
    const double phase = ((n + kCycle / 4) % kCycle + 0.5) / kCycle;  // 0..1, peak at 0.5
    wave[n] = Level(kPeak * (1.0 - 4.0 * std::fabs(phase - 0.5)));
  }
  return wave;
}

// A buzzy stepped wave: sixteen steps of four frames on an eighth-of-peak grid. The second half
// cycle mirrors the first with the sign turned, so the wave has no offset, only odd harmonics
// and a strong fundamental, while the uneven steps give it a reedy, chip-like edge.
Wave SteppedBuzz() {
  static const int kSteps[8] = {0, 5, 8, 6, 2, 7, 3, 1};
  Wave wave(kCycle);
  for (int n = 0; n < kCycle; ++n) {
    const int step = n / 4;
    const int level = step < 8 ? kSteps[step] : -kSteps[step - 8];
    wave[n] = Level(kPeak * level / 8.0);
  }
  return wave;
}

// White noise from a fixed-seed xorshift generator, uniform in -peak..+peak. Its length is a
// whole number of cycles, so the loop repeats at a fraction of the note's pitch.
Wave Noise() {
  Wave wave(kNoiseFrames);
  uint32_t state = 0x2545F491u;
  for (int16_t& sample : wave) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    const double unit = (state >> 8) / double(1u << 24);  // 0..1
    sample = Level(kPeak * (2.0 * unit - 1.0));
  }
  return wave;
}

void PutU32(std::vector<unsigned char>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void PutU16(std::vector<unsigned char>& out, uint16_t value) {
  out.push_back(static_cast<unsigned char>(value));
  out.push_back(static_cast<unsigned char>(value >> 8));
}

void PutTag(std::vector<unsigned char>& out, const char* tag) {
  out.insert(out.end(), tag, tag + 4);
}

// A canonical 44-byte-header PCM WAV file, 16-bit mono.
bool WriteWav(const std::string& path, const Wave& wave) {
  const uint32_t dataBytes = static_cast<uint32_t>(wave.size() * 2);
  std::vector<unsigned char> out;
  PutTag(out, "RIFF");
  PutU32(out, 36 + dataBytes);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutU32(out, 16);
  PutU16(out, 1);  // integer PCM
  PutU16(out, 1);  // mono
  PutU32(out, kRate);
  PutU32(out, kRate * 2);  // byte rate
  PutU16(out, 2);          // block align
  PutU16(out, 16);         // bits per sample
  PutTag(out, "data");
  PutU32(out, dataBytes);
  for (int16_t sample : wave) PutU16(out, static_cast<uint16_t>(sample));

  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const struct {
    const char* name;
    Wave wave;
  } files[] = {
      {"ramp_64.wav", Ramp(0)},
      {"ramp_b_64.wav", Ramp(kCycle / 4)},
      {"ramp_c_64.wav", Ramp(kCycle / 2)},
      {"saw_64.wav", Saw()},
      {"tri_64.wav", Triangle()},
      {"fx2b.wav", SteppedBuzz()},
      {"hnoise.wav", Noise()},
  };
  for (const auto& file : files) {
    const std::string path = folder + "/" + file.name;
    if (!WriteWav(path, file.wave)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}

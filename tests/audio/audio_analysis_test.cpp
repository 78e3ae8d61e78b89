// The analysis helpers that sound tests rely on, against signals with known answers.
#include "tests/support/audio_analysis.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/audio/wav_fixture.h"

namespace {

constexpr int kRate = 44100;

std::vector<float> Tone(double hz, double seconds, int shape) {
  std::vector<float> out(static_cast<size_t>(seconds * kRate));
  for (size_t i = 0; i < out.size(); ++i) {
    const double phase = std::fmod(hz * i / kRate, 1.0);
    switch (shape) {
      case 0:  // sine
        out[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * phase));
        break;
      case 1:  // 25 % pulse
        out[i] = phase < 0.25 ? 0.5f : -0.2f;
        break;
      default:  // sawtooth with a strong second harmonic on top
        out[i] = static_cast<float>(phase - 0.5 + 0.4 * std::sin(4 * M_PI * phase));
        break;
    }
  }
  return out;
}

TEST(AudioAnalysisTest, EstimatesTheFundamentalOfSteadyTones) {
  const struct {
    double hz;
    int shape;
  } cases[] = {{261.625, 0}, {440.0, 1}, {65.4, 2}, {1046.5, 0}, {277.18, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.hz << " Hz, shape " << c.shape);
    const std::vector<float> tone = Tone(c.hz, 0.3, c.shape);
    EXPECT_NEAR(EstimateFrequency(tone.data(), tone.size(), kRate), c.hz, 0.01);
  }
  // Noise and silence have no pitch; a window shorter than two periods of the lowest pitch
  // gives no answer either.
  std::vector<float> noise(kRate / 4);
  uint32_t state = 12345;
  for (float& s : noise) {
    state = state * 1664525u + 1013904223u;
    s = static_cast<float>(state >> 8) / (1 << 24) - 0.5f;
  }
  EXPECT_EQ(EstimateFrequency(noise.data(), noise.size(), kRate), 0.0);
  const std::vector<float> silence(kRate / 4, 0.0f);
  EXPECT_EQ(EstimateFrequency(silence.data(), silence.size(), kRate), 0.0);
  const std::vector<float> tone = Tone(440, 0.3, 0);
  EXPECT_EQ(EstimateFrequency(tone.data(), 1000, kRate), 0.0);

  // A faint tone that starts two thirds into a short window (the end of a note and the silence
  // after it, read backwards): the period found in the silent part is nearly flat, and its
  // refinement must stay inside the window (it once read far past its end).
  std::vector<float> late(882, 0.0f);
  for (size_t i = 584; i < late.size(); ++i) {
    late[i] = static_cast<float>(7.94328e-05 * std::sin(2 * M_PI * 1020.0 * i / kRate));
  }
  const double hz = EstimateFrequency(late.data(), late.size(), kRate, 300, 1500);
  EXPECT_TRUE(hz == 0.0 || (hz >= 300 / 1.5 && hz <= 1500 * 1.5)) << hz;
}

TEST(AudioAnalysisTest, FindsNoteOnsets) {
  // Three decaying notes and one restart at full level right after a decay.
  std::vector<float> out(kRate, 0.0f);
  const double starts[] = {0.1, 0.35, 0.6, 0.8};
  for (double start : starts) {
    const size_t from = static_cast<size_t>(start * kRate);
    for (size_t i = from; i < out.size(); ++i) {
      const double t = static_cast<double>(i - from) / kRate;
      out[i] = static_cast<float>(0.5 * std::exp(-t * 12) * std::sin(2 * M_PI * 330 * t));
    }
  }
  const std::vector<double> onsets = FindOnsets(out, kRate);
  ASSERT_EQ(onsets.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_LE(onsets[i], starts[i] + 1e-9);
    EXPECT_GT(onsets[i], starts[i] - 0.006);
  }
  EXPECT_TRUE(FindOnsets(std::vector<float>(kRate, 0.0f), kRate).empty());
}

TEST(AudioAnalysisTest, ReadsWavCapturesOfTheUsualShapes) {
  ScratchFolder folder;
  // 16-bit stereo, and an unfinished capture whose sizes were never filled in.
  const Bytes stereo = PcmWav(2, 22050, 16, Pcm16({16384, -32768, 0, 32767}));
  ByteWriter unfinished = WavHeader(1, 48000, 16);
  unfinished.Tag("data").U32(0).Raw(Pcm16({8192, -8192, 4096}));
  // 8-bit unsigned, and 32-bit float in an extensible format chunk.
  const Bytes eight = PcmWav(1, 8000, 8, {128, 255, 0});
  ByteWriter extensible;
  extensible.Tag("RIFF").U32(0).Tag("WAVE").Tag("fmt ").U32(40);
  extensible.U16(0xFFFE).U16(1).U32(44100).U32(44100 * 4).U16(4).U16(32);
  extensible.U16(22).U16(32).U32(4).U16(3).Raw(Bytes(14, 0));     // sub-format: float
  extensible.Tag("data").U32(8).U32(0x3F000000).U32(0xBF800000);  // 0.5, -1.0

  const struct {
    const char* name;
    Bytes bytes;
    int rate, channels;
    std::vector<float> samples;
  } cases[] = {
      {"stereo.wav", stereo, 22050, 2, {0.5f, -1.0f, 0.0f, 32767 / 32768.0f}},
      {"unfinished.wav", unfinished.bytes, 48000, 1, {0.25f, -0.25f, 0.125f}},
      {"eight.wav", eight, 8000, 1, {0.0f, 127 / 128.0f, -1.0f}},
      {"float.wav", extensible.bytes, 44100, 1, {0.5f, -1.0f}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<AudioClip> clip = ReadWavClip(folder.Write(c.name, c.bytes));
    ASSERT_TRUE(clip.has_value());
    EXPECT_EQ(clip->rate, c.rate);
    EXPECT_EQ(clip->channels, c.channels);
    EXPECT_EQ(clip->samples, c.samples);
  }
  EXPECT_FALSE(ReadWavClip(folder.File("missing.wav")).has_value());
  EXPECT_FALSE(ReadWavClip(folder.Write("text.wav", Bytes(64, 'a'))).has_value());
}

}  // namespace

// The seven waveform files in data/: made by tools/make_waveforms, in tune, and shaped so that a
// ramp and the saw played together make a pulse wave.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "audio/sound_device.h"
#include "tests/audio/wav_fixture.h"
#include "tests/support/audio_analysis.h"
#include "tests/support/loopback_audio.h"
#include "tests/support/test_game.h"

namespace {

const char* const kWaveforms[] = {"ramp_64.wav", "ramp_b_64.wav", "ramp_c_64.wav", "saw_64.wav",
                                  "tri_64.wav",  "fx2b.wav",      "hnoise.wav"};
const char* const kTonal[] = {"ramp_64.wav", "ramp_b_64.wav", "ramp_c_64.wav",
                              "saw_64.wav",  "tri_64.wav",    "fx2b.wav"};
constexpr int kWaveRate = 16744;
constexpr double kMiddleC = 261.625;

std::string DataFile(const std::string& name) {
  return std::string(VEXA_SOURCE_DIR) + "/data/" + name;
}

String DataPath(const std::string& name) {
  return FromLatin1("taliscor://data/" + name);
}

TEST(WaveformFilesTest, CommittedFilesAreTheGeneratorsOutput) {
  ScratchFolder folder;
  const std::string command = std::string(MAKE_WAVEFORMS_PATH) + " '" + folder.Path() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const char* name : kWaveforms) {
    SCOPED_TRACE(name);
    const Bytes made = ReadFileBytes(folder.File(name));
    ASSERT_FALSE(made.empty());
    EXPECT_TRUE(made == ReadFileBytes(DataFile(name)))
        << "regenerate with: build/tools/make_waveforms/make_waveforms data";
  }
}

TEST(WaveformFilesTest, ShapeAndLevels) {
  for (const char* name : kWaveforms) {
    SCOPED_TRACE(name);
    const std::optional<AudioClip> clip = ReadWavClip(DataFile(name));
    ASSERT_TRUE(clip.has_value());
    EXPECT_EQ(clip->rate, kWaveRate);
    EXPECT_EQ(clip->channels, 1);
    const bool noise = std::string(name) == "hnoise.wav";
    if (noise) {
      EXPECT_GE(clip->Frames(), 2000u);
      EXPECT_EQ(clip->Frames() % 64, 0u);
    } else {
      EXPECT_EQ(clip->Frames(), 64u);
    }
    // Loud enough, with room for two voices at once, and centred on zero.
    const double peak = Peak(clip->samples, 0, clip->Frames());
    EXPECT_GT(peak, 11000 / 32768.0);
    EXPECT_LE(peak, 12000 / 32768.0 + 1e-6);
    double sum = 0.0;
    for (float s : clip->samples) sum += s;
    EXPECT_NEAR(sum / clip->Frames(), 0.0, noise ? 0.02 : 0.001);
  }
}

// Played at rate 1.0 on a device mixing at 44.1 kHz, as the program's device usually does.
TEST(WaveformFilesTest, RateOnePlaysMiddleCAndNoiseHasNoPitch) {
  TestGame game;
  LoopbackAudio loopback(44100);
  ASSERT_TRUE(loopback.Ready());
  const size_t window = 22050;
  for (const char* name : kWaveforms) {
    SCOPED_TRACE(name);
    std::shared_ptr<gxtkSample> sample = loopback.Audio().LoadSampleFile(DataPath(name));
    ASSERT_TRUE(sample);
    loopback.Audio().PlayOnChannel(sample, 1, 1);
    loopback.Skip(1024);
    const std::vector<float> out = loopback.Render(window);
    const double hz = EstimateFrequency(out.data(), window, 44100);
    if (std::string(name) == "hnoise.wav") {
      EXPECT_EQ(hz, 0.0);
      EXPECT_GT(Rms(out, 0, window), 0.1);
    } else {
      EXPECT_NEAR(hz, kMiddleC, 0.5);
    }
  }
  // The tracker's notes reach from two octaves below "C-2" to 40 semitones above it; "A-2",
  // nine semitones up, is concert pitch.
  std::shared_ptr<gxtkSample> tri = loopback.Audio().LoadSampleFile(DataPath("tri_64.wav"));
  const struct {
    int semitones;
    double hz;
  } notes[] = {{9, 440.0}, {-24, 65.406}, {40, 2637.02}};
  for (const auto& note : notes) {
    SCOPED_TRACE(note.semitones);
    loopback.Audio().SetChannelPitch(1, static_cast<float>(std::pow(1.0594631f, note.semitones)));
    loopback.Audio().PlayOnChannel(tri, 1, 1);
    loopback.Skip(1024);
    const std::vector<float> out = loopback.Render(window);
    EXPECT_NEAR(EstimateFrequency(out.data(), window, 44100, 40.0, 5000.0), note.hz, 0.5);
  }
}

// Voice A plays a ramp, voice B the saw, at equal gain, as the tracker's pulse instruments do.
TEST(WaveformFilesTest, RampPlusSawIsAPulseWave) {
  TestGame game;
  LoopbackAudio loopback(kWaveRate);
  ASSERT_TRUE(loopback.Ready());
  gxtkAudio& audio = loopback.Audio();
  std::shared_ptr<gxtkSample> saw = audio.LoadSampleFile(DataPath("saw_64.wav"));
  ASSERT_TRUE(saw);
  const struct {
    const char* ramp;
    double lowShare;  // share of each cycle spent at the low level
  } cases[] = {{"ramp_b_64.wav", 0.25}, {"ramp_c_64.wav", 0.5}, {"ramp_64.wav", 0.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ramp);
    std::shared_ptr<gxtkSample> ramp = audio.LoadSampleFile(DataPath(c.ramp));
    ASSERT_TRUE(ramp);
    audio.PlayOnChannel(ramp, 1, 1);
    audio.PlayOnChannel(saw, 5, 1);
    const std::vector<float> out = loopback.Render(64 * 32);
    if (c.lowShare == 0.0) {
      EXPECT_LT(Peak(out, 0, out.size()), 0.001) << "in phase, ramp and saw cancel";
      continue;
    }
    // Two levels only, with no offset: high × (1 - w) + low × w = 0.
    const double high = 2 * 12000 / 32768.0 * c.lowShare;
    const double low = -2 * 12000 / 32768.0 * (1 - c.lowShare);
    size_t lows = 0;
    for (float s : out) {
      const bool isLow = s < 0;
      lows += isLow;
      EXPECT_NEAR(s, isLow ? low : high, 0.02);
    }
    EXPECT_NEAR(static_cast<double>(lows) / out.size(), c.lowShare, 0.01);
    EXPECT_NEAR(EstimateFrequency(out.data(), out.size(), kWaveRate), kMiddleC, 0.5);
  }

  // With voice B slightly detuned the in-phase pair opens into a pulse that keeps widening.
  std::shared_ptr<gxtkSample> ramp = audio.LoadSampleFile(DataPath("ramp_64.wav"));
  audio.SetChannelPitch(5, 1.0f + 4.0f / 800.0f);
  audio.PlayOnChannel(ramp, 1, 1);
  audio.PlayOnChannel(saw, 5, 1);
  double previous = -1.0;
  for (int step = 0; step < 5; ++step) {
    const std::vector<float> out = loopback.Render(1024);
    const double level = Rms(out, 0, out.size());
    EXPECT_GT(level, previous);
    previous = level;
  }
}

}  // namespace

// The program's own device, opened the way the program opens it, on OpenAL Soft's wave writer:
// ramp_c and the saw together at rate 1.0, as the tracker's square-wave instrument plays the
// note "C-2", come out as a 261.63 Hz square wave in the captured file.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "audio/sound.h"
#include "audio/sound_device.h"
#include "tests/audio/wav_fixture.h"
#include "tests/support/audio_analysis.h"
#include "tests/support/test_game.h"

namespace {

TEST(AudioCaptureTest, RampCAndSawMakeASquareAtMiddleC) {
  ScratchFolder folder;
  const std::string capture = folder.File("capture.wav");
  const std::string config = folder.File("alsoft.conf");
  {
    std::FILE* out = std::fopen(config.c_str(), "w");
    ASSERT_NE(out, nullptr);
    std::fprintf(out,
                 "[general]\ndrivers=wave\nfrequency=44100\nchannels=stereo\n"
                 "sample-type=int16\n[wave]\nfile=%s\n",
                 capture.c_str());
    std::fclose(out);
  }
  // OpenAL Soft reads this once, at its first use in the process.
  setenv("ALSOFT_CONF", config.c_str(), 1);
  unsetenv("ALSOFT_DRIVERS");

  TestGame game;
  {
    gxtkAudio audio;
    ASSERT_NE(audio.Context(), nullptr);
    std::shared_ptr<c_Sound> rampC = LoadSoundResource(u"ramp_c_64.wav");
    std::shared_ptr<c_Sound> saw = LoadSoundResource(u"saw_64.wav");
    ASSERT_TRUE(rampC && saw);
    SetSoundChannelRate(1, 1.0f);
    SetSoundChannelRate(5, 1.0f);
    PlaySoundOnChannel(rampC.get(), 1, 1);
    PlaySoundOnChannel(saw.get(), 5, 1);
    // The wave writer mixes in real time.
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    StopSoundChannel(1);
    StopSoundChannel(5);
  }  // closing the device finishes the file

  const std::optional<AudioClip> clip = ReadWavClip(capture);
  ASSERT_TRUE(clip.has_value());
  ASSERT_EQ(clip->rate, 44100);
  const std::vector<float> mono = MixToMono(*clip);
  // The sound starts within the first few mixing periods; analyse a stretch well inside it.
  const std::vector<double> onsets = FindOnsets(mono, clip->rate);
  ASSERT_FALSE(onsets.empty());
  const size_t from = static_cast<size_t>((onsets.front() + 0.1) * clip->rate);
  const size_t count = clip->rate / 2;
  ASSERT_GE(mono.size(), from + count);
  EXPECT_NEAR(EstimateFrequency(mono.data() + from, count, clip->rate), 261.63, 0.5);

  // Square-like: nearly every sample sits at one of two opposite levels, half the time each.
  const double peak = Peak(mono, from, from + count);
  EXPECT_GT(peak, 0.1);
  size_t atLevel = 0, positive = 0;
  for (size_t i = from; i < from + count; ++i) {
    atLevel += std::fabs(mono[i]) > 0.8 * peak;
    positive += mono[i] > 0;
  }
  EXPECT_GT(static_cast<double>(atLevel) / count, 0.9);
  EXPECT_NEAR(static_cast<double>(positive) / count, 0.5, 0.02);
}

}  // namespace

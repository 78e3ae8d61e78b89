// The sound device against OpenAL Soft, on a loopback device that renders exact numbers of
// frames. The loopback rate equals the waveforms' own rate, so a 64-frame loop at rate 1.0
// repeats every 64 output frames.
#include "audio/sound_device.h"

#include <AL/al.h>
#include <gtest/gtest.h>

#include <cmath>

#include "audio/sound.h"
#include "tests/audio/wav_fixture.h"
#include "tests/support/audio_analysis.h"
#include "tests/support/loopback_audio.h"
#include "tests/support/test_game.h"

namespace {

constexpr int kRate = 16744;

class SoundDeviceTest : public testing::Test {
 protected:
  explicit SoundDeviceTest(int outputChannels = 1) : loopback(kRate, outputChannels) {}

  void SetUp() override {
    ASSERT_TRUE(loopback.Ready()) << "no OpenAL Soft loopback device with float output";
    ramp = Audio().LoadSampleFile(u"taliscor://data/ramp_c_64.wav");
    ASSERT_TRUE(ramp);
  }

  gxtkAudio& Audio() { return loopback.Audio(); }

  // A mono 16-bit sample of `frames` frames of a 1 kHz-ish square at the given level.
  std::shared_ptr<gxtkSample> Tone(int frames, int level = 8000) {
    std::vector<int> values;
    for (int n = 0; n < frames; ++n) values.push_back((n / 8) % 2 ? level : -level);
    return LoadBytes("tone.wav", PcmWav(1, kRate, 16, Pcm16(values)));
  }

  std::shared_ptr<gxtkSample> LoadBytes(const std::string& name, const Bytes& bytes) {
    return Audio().LoadSampleFile(FromLatin1(folder.Write(name, bytes)));
  }

  // RMS of the next frames of the mix, after letting `settle` frames pass.
  double Level(int frames = 2048, int settle = 256) {
    loopback.Skip(settle);
    const std::vector<float> out = loopback.Render(frames);
    return Rms(out, 0, out.size());
  }

  TestGame game;
  ScratchFolder folder;
  LoopbackAudio loopback;
  std::shared_ptr<gxtkSample> ramp;
};

// Whether out repeats with the given period to within float rounding, and not with half of it.
void ExpectPeriod(const std::vector<float>& out, size_t period) {
  double worst = 0.0;
  double half = 0.0;
  for (size_t i = 0; i + period < out.size(); ++i) {
    worst = std::max(worst, std::fabs(double(out[i]) - out[i + period]));
    half = std::max(half, std::fabs(double(out[i]) - out[i + period / 2]));
  }
  EXPECT_LT(worst, 1e-4) << "period " << period;
  EXPECT_GT(half, 0.1) << "period " << period;
}

TEST_F(SoundDeviceTest, LoopedSampleRepeatsAtTheRatesPeriod) {
  const struct {
    float rate;
    int flags;
    size_t period;
  } cases[] = {{1.0f, 1, 64}, {2.0f, 1, 32}, {0.5f, 1, 128}, {4.0f, 2, 16}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "rate " << c.rate << " flags " << c.flags);
    Audio().SetChannelPitch(1, c.rate);
    ASSERT_EQ(Audio().PlayOnChannel(ramp, 1, c.flags), 0);
    loopback.Skip(512);
    // Long after the 64 frames of the sample have run out: it loops.
    const std::vector<float> out = loopback.Render(4096);
    ExpectPeriod(out, c.period);
    EXPECT_NEAR(Rms(out, 0, out.size()), 12000 / 32768.0 / std::sqrt(3.0), 0.01);
    EXPECT_EQ(Audio().GetChannelState(1), CHANNEL_PLAYING);
  }
}

TEST_F(SoundDeviceTest, GainScalesAndSurvivesARestart) {
  Audio().PlayOnChannel(ramp, 2, 1);
  const double full = Level();
  ASSERT_GT(full, 0.1);
  // Gains above unity are passed on too: louder volume digits sound louder.
  for (float gain : {1.875f, 1.5f, 0.5f, 0.25f, 0.0f}) {
    SCOPED_TRACE(gain);
    Audio().SetChannelGain(2, gain);
    EXPECT_NEAR(Level(), full * gain, full * 0.01);
  }
  // Gain and rate set before a start stay in force across restarts of the same channel.
  Audio().SetChannelGain(2, 0.5f);
  Audio().SetChannelPitch(2, 2.0f);
  for (int start = 0; start < 2; ++start) {
    SCOPED_TRACE(start);
    Audio().PlayOnChannel(ramp, 2, 1);
    EXPECT_NEAR(Level(), full * 0.5, full * 0.01);
    ExpectPeriod(loopback.Render(1024), 32);
  }
}

TEST_F(SoundDeviceTest, NonLoopingSampleEndsAndTheStateFollows) {
  std::shared_ptr<gxtkSample> tone = Tone(1000);
  ASSERT_EQ(Audio().PlayOnChannel(tone, 3, 0), 0);
  EXPECT_GT(Level(500, 0), 0.1);
  EXPECT_EQ(Audio().GetChannelState(3), CHANNEL_PLAYING);
  loopback.Skip(600);
  EXPECT_EQ(Level(500, 0), 0.0) << "the tail after the end is silent";
  EXPECT_EQ(Audio().GetChannelState(3), CHANNEL_STOPPED);

  // Pausing a sample that ended on its own finds it stopped; resuming then does nothing.
  Audio().PlayOnChannel(tone, 3, 0);
  loopback.Skip(1200);
  Audio().PauseChannel(3);
  EXPECT_EQ(Audio().GetChannelState(3), CHANNEL_STOPPED);
  Audio().ResumeChannel(3);
  EXPECT_EQ(Audio().GetChannelState(3), CHANNEL_STOPPED);
  EXPECT_EQ(Level(), 0.0);
}

TEST_F(SoundDeviceTest, PauseResumeAndStop) {
  Audio().PlayOnChannel(ramp, 4, 1);
  const double playing = Level();
  ASSERT_GT(playing, 0.1);

  Audio().PauseChannel(4);
  EXPECT_EQ(Audio().GetChannelState(4), CHANNEL_PAUSED);
  EXPECT_EQ(Level(), 0.0);
  Audio().ResumeChannel(4);
  EXPECT_EQ(Audio().GetChannelState(4), CHANNEL_PLAYING);
  EXPECT_NEAR(Level(), playing, playing * 0.01);

  Audio().StopChannel(4);
  EXPECT_EQ(Audio().GetChannelState(4), CHANNEL_STOPPED);
  EXPECT_EQ(Level(), 0.0);
  Audio().ResumeChannel(4);  // a stopped channel stays stopped
  EXPECT_EQ(Audio().GetChannelState(4), CHANNEL_STOPPED);
  EXPECT_EQ(Level(), 0.0);

  // A start from the paused state restarts the channel.
  Audio().PlayOnChannel(ramp, 4, 1);
  Audio().PauseChannel(4);
  Audio().PlayOnChannel(ramp, 4, 1);
  EXPECT_EQ(Audio().GetChannelState(4), CHANNEL_PLAYING);
  EXPECT_NEAR(Level(), playing, playing * 0.01);
}

TEST_F(SoundDeviceTest, SuspendAndResumeKeepTheRecordedStates) {
  Audio().SetChannelGain(2, 0.25f);
  Audio().PlayOnChannel(ramp, 1, 1);
  Audio().PlayOnChannel(ramp, 2, 1);
  Audio().PauseChannel(2);  // paused by the application before the suspension
  const double one = Level();
  ASSERT_GT(one, 0.1);

  Audio().SuspendChannels();
  EXPECT_EQ(Audio().GetChannelState(1), CHANNEL_PLAYING);
  EXPECT_EQ(Audio().GetChannelState(2), CHANNEL_PAUSED);
  EXPECT_EQ(Level(), 0.0);

  Audio().ResumeChannels();
  EXPECT_EQ(Audio().GetChannelState(1), CHANNEL_PLAYING);
  EXPECT_EQ(Audio().GetChannelState(2), CHANNEL_PAUSED);
  // Channel 1 alone: channel 2 (at a quarter of the gain) would add a quarter.
  EXPECT_NEAR(Level(), one, one * 0.01);
}

TEST_F(SoundDeviceTest, StealsTheLowestStoppedChannelsSourceWhenSourcesRunOut) {
  // The gains travel with the sources, which shows whose source a channel got.
  Audio().SetChannelGain(3, 0.25f);
  Audio().SetChannelGain(5, 0.5f);
  Audio().PlayOnChannel(ramp, 1, 1);
  Audio().PlayOnChannel(ramp, 3, 1);
  Audio().PlayOnChannel(ramp, 5, 1);
  Audio().StopChannel(5);
  Audio().StopChannel(3);
  const double one = Level();
  ASSERT_GT(loopback.ExhaustSources(), 0);

  ASSERT_EQ(Audio().PlayOnChannel(ramp, 9, 1), 0);
  EXPECT_NEAR(Level(), one * 1.25, one * 0.01) << "channel 9 plays with channel 3's source";
  ASSERT_EQ(Audio().PlayOnChannel(ramp, 10, 1), 0);
  EXPECT_NEAR(Level(), one * 1.75, one * 0.01) << "channel 10 plays with channel 5's source";

  // Nothing stopped is left (the music channel's source is never taken).
  EXPECT_EQ(Audio().PlayOnChannel(ramp, 11, 1), -1);
  EXPECT_EQ(Audio().GetChannelState(11), CHANNEL_STOPPED);
  Audio().SetChannelGain(11, 0.5f);  // goes to source 0, which OpenAL refuses
  EXPECT_NEAR(Level(), one * 1.75, one * 0.01);

  // Once channel 1 stops, its source is the one to borrow.
  Audio().StopChannel(1);
  EXPECT_EQ(Audio().PlayOnChannel(ramp, 11, 1), 0);
  EXPECT_NEAR(Level(), one * 1.75, one * 0.01);
}

TEST_F(SoundDeviceTest, DiscardedBufferIsDeletedOnlyOnceItsSourceStopped) {
  std::shared_ptr<gxtkSample> tone = Tone(3000);
  const unsigned int name = tone->buffer;
  ASSERT_NE(name, 0u);
  Audio().PlayOnChannel(tone, 1, 0);
  loopback.Skip(500);
  tone->DiscardSample();
  EXPECT_EQ(tone->buffer, 0u);

  // A flush while the source plays leaves the buffer alone and the sound goes on.
  Audio().PlayOnChannel(ramp, 2, 1);
  Audio().StopChannel(2);
  EXPECT_TRUE(alIsBuffer(name));
  EXPECT_GT(Level(1000, 0), 0.1);

  // After the end, the next flush deletes it: a load flushes first, even one that fails (a
  // load that succeeds could get the freed name again).
  loopback.Skip(2000);
  EXPECT_TRUE(alIsBuffer(name));
  EXPECT_FALSE(Audio().LoadSampleFile(FromLatin1(folder.File("missing.wav"))));
  EXPECT_FALSE(alIsBuffer(name));
}

TEST_F(SoundDeviceTest, DroppedSampleKeepsPlayingUntilTheChannelMovesOn) {
  std::shared_ptr<gxtkSample> tone = Tone(4000);
  const unsigned int name = tone->buffer;
  Audio().PlayOnChannel(tone, 1, 1);
  tone.reset();                       // the channel still holds it
  Audio().PlayOnChannel(ramp, 2, 1);  // a flush
  Audio().StopChannel(2);
  EXPECT_TRUE(alIsBuffer(name));
  EXPECT_NEAR(Level(), 8000 / 32768.0, 0.005) << "the dropped tone still sounds";

  // The channel lets go when it starts something else; the next flush deletes the buffer.
  Audio().PlayOnChannel(ramp, 1, 1);
  EXPECT_TRUE(alIsBuffer(name));
  Audio().PlayOnChannel(ramp, 2, 1);
  EXPECT_FALSE(alIsBuffer(name));

  // A buffer whose channel was stopped goes at the next flush as well.
  std::shared_ptr<gxtkSample> other = Tone(4000);
  const unsigned int otherName = other->buffer;
  Audio().PlayOnChannel(other, 3, 1);
  Audio().StopChannel(3);
  other->DiscardSample();
  Audio().PlayOnChannel(ramp, 4, 1);
  EXPECT_FALSE(alIsBuffer(otherName));
}

TEST_F(SoundDeviceTest, BufferFormatsFollowTheSampleShape) {
  // Unsigned 8-bit: 128 is the zero line, so a file of 128s is silent.
  Bytes square8, flat8, square16, square16Stereo, square24;
  for (int n = 0; n < 64; ++n) {
    const bool high = (n / 16) % 2;
    square8.push_back(high ? 192 : 64);
    flat8.push_back(128);
  }
  std::vector<int> values, stereo;
  for (int n = 0; n < 64; ++n) {
    const int v = (n / 16) % 2 ? 16000 : -16000;
    values.push_back(v);
    stereo.push_back(v);
    stereo.push_back(v);
    const int bytes[3] = {0, v & 0xFF, (v >> 8) & 0xFF};  // 24-bit little-endian
    for (int b : bytes) square24.push_back(static_cast<unsigned char>(b));
  }
  square16 = Pcm16(values);
  square16Stereo = Pcm16(stereo);
  Bytes square8Stereo;
  for (unsigned char b : square8) {
    square8Stereo.push_back(b);
    square8Stereo.push_back(b);
  }
  const struct {
    const char* name;
    Bytes file;
    bool audible;
  } cases[] = {
      {"mono8", PcmWav(1, kRate, 8, square8), true},
      {"stereo8", PcmWav(2, kRate, 8, square8Stereo), true},
      {"flat8", PcmWav(1, kRate, 8, flat8), false},
      {"mono16", PcmWav(1, kRate, 16, square16), true},
      {"stereo16", PcmWav(2, kRate, 16, square16Stereo), true},
      // No OpenAL format: reported as loaded, plays silence.
      {"mono24", PcmWav(1, kRate, 24, square24), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<gxtkSample> sample = LoadBytes(std::string(c.name) + ".wav", c.file);
    ASSERT_TRUE(sample);
    Audio().PlayOnChannel(sample, 6, 1);
    const double level = Level();
    if (c.audible) {
      EXPECT_GT(level, 0.2);
    } else {
      EXPECT_LT(level, 1e-6);
    }
  }
  EXPECT_FALSE(Audio().LoadSampleFile(FromLatin1(folder.File("missing.wav"))));
  EXPECT_FALSE(LoadBytes("broken.wav", Bytes(40, 'x')));
}

TEST_F(SoundDeviceTest, FrameworkFunctionsReachTheDevice) {
  // Bare names are found in the data folder; unknown ones give none.
  std::shared_ptr<c_Sound> sound = LoadSoundResource(u"ramp_c_64.wav");
  ASSERT_TRUE(sound && sound->sample);
  EXPECT_FALSE(LoadSoundResource(u"no_such_wave.wav"));

  PlaySoundOnChannel(nullptr, 7, 1);
  c_Sound empty;
  PlaySoundOnChannel(&empty, 7, 1);
  EXPECT_EQ(Audio().GetChannelState(7), CHANNEL_STOPPED);

  SetSoundChannelVolume(7, 0.5f);
  SetSoundChannelRate(7, 2.0f);
  PlaySoundOnChannel(sound.get(), 7, 1);
  EXPECT_EQ(Audio().GetChannelState(7), CHANNEL_PLAYING);
  EXPECT_NEAR(Level(), 12000 / 32768.0 / std::sqrt(3.0) * 0.5, 0.005);
  ExpectPeriod(loopback.Render(512), 32);
  StopSoundChannel(7);
  EXPECT_EQ(Audio().GetChannelState(7), CHANNEL_STOPPED);
}

class SoundDevicePanTest : public SoundDeviceTest {
 protected:
  SoundDevicePanTest() : SoundDeviceTest(2) {}
};

TEST_F(SoundDevicePanTest, PanIsAnAngleFromStraightAhead) {
  const struct {
    float pan;
    double leftShare;  // left level / (left + right)
  } cases[] = {{0.0f, 0.5}, {1.5707964f, 0.0}, {-1.5707964f, 1.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pan);
    Audio().SetChannelPan(1, c.pan);
    Audio().PlayOnChannel(ramp, 1, 1);
    loopback.Skip(256);
    AudioClip clip;
    clip.rate = kRate;
    clip.channels = 2;
    clip.samples = loopback.Render(2048);
    const double left = Rms(ChannelOf(clip, 0), 0, 2048);
    const double right = Rms(ChannelOf(clip, 1), 0, 2048);
    ASSERT_GT(left + right, 0.1);
    EXPECT_NEAR(left / (left + right), c.leftShare, 0.02);
  }
}

}  // namespace

#include <gtest/gtest.h>

#include "tests/tracker/player_test_util.h"

namespace {

TEST(NoteTrigger, SinglePrecisionConstants) {
  EXPECT_EQ(BitsOf(SEMITONE_RATIO), 0x3F879C7Du);
  EXPECT_EQ(BitsOf(ENVELOPE_STEP), 0x3DCCCCCDu);
  EXPECT_EQ(BitsOf(SLIDE_STEP), 0x3BA3D70Au);
  EXPECT_EQ(DETUNE_DIVISOR, 800.0f);
}

TEST(NoteTrigger, SemitoneRate) {
  for (int s = -24; s <= 43; ++s) EXPECT_EQ(SemitoneRate(s), Rate(s)) << s;
  EXPECT_EQ(SemitoneRate(0), 1.0f);
  EXPECT_NEAR(SemitoneRate(12), 2.0f, 2e-6);
  EXPECT_NEAR(SemitoneRate(-24), 0.25f, 1e-6);
  EXPECT_NEAR(SemitoneRate(40), 10.079f, 1e-3);
  // The power is taken in double precision: a float power gives another rounding here.
  EXPECT_EQ(SemitoneRate(12.5), static_cast<float>(std::pow(double{SEMITONE_RATIO}, 12.5)));
}

TEST(NoteTrigger, WaveformTable) {
  TrackerFixture t;
  const c_SoundEngine& e = *t.engine;
  struct Case {
    int wav;
    const char* primary;
    const char* secondary;  // "" for no sound
  };
  const Case cases[] = {{1, "ramp_b_64.wav", "saw_64.wav"},
                        {2, "ramp_c_64.wav", "saw_64.wav"},
                        {3, "ramp_64.wav", "saw_64.wav"},
                        {4, "tri_64.wav", ""},
                        {5, "ramp_b_64.wav", ""},
                        {6, "fx2b.wav", ""},
                        {7, "hnoise.wav", ""}};
  for (const Case& c : cases) {
    const c_Sound* primary = nullptr;
    const c_Sound* secondary = e.sampleNoise.get();
    ASSERT_TRUE(WaveformsFor(e, c.wav, &primary, &secondary));
    ASSERT_NE(primary, nullptr);
    EXPECT_EQ(t.audio.NameOf(primary->sample.get()), c.primary);
    EXPECT_EQ(secondary ? t.audio.NameOf(secondary->sample.get()) : "", c.secondary);
  }
  for (int wav : {0, 8, -1, 255, 65535}) {
    const c_Sound* primary = e.sampleFx2b.get();
    const c_Sound* secondary = e.sampleSaw.get();
    EXPECT_FALSE(WaveformsFor(e, wav, &primary, &secondary));
    EXPECT_EQ(primary, e.sampleFx2b.get());
    EXPECT_EQ(secondary, e.sampleSaw.get());
  }
}

TEST(NoteTrigger, CallSequences) {
  TrackerFixture t;
  c_SoundEngine& e = *t.engine;
  const c_Sound* rampB = e.sampleRampB.get();
  const c_Sound* saw = e.sampleSaw.get();
  struct Case {
    const char* name;
    const c_Sound* primary;
    int semitone, channel, loop;
    const c_Sound* secondary;
    float detune;
    int volume;
    float arp;
    int octave;
    std::vector<AudioCall> expected;
  };
  const Case cases[] = {
      {"C-2 restarts both voices",
       rampB,
       0,
       1,
       1,
       saw,
       8,
       8,
       0,
       2,
       {PitchCall(1, 1.0f), PitchCall(5, 1.0f + 8 / 800.0f), StopCall(5),
        PlayCall(1, "ramp_b_64.wav"), PlayCall(5, "saw_64.wav")}},
      {"channel 3 uses audio channels 3 and 7",
       rampB,
       12,
       3,
       1,
       saw,
       0,
       1,
       0,
       2,
       {PitchCall(3, Rate(12)), PitchCall(7, Rate(12)), StopCall(7), PlayCall(3, "ramp_b_64.wav"),
        PlayCall(7, "saw_64.wav")}},
      {"volume digit 0 only re-pitches",
       rampB,
       5,
       2,
       1,
       saw,
       4,
       0,
       0.5f,
       2,
       {PitchCall(2, Rate(5) + 0.5f), PitchCall(6, Rate(5) + 0.5f + 4 / 800.0f)}},
      {"note off at octave 0", rampB, 104, 1, 1, saw, 8, 8, 0, 0, {StopCall(1), StopCall(5)}},
      {"note off at octave 3", rampB, 140, 4, 1, saw, 8, 8, 0, 3, {StopCall(4), StopCall(8)}},
      {"note off at octave 9", rampB, 212, 1, 1, saw, 8, 0, 0, 9, {StopCall(1), StopCall(5)}},
      {"semitone 43 is the highest that sounds",
       rampB,
       43,
       1,
       1,
       saw,
       0,
       0,
       0,
       3,
       {PitchCall(1, Rate(43)), PitchCall(5, Rate(43))}},
      {"semitone 44 is not started", rampB, 44, 1, 1, saw, 8, 8, 0, 5, {}},
      {"the empty cell starts nothing", rampB, 255 - 24, 1, 1, saw, 8, 8, 0, 0, {}},
      {"E-5 is played",
       rampB,
       40,
       1,
       1,
       nullptr,
       0,
       15,
       0,
       3,
       {PitchCall(1, Rate(40)), PitchCall(5, Rate(40)), StopCall(5), PlayCall(1, "ramp_b_64.wav")}},
      {"no waveforms: only B is stopped",
       nullptr,
       0,
       1,
       1,
       nullptr,
       0,
       8,
       0,
       2,
       {PitchCall(1, 1.0f), PitchCall(5, 1.0f), StopCall(5)}},
      {"without loop",
       rampB,
       -24,
       1,
       0,
       saw,
       0,
       8,
       0,
       0,
       {PitchCall(1, Rate(-24)), PitchCall(5, Rate(-24)), StopCall(5),
        PlayCall(1, "ramp_b_64.wav", 0), PlayCall(5, "saw_64.wav", 0)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    t.audio.Clear();
    e.TriggerNote(c.primary, c.semitone, c.channel, c.loop, c.secondary, c.detune, c.volume, c.arp,
                  c.octave);
    EXPECT_EQ(t.audio.calls, c.expected);
  }
}

}  // namespace

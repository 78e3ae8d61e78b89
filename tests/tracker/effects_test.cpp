#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "tests/tracker/player_test_util.h"

namespace {

class Effects : public PlayerTest {
 protected:
  // Plays a note written as cell (note, volume, instrument 2, octave) on channel 1 at row 0 and
  // returns the calls of each update from the row's update on. Later rows come from extra.
  std::vector<std::vector<AudioCall>> PlayNote(const std::array<int, 8>& instrument,
                                               const std::string& cell, int ticks,
                                               const std::vector<std::string>& extra = {}) {
    t.SetInstrument(2, instrument);
    t.WriteRow(1, 0, cell);
    for (size_t row = 0; row < extra.size(); ++row) {
      t.WriteRow(1, static_cast<int>(row) + 1, extra[row]);
    }
    std::vector<std::vector<AudioCall>> result;
    result.push_back(StartAndPlayFirstRow());
    for (int i = 1; i < ticks; ++i) result.push_back(Tick());
    return result;
  }
};

const std::vector<int> CHANNEL_ORDER = {1, 5, 2, 6, 3, 7, 4, 8};

std::vector<int> Channels(const std::vector<AudioCall>& calls, AudioOp op) {
  std::vector<int> channels;
  for (const AudioCall& call : calls) {
    if (call.op == op) channels.push_back(call.channel);
  }
  return channels;
}

TEST_F(Effects, FreshSongSetsEveryGainToZeroOnEveryTick) {
  Start();
  for (int tick = 1; tick <= 10; ++tick) {
    const std::vector<AudioCall> calls = Tick();
    EXPECT_EQ(Channels(calls, AudioOp::Gain), CHANNEL_ORDER);
    EXPECT_EQ(Channels(calls, AudioOp::Pitch), CHANNEL_ORDER);
    for (const AudioCall& call : calls) {
      if (call.op == AudioOp::Gain) {
        EXPECT_EQ(call.value, 0.0f) << call;
      }
    }
  }
}

TEST_F(Effects, RowTickSetsGainsBeforeRatesInChannelOrder) {
  const auto ticks = PlayNote({4, 0, 0, 0, 255, 0, 0, 0}, "q822", 2);
  for (const auto& calls : ticks) {
    const std::vector<AudioCall> row = RowCalls(calls);
    const std::vector<AudioCall> rest(calls.begin() + static_cast<long>(row.size()), calls.end());
    ASSERT_EQ(rest.size(), 16u);
    for (size_t k = 0; k < 8; ++k) {
      EXPECT_EQ(rest[k].op, AudioOp::Gain);
      EXPECT_EQ(rest[k].channel, CHANNEL_ORDER[k]);
      EXPECT_EQ(rest[k + 8].op, AudioOp::Pitch);
      EXPECT_EQ(rest[k + 8].channel, CHANNEL_ORDER[k]);
    }
  }
}

TEST(EffectsEnvelope, Decay) {
  struct Case {
    const char* name;
    int env;
    char volume;
    int ticks;
    std::function<float(int)> gain;  // expected gain at tick k (1 = the row's tick)
  };
  const Case cases[] = {
      {"ENV 1 is silent after 10 ticks", 1, '8', 14,
       [](int k) { return k < 10 ? 1.0f - 0.1f * k : 0.0f; }},
      {"ENV 255 decays slowly", 255, '8', 12, [](int k) { return 1.0f - 0.1f / 255 * k; }},
      {"ENV 0 is silent at once", 0, '8', 4, [](int) { return 0.0f; }},
      {"volume F settles above zero", 1, 'F', 16,
       [](int k) { return k < 10 ? 1.875f - 0.1f * k : 0.875f; }},
      {"volume 3 is silent on the fourth tick", 1, '3', 6,
       [](int k) { return k < 4 ? 0.375f - 0.1f * k : 0.0f; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackerFixture t;
    t.SetInstrument(2, {4, 0, 0, 0, c.env, 0, 0, 0});
    t.WriteRow(1, 0, std::string("q") + c.volume + "22");
    t.engine->songSpeed = 1;
    t.TapKey(KEY_F2);
    t.Update();
    for (int k = 1; k <= c.ticks; ++k) {
      t.audio.Clear();
      t.Update();  // the following rows are empty and change nothing
      const float a = t.audio.LastValue(AudioOp::Gain, 1);
      const float b = t.audio.LastValue(AudioOp::Gain, 5);
      EXPECT_EQ(a, b) << "tick " << k;
      if (c.gain(k) == 0.0f) {
        EXPECT_EQ(a, 0.0f) << "tick " << k;
      } else {
        EXPECT_NEAR(a, c.gain(k), 1e-5) << "tick " << k;
      }
    }
  }
}

TEST_F(Effects, SilentAfterDecayUntilARowWithAVolumeDigit) {
  // ENV 1 at speed 4: rows on ticks 1, 5, 9, 13 and 17.
  const auto ticks =
      PlayNote({4, 0, 0, 0, 1, 0, 0, 0}, "q822", 18, {".000", ".000", "w022", "e422"});
  EXPECT_EQ(e.voices[1].note, 16.0f);
  for (int k : {10, 11, 12, 13, 14, 15, 16}) {
    EXPECT_EQ(Value(ticks[k - 1], AudioOp::Gain, 1), 0.0f) << "tick " << k;
  }
  EXPECT_NEAR(Value(ticks[16], AudioOp::Gain, 1), 0.4f, 1e-6);  // tick 17: volume 4
  EXPECT_NEAR(Value(ticks[17], AudioOp::Gain, 1), 0.3f, 1e-6);
}

TEST(EffectsArpeggio, Cycles) {
  struct Case {
    const char* name;
    int spd, arp1, arp2, amt;
    std::vector<double> offsets;  // semitones at ticks 1, 2, ...
  };
  const Case cases[] = {
      {"SPD 1, ARP 4/7, AMT 15", 1, 4, 7, 15, {0, 4, 7, 0, 4, 7, 0, 4}},
      {"SPD 2", 2, 4, 7, 15, {0, 0, 4, 4, 7, 7, 0, 0}},
      {"AMT 5 gives fractions", 1, 3, 6, 5, {0, 1, 2, 0, 1, 2}},
      {"AMT 0 is off", 1, 4, 7, 0, {0, 0, 0, 0}},
      {"SPD 0 stays at the second offset", 0, 4, 7, 15, {7, 7, 7, 7, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackerFixture t;
    t.SetInstrument(2, {4, 0, 0, static_cast<int>(c.amt), 255, c.spd, c.arp1, c.arp2});
    t.WriteRow(1, 0, "q822");
    t.TapKey(KEY_F2);
    t.engine->songSpeed = 40;  // the note's row on the next update, then no row for a while
    t.engine->tickCounter = 40;
    for (size_t k = 0; k < c.offsets.size(); ++k) {
      t.audio.Clear();
      t.Update();
      const float rate = t.audio.LastValue(AudioOp::Pitch, 1);
      EXPECT_NEAR(rate, Rate(12 + c.offsets[k]), 1e-5) << "tick " << k + 1;
    }
  }
}

TEST(EffectsSweep, DirectionOfVoiceBsDetune) {
  struct Case {
    const char* name;
    int swp;
    std::vector<int> directions;  // at ticks 1, 2, ...
  };
  const Case cases[] = {
      {"SWP 3", 3, {1, 1, 1, -1, -1, -1, 1, 1, 1, -1}},
      {"SWP 2", 2, {1, 1, -1, -1, 1, 1, -1}},
      {"SWP 0 keeps +1", 0, {1, 1, 1, 1, 1}},
      // With SWP 1 the count equals SWP on the first tick and then 2 x SWP on every second
      // tick, so the direction keeps its first value (0 on a fresh channel) and then stays -1.
      {"SWP 1", 1, {0, -1, -1, -1, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackerFixture t;
    t.SetInstrument(2, {1, 8, 0, c.swp * 16, 255, 0, 0, 0});
    t.WriteRow(1, 0, "q822");
    t.TapKey(KEY_F2);
    t.engine->songSpeed = 40;
    t.engine->tickCounter = 40;
    for (size_t k = 0; k < c.directions.size(); ++k) {
      t.audio.Clear();
      t.Update();
      const float a = t.audio.LastValue(AudioOp::Pitch, 1);
      const float b = t.audio.LastValue(AudioOp::Pitch, 5);
      EXPECT_NEAR(b - a, 0.01f * c.directions[k], 2e-6) << "tick " << k + 1;
    }
  }
}

TEST_F(Effects, SlidesFollowTheVolumeAndLastUntilTheNextNote) {
  // Speed 4; ENV 255 keeps the volume up. Row 1 slides down at volume 1.0, row 2 keeps the
  // slide, row 3 slides up at volume digit 4, row 4 brings a new note without volume.
  const auto ticks =
      PlayNote({4, 0, 0, 0, 255, 0, 0, 0}, "q822", 20, {"+000", ".000", "#400", "q022"});
  const float p = Rate(12);
  std::vector<float> expected;
  for (int k = 0; k < 4; ++k) expected.push_back(p);                       // row 0
  for (int k = 1; k <= 4; ++k) expected.push_back(p - 0.04f * k);          // row 1
  for (int k = 0; k < 4; ++k) expected.push_back(p - 0.16f);               // row 2
  for (int k = 1; k <= 4; ++k) expected.push_back(p - 0.16f + 0.02f * k);  // row 3
  for (int k = 0; k < 4; ++k) expected.push_back(p);                       // row 4
  for (size_t k = 0; k < expected.size(); ++k) {
    EXPECT_NEAR(Value(ticks[k], AudioOp::Pitch, 1), expected[k], 1e-5) << "tick " << k + 1;
  }
}

TEST(EffectsPitchEnvelope, LowersTheRateWithTheEnvelope) {
  struct Case {
    const char* name;
    int e2p, env;
    char volume;
    int tick;
    float drop;  // expected p - rate at that tick
  };
  const Case cases[] = {
      {"E2P 2, ENV 10, tick 1", 2, 10, '8', 1, 2 * 0.01f},
      {"E2P 2, ENV 10, tick 8", 2, 10, '8', 8, 2 * 0.08f},
      {"E2P 0 leaves the pitch", 0, 10, '8', 8, 0},
      {"E2P 15 goes below zero", 15, 1, 'F', 12, 15.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackerFixture t;
    t.SetInstrument(2, {1, 8, c.e2p, 0, c.env, 0, 0, 0});
    t.WriteRow(1, 0, std::string("q") + c.volume + "22");
    t.TapKey(KEY_F2);
    t.engine->songSpeed = 100;
    t.engine->tickCounter = 100;
    t.Update(c.tick - 1);
    t.audio.Clear();
    t.Update();
    const float a = t.audio.LastValue(AudioOp::Pitch, 1);
    const float b = t.audio.LastValue(AudioOp::Pitch, 5);
    EXPECT_NEAR(Rate(12) - a, c.drop, 1e-5);
    EXPECT_NEAR(b - a, 0.01f, 1e-5);
  }
}

TEST(EffectsBadInput, OnlyFiniteRatesAndGainsReachTheDevice) {
  struct Case {
    const char* name;
    std::array<int, 8> instrument;
  };
  const Case cases[] = {
      {"ENV 0", {1, 8, 3, 0x33, 0, 1, 4, 7}},
      {"huge arpeggio", {1, 8, 0, 0x0F, 255, 1, 65535, 40000}},
      {"huge pitch envelope", {1, 8, 65535, 0, 1, 0, 0, 0}},
      {"huge detune and sweep", {1, 65535, 0, 0xFF, 3, 0, 0, 0}},
      {"everything huge", {65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackerFixture t;
    t.SetInstrument(2, c.instrument);
    for (int row = 0; row < 32; row += 3) t.WriteRow(1, row, row % 2 ? "+F22" : "p829");
    t.WriteRow(1, 1, "q822");
    t.engine->songSpeed = 2;
    t.TapKey(KEY_F2);
    t.Update(100);
    ASSERT_FALSE(t.audio.calls.empty());
    for (const AudioCall& call : t.audio.calls) ASSERT_TRUE(std::isfinite(call.value)) << call;
  }
}

}  // namespace

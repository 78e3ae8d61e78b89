// Shared helpers of the player tests: a playing tracker and the expected rate of a semitone.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host/input/key_codes.h"
#include "tests/support/tracker_fixture.h"

inline float FloatFromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline uint32_t BitsOf(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// The rate of a semitone relative to "C-2", worked out independently of the program: the float
// 0x3F879C7D widened to double, raised to the power, rounded to float.
inline float Rate(double semitone) {
  return static_cast<float>(std::pow(static_cast<double>(FloatFromBits(0x3F879C7Du)), semitone));
}

class PlayerTest : public ::testing::Test {
 public:
  // The calls made before the first gain of an update: those of the row processing.
  static std::vector<AudioCall> RowCalls(const std::vector<AudioCall>& calls) {
    std::vector<AudioCall> result;
    for (const AudioCall& call : calls) {
      if (call.op == AudioOp::Gain) break;
      result.push_back(call);
    }
    return result;
  }

 protected:
  TrackerFixture t;
  c_SoundEngine& e = *t.engine;

  // Starts playback with F2 (the update of the key sets no rate or gain) and clears the log.
  void Start() {
    t.TapKey(KEY_F2);
    ASSERT_EQ(e.engineMode, MODE_PLAYING);
    t.audio.Clear();
  }
  // One update while playing; returns the calls it made.
  std::vector<AudioCall> Tick() {
    t.audio.Clear();
    t.Update();
    return t.audio.calls;
  }
  // Starts playback and runs the updates up to and including the first row.
  std::vector<AudioCall> StartAndPlayFirstRow() {
    Start();
    for (int i = 0; i < e.songSpeed; ++i) Tick();
    return Tick();
  }
  static float Value(const std::vector<AudioCall>& calls, AudioOp op, int channel) {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
      if (it->op == op && it->channel == channel) return it->value;
    }
    ADD_FAILURE() << "no value set on channel " << channel;
    return NAN;
  }
};

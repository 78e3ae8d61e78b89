// Plays a short pattern through the real sound device on an OpenAL Soft loopback device,
// rendering exactly one update's worth of frames (44100 / 51, the fraction carried) after each
// update, and listens to the result.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "host/input/input_device.h"
#include "host/input/key_codes.h"
#include "tests/support/audio_analysis.h"
#include "tests/support/loopback_audio.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_game.h"
#include "tests/tracker/player_test_util.h"
#include "tracker/sound_engine.h"

namespace {

constexpr int SAMPLE_RATE = 44100;
constexpr int UPDATE_RATE = 51;
constexpr int CYCLE = 64;  // frames of the looped waveform: 689.0625 Hz at rate 1.0

// A 16-bit mono WAV file holding one cycle of a sine.
std::vector<unsigned char> SineCycleWav() {
  std::vector<unsigned char> file;
  const auto put = [&file](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file.push_back(static_cast<unsigned char>(value >> (8 * i)));
  };
  const uint32_t dataBytes = CYCLE * 2;
  file.insert(file.end(), {'R', 'I', 'F', 'F'});
  put(36 + dataBytes, 4);
  file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put(16, 4);
  put(1, 2);  // PCM
  put(1, 2);  // mono
  put(SAMPLE_RATE, 4);
  put(SAMPLE_RATE * 2, 4);
  put(2, 2);
  put(16, 2);
  file.insert(file.end(), {'d', 'a', 't', 'a'});
  put(dataBytes, 4);
  for (int i = 0; i < CYCLE; ++i) {
    const double v = std::sin(2 * M_PI * i / CYCLE) * 20000.0;
    put(static_cast<uint16_t>(static_cast<int16_t>(std::lround(v))), 2);
  }
  return file;
}

TEST(RealSound, PatternPitchAndRowSpacingOnALoopbackDevice) {
  TempFolder folder;
  for (const char* name : {"ramp_64.wav", "ramp_b_64.wav", "ramp_c_64.wav", "saw_64.wav",
                           "fx2b.wav", "tri_64.wav", "hnoise.wav"}) {
    folder.Write(std::string("data/") + name, SineCycleWav());
  }
  TestGame game(folder.PathText());
  game.manualClock = true;
  c_InputDevice input;
  SetInputDevice(&input);
  LoopbackAudio loopback(SAMPLE_RATE);
  ASSERT_TRUE(loopback.Ready());

  std::vector<float> output;
  {
    c_SoundEngine engine;
    engine.OnCreate();
    ASSERT_NE(engine.sampleTriangle, nullptr);
    // Instrument 1: the triangle slot, one voice; ENV 1 with volume digit 3 decays to silence
    // on the fourth tick, so every row starts well above the end of the previous note.
    const int params[8] = {4, 0, 0, 0, 1, 0, 0, 0};
    for (int k = 0; k < 8; ++k) engine.instrumentTable[8 + k] = params[k];
    for (int row = 0; row < 8; ++row) {
      WriteCell(engine.trackNotes[1], row, u'q');  // C-3 at octave digit 2: rate 2.0
      WriteCell(engine.trackVolumes[1], row, u'3');
      WriteCell(engine.trackInstruments[1], row, u'1');
      WriteCell(engine.trackOctaves[1], row, u'2');
    }
    ASSERT_EQ(engine.songSpeed, 4);

    int carry = 0;
    const auto update = [&] {
      engine.OnUpdate();
      input.EndUpdate();
      carry += SAMPLE_RATE;
      const int frames = carry / UPDATE_RATE;
      carry %= UPDATE_RATE;
      const std::vector<float> mixed = loopback.Render(frames);
      output.insert(output.end(), mixed.begin(), mixed.end());
    };
    input.PutKeyHit(KEY_F2);
    update();
    input.PutKeyRelease(KEY_F2);
    ASSERT_EQ(engine.engineMode, MODE_PLAYING);
    for (int tick = 1; tick <= 4 + 8 * 4; ++tick) update();
  }

  const double tickFrames = static_cast<double>(SAMPLE_RATE) / UPDATE_RATE;
  ASSERT_EQ(output.size(), static_cast<size_t>(std::lround(37 * tickFrames)));

  // Onsets in frames, to a millisecond. Each note decays towards silence before the next row
  // restarts it at its full level.
  OnsetOptions options;
  options.hopSeconds = 0.001;
  std::vector<double> onsets;
  for (double seconds : FindOnsets(output, SAMPLE_RATE, options)) {
    onsets.push_back(seconds * SAMPLE_RATE);
  }
  ASSERT_EQ(onsets.size(), 8u);
  // The first row sounds with the fifth update after the start (songSpeed + 1).
  const double step = SAMPLE_RATE * options.hopSeconds;
  EXPECT_NEAR(onsets[0], 5 * tickFrames, 2 * step);
  for (size_t k = 1; k < onsets.size(); ++k) {
    EXPECT_NEAR(onsets[k] - onsets[k - 1], 4 * tickFrames, 2 * step) << "row " << k;
  }

  // The first note's pitch over its three sounding ticks.
  const size_t start = static_cast<size_t>(onsets[0] + 2 * step);
  ASSERT_LT(start + static_cast<size_t>(2 * tickFrames), output.size());
  const double frequency = EstimateFrequency(output.data() + start,
                                             static_cast<size_t>(2 * tickFrames), SAMPLE_RATE, 200);
  const double expected = static_cast<double>(SAMPLE_RATE) / CYCLE * Rate(12);
  EXPECT_NEAR(frequency, expected, expected * 0.005) << "expected about 1378 Hz";

  SetInputDevice(nullptr);
}

}  // namespace

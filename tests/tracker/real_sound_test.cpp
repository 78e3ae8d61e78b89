// Plays a short pattern through the real sound device on an OpenAL Soft loopback device,
// rendering exactly one update's worth of frames (44100 / 51, the fraction carried) after each
// update, and listens to the result.
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "host/input/input_device.h"
#include "host/input/key_codes.h"
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

// Root-mean-square level of consecutive windows.
std::vector<float> Levels(const std::vector<float>& samples, int window) {
  std::vector<float> levels;
  for (size_t start = 0; start + window <= samples.size(); start += window) {
    double sum = 0;
    for (int i = 0; i < window; ++i) sum += samples[start + i] * samples[start + i];
    levels.push_back(static_cast<float>(std::sqrt(sum / window)));
  }
  return levels;
}

// Frequency from the rising zero crossings between two frames (linear interpolation).
double Frequency(const std::vector<float>& samples, size_t from, size_t to) {
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t i = from + 1; i < to && i < samples.size(); ++i) {
    if (samples[i - 1] < 0 && samples[i] >= 0) {
      const double t = (i - 1) + samples[i - 1] / (samples[i - 1] - samples[i]);
      if (first < 0) first = t;
      last = t;
      ++crossings;
    }
  }
  if (crossings < 2) return 0;
  return (crossings - 1) / (last - first) * SAMPLE_RATE;
}

TEST(RealSound, PatternPitchAndRowSpacingOnALoopbackDevice) {
  auto openLoopback = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
      alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
  auto renderSamples =
      reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
  ASSERT_NE(openLoopback, nullptr);
  ASSERT_NE(renderSamples, nullptr);

  TempFolder folder;
  for (const char* name : {"ramp_64.wav", "ramp_b_64.wav", "ramp_c_64.wav", "saw_64.wav",
                           "fx2b.wav", "tri_64.wav", "hnoise.wav"}) {
    folder.Write(std::string("data/") + name, SineCycleWav());
  }
  TestGame game(folder.PathText());
  game.manualClock = true;
  c_InputDevice input;
  SetInputDevice(&input);

  ALCdevice* device = openLoopback(nullptr);
  ASSERT_NE(device, nullptr);
  const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                               ALC_MONO_SOFT,
                               ALC_FORMAT_TYPE_SOFT,
                               ALC_FLOAT_SOFT,
                               ALC_FREQUENCY,
                               SAMPLE_RATE,
                               0};
  std::unique_ptr<gxtkAudio> audio = gxtkAudio::OnDevice(device, attributes);
  ASSERT_NE(audio->Context(), nullptr);
  SetAudioDevice(audio.get());

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
      const size_t at = output.size();
      output.resize(at + static_cast<size_t>(frames));
      renderSamples(device, output.data() + at, frames);
    };
    input.PutKeyHit(KEY_F2);
    update();
    input.PutKeyRelease(KEY_F2);
    ASSERT_EQ(engine.engineMode, MODE_PLAYING);
    for (int tick = 1; tick <= 4 + 8 * 4; ++tick) update();
  }

  const double tickFrames = static_cast<double>(SAMPLE_RATE) / UPDATE_RATE;
  ASSERT_EQ(output.size(), static_cast<size_t>(std::lround(37 * tickFrames)));

  // Onsets: the level jumps up from one window to the next (the device ramps a falling gain
  // smoothly over an update, but a restarted voice starts at its new gain at once).
  const int window = 32;
  const std::vector<float> levels = Levels(output, window);
  std::vector<double> onsets;
  for (size_t w = 1; w < levels.size(); ++w) {
    const bool jump = levels[w] > levels[w - 1] + 0.03f;
    const bool apart = onsets.empty() || w * window > onsets.back() + 16 * window;
    if (jump && apart) onsets.push_back(static_cast<double>(w * window));
  }
  ASSERT_EQ(onsets.size(), 8u);
  // The first row sounds with the fifth update after the start (songSpeed + 1).
  EXPECT_NEAR(onsets[0], 5 * tickFrames, 2 * window);
  for (size_t k = 1; k < onsets.size(); ++k) {
    EXPECT_NEAR(onsets[k] - onsets[k - 1], 4 * tickFrames, 2 * window) << "row " << k;
  }

  // The first note's pitch over its three sounding ticks.
  const size_t start = static_cast<size_t>(onsets[0]) + window;
  const double frequency = Frequency(output, start, start + static_cast<size_t>(2 * tickFrames));
  const double expected = static_cast<double>(SAMPLE_RATE) / CYCLE * Rate(12);
  EXPECT_NEAR(frequency, expected, expected * 0.005) << "expected about 1378 Hz";

  audio.reset();
  alcCloseDevice(device);
  SetInputDevice(nullptr);
}

}  // namespace

// The whole tracker under test without a window or a sound card: a TestGame host, recording
// graphics and sound devices, a real input device and the application object after its create
// hook. Input is driven as the host drives it: events go into the input device, then an update
// runs the application's update hook and clears the counters.
#pragma once

#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/input/input_device.h"
#include "tests/support/recording_audio.h"
#include "tests/support/recording_graphics.h"
#include "tests/support/test_game.h"
#include "tracker/sound_engine.h"

class TrackerFixture {
 public:
  // Builds everything and runs the create hook; the sound calls made by it are moved to
  // createCalls. Waveforms named in failingSamples fail to load.
  explicit TrackerFixture(const String& folder = RepoFolder(),
                          const std::set<std::string>& failingSamples = {});
  ~TrackerFixture();

  TestGame game;
  RecordingGraphics graphics;
  RecordingAudio audio;
  c_InputDevice input;
  std::unique_ptr<c_SoundEngine> engine;
  // The sound calls the create hook made (the waveform loads).
  std::vector<AudioCall> createCalls;

  // Runs count updates (update hook, then the input device's end of update).
  void Update(int count = 1);
  // Runs the render hook between the drawing API's begin and end.
  void Render();

  // Input events as the window delivers them. PressKey also queues the character a key press
  // delivers (Enter, Tab, Backspace, Escape, Delete and the navigation keys).
  void PressKey(int code);
  void ReleaseKey(int code);
  void TypeChar(int ch);
  void MoveMouse(float x, float y);
  // Left button pressed and released at (x, y).
  void ClickAt(float x, float y);
  // Press, one update, release.
  void TapKey(int code);
  void ClickAndUpdate(float x, float y);

  // Writes one row of a channel: cell is four characters, note, volume, instrument and octave
  // (for instance "q812"); index is the cell index (pattern * 32 + row).
  void WriteRow(int channel, int index, const std::string& cell);
  // Sets the eight parameters of instrument i: WAV, PWM, E2P, SWP * 16 + AMT, ENV, SPD, ARP1,
  // ARP2.
  void SetInstrument(int i, const std::array<int, 8>& params);
};

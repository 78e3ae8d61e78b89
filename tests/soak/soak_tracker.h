// The whole tracker in the test's process for soak tests: a TestGame host on a program folder of
// the test's choice, a screen (recorded calls, or the real renderer in a hidden window on the
// test run's X server), a checking sound device, the real input device and the application
// object after its create hook. Input goes in as the host delivers it; an update runs the
// update hook and then clears the input counters, as the main loop does.
#pragma once

#include <memory>
#include <string>

#include "graphics/renderer.h"
#include "host/input/input_device.h"
#include "tests/soak/checking_audio.h"
#include "tests/support/recording_graphics.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_game.h"
#include "tracker/sound_engine.h"

// A program folder whose data folder links the repository's pictures and waveforms and has an
// empty songs folder.
class ProgramFolder {
 public:
  ProgramFolder();
  TempFolder folder;
  std::string SongsPath() const { return folder.Path() + "/data/songs/"; }
};

class SoakTracker {
 public:
  enum class Screen { kRecorded, kRealRenderer };

  // innerAudio: a device the checking device passes every call on to (none: calls end there).
  SoakTracker(const String& programFolder, Screen screen, gxtkAudio* innerAudio = nullptr);
  ~SoakTracker();
  SoakTracker(const SoakTracker&) = delete;
  SoakTracker& operator=(const SoakTracker&) = delete;

  // False when the real renderer was asked for and no window could be opened.
  bool Ready() const { return engine != nullptr; }

  c_SoundEngine& Engine() { return *engine; }
  CheckingAudio& Audio() { return *audio; }
  c_InputDevice& Input() { return input; }

  void Update(int count = 1);
  // One frame: the render hook between the drawing API's begin and end (and the renderer's
  // frame begin and end on the real renderer; recorded calls are dropped afterwards).
  void Render();

  void PressKey(int code);  // also queues the character a key press delivers
  void ReleaseKey(int code);
  void TypeChar(int ch);
  void MoveMouse(float x, float y);
  void ClickAt(float x, float y);  // the left button pressed and released at (x, y)

 private:
  TestGame game;
  std::unique_ptr<gxtkGraphics> renderer;
  std::unique_ptr<RecordingGraphics> recorder;
  std::unique_ptr<CheckingAudio> audio;
  c_InputDevice input;
  std::unique_ptr<c_SoundEngine> engine;
};

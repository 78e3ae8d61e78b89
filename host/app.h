// The application base class and the delegate that connects it to the host.
#pragma once

#include <memory>

#include "host/game.h"

class gxtkGraphics;
class gxtkAudio;
class c_InputDevice;

// Application base: the three hooks called by the delegate. Creating one installs a
// c_GameDelegate as the game's delegate; only one may exist at a time.
class c_App {
 public:
  c_App();
  virtual ~c_App();
  virtual int OnCreate() { return 0; }
  virtual int OnUpdate() { return 0; }
  virtual int OnRender() { return 0; }

  // The application object of the process, or none.
  static c_App* App();
};

// Owns the renderer, the sound device and the input device, and calls the application's hooks.
class c_GameDelegate : public BBGameDelegate {
 public:
  c_GameDelegate();
  ~c_GameDelegate() override;

  void StartGame() override;
  void SuspendGame() override;
  void ResumeGame() override;
  void UpdateGame() override;
  void RenderGame() override;
  void KeyEvent(int event, int data) override;
  void MouseEvent(int event, int data, float x, float y, float z) override;
  void TouchEvent(int event, int data, float x, float y) override;
  void MotionEvent(int event, int data, float x, float y, float z) override;
  void DiscardGraphics() override;

  std::unique_ptr<gxtkGraphics> graphics;
  std::unique_ptr<gxtkAudio> audio;
  std::unique_ptr<c_InputDevice> input;
};

// The process-wide delegate (set when the application is created).
c_GameDelegate* GameDelegate();

// Sets the game's update rate (updates per second; 0 = one update per loop pass).
void SetUpdateRate(int hz);

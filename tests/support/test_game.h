// A host for unit tests: a real BBGlfwGame whose program folder is the repository (so
// "taliscor://data/" reaches the repository's data folder) and whose clock the test controls.
#pragma once

#include "host/game.h"

// The repository's folder and the build folder, as text.
String RepoFolder();
String BuildFolder();

class TestGame : public BBGlfwGame {
 public:
  explicit TestGame(const String& folder = RepoFolder());

  // The loop's clock: while manual, Now() returns clock instead of glfwGetTime().
  bool manualClock = false;
  double clock = 0.0;

  using BBGlfwGame::RunDueUpdates;
  using BBGlfwGame::SleepTime;
  double NextUpdate() const { return nextUpdate; }
  double UpdatePeriod() const { return updatePeriod; }
  void SetStarted(bool value) { started = value; }

 protected:
  double Now() override;
};

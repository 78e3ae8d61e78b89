// The update schedule of the main loop, driven by a clock the test controls.
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/test_game.h"

namespace {

class CountingDelegate : public BBGameDelegate {
 public:
  void UpdateGame() override {
    ++updates;
    if (onUpdate) onUpdate();
  }
  int updates = 0;
  std::function<void()> onUpdate;
};

class MainLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game.manualClock = true;
    game.clock = 100.0;
    game.SetDelegate(&delegate);
    game.StartGame();
  }
  // One pass of the loop's update step; returns the number of updates it ran.
  int Pass() {
    const int before = delegate.updates;
    game.RunDueUpdates();
    return delegate.updates - before;
  }

  TestGame game;
  CountingDelegate delegate;
};

constexpr double kPeriod = 1.0 / 51;

TEST_F(MainLoopTest, OneUpdatePerPeriodAndSleepUntilTheNext) {
  game.SetUpdateRate(51);
  EXPECT_EQ(game.SleepTime(), 0.0);  // not scheduled yet
  EXPECT_EQ(Pass(), 1);
  EXPECT_DOUBLE_EQ(game.NextUpdate(), 100.0 + kPeriod);
  EXPECT_NEAR(game.SleepTime(), kPeriod, 1e-9);
  game.clock += kPeriod * 0.25;
  EXPECT_NEAR(game.SleepTime(), kPeriod * 0.75, 1e-12);
  game.clock += kPeriod * 0.75;  // the loop slept until the update was due
  EXPECT_EQ(Pass(), 1);
  EXPECT_DOUBLE_EQ(game.NextUpdate(), 100.0 + 2 * kPeriod);
}

TEST_F(MainLoopTest, SmallBacklogIsCaughtUp) {
  game.SetUpdateRate(51);
  EXPECT_EQ(Pass(), 1);  // next due at 100 + p
  game.clock = 100.0 + 3.5 * kPeriod;
  EXPECT_EQ(Pass(), 3);  // the updates due at p, 2p and 3p
  EXPECT_DOUBLE_EQ(game.NextUpdate(), 100.0 + 4 * kPeriod);
}

TEST_F(MainLoopTest, StallRunsFourUpdatesAndDropsTheBacklog) {
  game.SetUpdateRate(51);
  EXPECT_EQ(Pass(), 1);
  game.clock += 1.0;  // a one-second stall (a dialog, a slow frame)
  EXPECT_EQ(Pass(), BBGlfwGame::MAX_CATCHUP_UPDATES);
  EXPECT_EQ(game.NextUpdate(), 0.0);
  EXPECT_EQ(game.SleepTime(), 0.0);
  // The schedule restarts from now: the backlog of about 47 updates is never run.
  const double restart = game.clock;
  EXPECT_EQ(Pass(), 1);
  EXPECT_DOUBLE_EQ(game.NextUpdate(), restart + kPeriod);
  game.clock = restart + kPeriod;
  EXPECT_EQ(Pass(), 1);
  EXPECT_DOUBLE_EQ(game.NextUpdate(), restart + 2 * kPeriod);
}

TEST_F(MainLoopTest, RateChangeInsideAnUpdateStopsTheCatchUp) {
  game.SetUpdateRate(51);
  EXPECT_EQ(Pass(), 1);
  delegate.onUpdate = [&] {
    game.SetUpdateRate(30);
    delegate.onUpdate = nullptr;
  };
  game.clock += 1.0;
  EXPECT_EQ(Pass(), 1);
  EXPECT_EQ(game.NextUpdate(), 0.0);
  EXPECT_EQ(game.SleepTime(), 0.0);
  EXPECT_EQ(Pass(), 1);
  EXPECT_DOUBLE_EQ(game.NextUpdate(), game.clock + 1.0 / 30);
}

TEST_F(MainLoopTest, RateZeroRunsOneUpdatePerPassAndNeverSleeps) {
  game.SetUpdateRate(51);
  game.SetUpdateRate(0);
  EXPECT_EQ(game.UpdateRate(), 0);
  EXPECT_DOUBLE_EQ(game.UpdatePeriod(), kPeriod);  // no division by zero
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Pass(), 1);
    EXPECT_EQ(game.SleepTime(), 0.0);
    game.clock += 5.0;
  }
}

}  // namespace

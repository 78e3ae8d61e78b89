// The host's event entry points: which calls reach the delegate in which state, and the
// delegate's own rules (the close key, the application object).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/game.h"
#include "tests/e2e/process.h"

namespace {

class RecordingDelegate : public BBGameDelegate {
 public:
  void StartGame() override { log.push_back("start"); }
  void SuspendGame() override { log.push_back("suspend"); }
  void ResumeGame() override { log.push_back("resume"); }
  void UpdateGame() override { log.push_back("update"); }
  void RenderGame() override { log.push_back("render"); }
  void KeyEvent(int event, int data) override {
    log.push_back("key " + std::to_string(event) + " " + std::to_string(data));
  }
  void MouseEvent(int event, int data, float x, float y, float z) override {
    log.push_back("mouse " + std::to_string(event) + " " + std::to_string(data) + " " +
                  std::to_string(static_cast<int>(x)) + " " + std::to_string(static_cast<int>(y)) +
                  " " + std::to_string(static_cast<int>(z)));
  }
  void TouchEvent(int, int, float, float) override { log.push_back("touch"); }
  void MotionEvent(int, int, float, float, float) override { log.push_back("motion"); }
  void DiscardGraphics() override { log.push_back("discard"); }
  std::vector<std::string> log;
};

void SendEverything(BBGame& game) {
  game.UpdateGame();
  game.RenderGame();
  game.KeyEvent(EVENT_KEY_DOWN, 65);
  game.MouseEvent(EVENT_MOUSE_DOWN, 0, 10, 20, 0);
  game.TouchEvent(EVENT_TOUCH_DOWN, 0, 1, 2);
  game.MotionEvent(EVENT_MOTION_ACCEL, 0, 1, 2, 3);
  game.DiscardGraphics();
}

using Log = std::vector<std::string>;

TEST(EntryPoints, EventsBeforeStartAreDropped) {
  BBGame game;
  RecordingDelegate delegate;
  game.SetDelegate(&delegate);
  SendEverything(game);
  game.SuspendGame();
  game.ResumeGame();
  EXPECT_EQ(delegate.log, Log{});
  EXPECT_FALSE(game.Started());
}

TEST(EntryPoints, StartRunsOnceThenEverythingIsForwarded) {
  BBGame game;
  RecordingDelegate delegate;
  game.SetDelegate(&delegate);
  game.StartGame();
  game.StartGame();
  EXPECT_TRUE(game.Started());
  SendEverything(game);
  EXPECT_EQ(delegate.log, (Log{"start", "update", "render", "key 1 65", "mouse 4 0 10 20 0",
                               "touch", "motion", "discard"}));
}

TEST(EntryPoints, SuspendedGameRendersButDoesNotUpdate) {
  BBGame game;
  RecordingDelegate delegate;
  game.SetDelegate(&delegate);
  game.StartGame();
  game.ResumeGame();  // not suspended: nothing
  game.SuspendGame();
  game.SuspendGame();  // already suspended: nothing
  EXPECT_TRUE(game.Suspended());
  game.UpdateGame();
  game.RenderGame();
  game.KeyEvent(EVENT_KEY_UP, 65);
  game.ResumeGame();
  game.ResumeGame();
  game.UpdateGame();
  EXPECT_FALSE(game.Suspended());
  EXPECT_EQ(delegate.log, (Log{"start", "suspend", "render", "key 2 65", "resume", "update"}));
}

// The delegate's key-down rule: the back key (416) and the close key (432) end the program at
// once with status 0 and no output; every other key-down goes on.
TEST(GameDelegate, BackAndCloseKeysEndTheProgramWithStatusZero) {
  struct Case {
    int key;
    int status;
  };
  const Case cases[] = {{416, 0}, {432, 0}, {400, 7}, {448, 7}, {417, 7}, {27, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    vexa_test::ProcessOptions options;
    options.argv = {HOST_HELPER, "key-down", std::to_string(c.key)};
    const vexa_test::ProcessResult result = vexa_test::RunProcess(options);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, c.status);
    EXPECT_EQ(result.out, "");
  }
}

TEST(App, SecondApplicationObjectIsARuntimeError) {
  vexa_test::ProcessOptions options;
  options.argv = {HOST_HELPER, "second-app"};
  options.stdinText = std::nullopt;
  const vexa_test::ProcessResult result = vexa_test::RunProcess(options);
  EXPECT_TRUE(result.exited);
  EXPECT_EQ(result.exitStatus, 255);
  EXPECT_EQ(result.out, "Taliscor Runtime Error : App has already been created\n\n");
  EXPECT_EQ(result.err, "{{~~~~}}\n\n");
}

}  // namespace

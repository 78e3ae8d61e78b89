// The input state between two updates: press counting, the hit and character queues, the
// mouse/finger mirror, range checks and joystick polling.
#include "host/input/input_device.h"

#include <gtest/gtest.h>

#include <memory>

#include "host/app.h"
#include "host/game.h"
#include "host/input/key_codes.h"

namespace {

class InputDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { SetInputDevice(&input); }
  void TearDown() override { SetInputDevice(nullptr); }
  c_InputDevice input;
};

TEST_F(InputDeviceTest, PressesAreCountedOncePerPressUntilTheUpdateEnds) {
  input.PutKeyHit('A');
  input.PutKeyRelease('A');
  input.PutKeyHit('B');
  input.PutKeyRelease('B');
  input.PutKeyHit('B');
  input.PutKeyHit('C');
  input.PutKeyHit('C');  // auto-repeat: still held, not counted again
  EXPECT_EQ(KeyHitCount('A'), 1);
  EXPECT_FALSE(IsKeyDown('A'));
  EXPECT_EQ(KeyHitCount('B'), 2);
  EXPECT_TRUE(IsKeyDown('B'));
  EXPECT_EQ(KeyHitCount('C'), 1);
  input.EndUpdate();
  EXPECT_EQ(KeyHitCount('B'), 0);
  EXPECT_EQ(KeyHitCount('C'), 0);
  EXPECT_TRUE(IsKeyDown('C'));  // held state persists across updates
}

TEST_F(InputDeviceTest, HitQueueHoldsThirtyThreePresses) {
  for (int i = 0; i < 34; ++i) input.PutKeyHit(40 + i);
  for (int i = 0; i < 33; ++i) EXPECT_EQ(KeyHitCount(40 + i), 1) << i;
  EXPECT_EQ(KeyHitCount(40 + 33), 0);  // the 34th is held but not counted
  EXPECT_TRUE(IsKeyDown(40 + 33));
  input.EndUpdate();
  for (int i = 0; i < 34; ++i) EXPECT_EQ(KeyHitCount(40 + i), 0) << i;
  input.PutKeyHit(200);
  EXPECT_EQ(KeyHitCount(200), 1);  // the queue is empty again
}

TEST_F(InputDeviceTest, CharacterQueueHoldsThirtyTwoCharacters) {
  for (int i = 0; i < 33; ++i) input.PutChar('a' + i);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(NextChar(), 'a' + i);
  EXPECT_EQ(NextChar(), 0);  // the 33rd was dropped
  input.EndUpdate();
  input.PutChar('x');
  input.PutChar(65536 + KEY_LEFT);
  input.EndUpdate();  // unread characters are gone after the update
  EXPECT_EQ(NextChar(), 0);
  input.PutChar(65536 + KEY_LEFT);
  EXPECT_EQ(NextChar(), 65536 + KEY_LEFT);
}

TEST_F(InputDeviceTest, LeftButtonAndFirstFingerMirrorEachOther) {
  input.PutKeyHit(KEY_LMB);
  EXPECT_EQ(MouseHitCount(0), 1);
  EXPECT_EQ(KeyHitCount(KEY_TOUCH0), 1);
  EXPECT_TRUE(IsKeyDown(KEY_TOUCH0));
  input.PutKeyRelease(KEY_LMB);
  EXPECT_FALSE(IsKeyDown(KEY_TOUCH0));
  input.EndUpdate();

  // Every press of either code holds and counts both; a release of either lifts both.
  input.PutKeyHit(KEY_TOUCH0);
  EXPECT_EQ(KeyHitCount(KEY_LMB), 1);
  input.PutKeyRelease(KEY_LMB);  // releasing the button also lifts the finger
  EXPECT_FALSE(IsKeyDown(KEY_TOUCH0));
  input.PutKeyHit(KEY_TOUCH0 + 0);
  input.PutKeyRelease(KEY_LMB);
  input.PutKeyHit(KEY_TOUCH0);
  input.PutKeyHit(KEY_LMB);  // already held through the mirror: nothing
  EXPECT_EQ(KeyHitCount(KEY_LMB), 3);
  EXPECT_EQ(KeyHitCount(KEY_TOUCH0), 3);
  input.EndUpdate();

  // With one place left in the queue the mirror is held but not counted.
  input.PutKeyRelease(KEY_TOUCH0);
  for (int i = 0; i < 32; ++i) input.PutKeyHit(100 + i);
  input.PutKeyHit(KEY_LMB);
  EXPECT_EQ(KeyHitCount(KEY_LMB), 1);
  EXPECT_EQ(KeyHitCount(KEY_TOUCH0), 0);
  EXPECT_TRUE(IsKeyDown(KEY_TOUCH0));
}

TEST_F(InputDeviceTest, QueriesOutsideTheKeyRangeReadAsNothing) {
  input.PutKeyHit(0);
  input.PutKeyHit(511);
  EXPECT_FALSE(IsKeyDown(0));
  EXPECT_EQ(KeyHitCount(0), 0);
  EXPECT_FALSE(IsKeyDown(512));
  EXPECT_EQ(KeyHitCount(512), 0);
  EXPECT_EQ(KeyHitCount(-1), 0);
  EXPECT_EQ(MouseHitCount(-1), 0);
  EXPECT_EQ(MouseHitCount(511), 0);
  EXPECT_EQ(MouseHitCount(510), 1);  // code 511
  EXPECT_TRUE(IsKeyDown(511));
}

TEST_F(InputDeviceTest, EventsOutsideTheRangesChangeNothing) {
  for (int key : {-1, 512, 100000, -100000}) {
    input.PutKeyHit(key);
    input.PutKeyRelease(key);
  }
  for (int finger : {-1, 32, 1000}) input.SetTouch(finger, 5, 6);
  EXPECT_EQ(input.TouchX(32), 0);
  EXPECT_EQ(MouseX(), 0);
  EXPECT_EQ(input.JoyState(4), nullptr);
  EXPECT_EQ(input.JoyState(-1), nullptr);
  // The queue took none of them.
  for (int i = 0; i < 33; ++i) input.PutKeyHit(10 + i);
  EXPECT_EQ(KeyHitCount(42), 1);
}

TEST_F(InputDeviceTest, NoDeviceReadsAsNothing) {
  SetInputDevice(nullptr);
  EXPECT_FALSE(IsKeyDown(65));
  EXPECT_EQ(KeyHitCount(65), 0);
  EXPECT_EQ(MouseHitCount(0), 0);
  EXPECT_EQ(NextChar(), 0);
  EXPECT_EQ(MouseX(), 0);
}

// The delegate's event handling on top of the device.
class DelegateInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    delegate.input = std::make_unique<c_InputDevice>();
    SetInputDevice(delegate.input.get());
  }
  c_GameDelegate delegate;
};

TEST_F(DelegateInputTest, MouseAndTouchEventsMoveThePointer) {
  delegate.MouseEvent(EVENT_MOUSE_MOVE, -1, 100, 50, 0);
  EXPECT_EQ(MouseX(), 100);
  EXPECT_EQ(MouseY(), 50);
  delegate.MouseEvent(EVENT_MOUSE_DOWN, 1, 120, 60, 0);  // right button: code 2
  EXPECT_EQ(MouseHitCount(1), 1);
  EXPECT_EQ(KeyHitCount(KEY_RMB), 1);
  EXPECT_EQ(MouseX(), 120);
  delegate.MouseEvent(EVENT_MOUSE_UP, 1, 300, 300, 0);  // a release does not move the pointer
  EXPECT_FALSE(IsKeyDown(KEY_RMB));
  EXPECT_EQ(MouseX(), 120);
  EXPECT_EQ(delegate.input->TouchX(0), 120);

  // A wheel turn reads as a move to (0, 0) with the offset in z.
  delegate.MouseEvent(EVENT_MOUSE_MOVE, -1, 0, 0, 3);
  EXPECT_EQ(MouseX(), 0);
  EXPECT_EQ(MouseY(), 0);
  EXPECT_EQ(delegate.input->MouseZ(), 3);

  delegate.TouchEvent(EVENT_TOUCH_MOVE, 5, 7, 8);
  EXPECT_EQ(delegate.input->TouchX(5), 7);
  EXPECT_EQ(MouseX(), 0);  // only finger 0 moves the pointer
  delegate.TouchEvent(EVENT_TOUCH_DOWN, 0, 9, 10);
  EXPECT_EQ(MouseX(), 9);
  EXPECT_EQ(MouseHitCount(0), 1);  // finger 0 counts as the left button too

  delegate.TouchEvent(EVENT_TOUCH_DOWN, 40, 1, 1);  // no such finger
  EXPECT_EQ(KeyHitCount(KEY_TOUCH0 + 40), 0);
  EXPECT_FALSE(IsKeyDown(KEY_TOUCH0 + 40));

  delegate.MotionEvent(EVENT_MOTION_ACCEL, 0, 0.5f, -1, 2);
  EXPECT_EQ(delegate.input->AccelY(), -1);
}

TEST_F(DelegateInputTest, KeysAndCharacters) {
  // Both shift keys report code 16: releasing one clears it even while the other is held.
  delegate.KeyEvent(EVENT_KEY_DOWN, KEY_SHIFT);
  delegate.KeyEvent(EVENT_KEY_DOWN, KEY_SHIFT);
  delegate.KeyEvent(EVENT_KEY_UP, KEY_SHIFT);
  EXPECT_FALSE(IsKeyDown(KEY_SHIFT));
  EXPECT_EQ(KeyHitCount(KEY_SHIFT), 1);
  delegate.KeyEvent(EVENT_KEY_CHAR, 0x20AC);
  EXPECT_EQ(NextChar(), 0x20AC);
}

// A host whose port 0 has a joystick with scripted buttons and whose port 1 has none.
class JoystickGame : public BBGame {
 public:
  bool PollJoystick(int port, float joyX[2], float*, float*, bool buttons[32]) override {
    ++polls[port];
    if (port != 0) return false;
    joyX[0] = 0.5f;
    for (int b = 0; b < 32; ++b) buttons[b] = b == pressed;
    return true;
  }
  int pressed = -1;
  int polls[4] = {};
};

TEST_F(InputDeviceTest, JoystickButtonsArePolledAtTheStartOfEachUpdate) {
  JoystickGame game;
  game.pressed = 3;
  input.BeginUpdate();
  EXPECT_EQ(game.polls[0], 1);
  EXPECT_EQ(game.polls[1], 1);
  EXPECT_EQ(game.polls[2], 0);  // polling stops at the first port without a joystick
  const int code = KEY_JOY0_A + 3;
  EXPECT_TRUE(IsKeyDown(code));
  EXPECT_EQ(KeyHitCount(code), 1);
  EXPECT_EQ(input.JoyState(0)->joyX[0], 0.5f);
  input.EndUpdate();
  input.BeginUpdate();  // still held: not counted again
  EXPECT_EQ(KeyHitCount(code), 0);
  EXPECT_TRUE(IsKeyDown(code));
  input.EndUpdate();
  game.pressed = -1;
  input.BeginUpdate();
  EXPECT_FALSE(IsKeyDown(code));
}

}  // namespace

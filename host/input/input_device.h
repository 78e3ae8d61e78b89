// The input state the application reads during its update hook: held keys, presses and typed
// characters since the previous update, the mouse position and the joysticks.
#pragma once

class c_JoyState {
 public:
  float joyX[2] = {0, 0};
  float joyY[2] = {0, 0};
  float joyZ[2] = {0, 0};
  bool buttons[32] = {};
};

class c_InputDevice {
 public:
  static constexpr int KEY_COUNT = 512;
  static constexpr int HIT_QUEUE_SIZE = 33;
  static constexpr int CHAR_QUEUE_SIZE = 32;
  static constexpr int JOY_PORTS = 4;
  static constexpr int TOUCH_FINGERS = 32;

  c_InputDevice();
  ~c_InputDevice();

  // Device operations (driven by the delegate's event handling). Codes outside 0-511 and
  // fingers outside 0-31 are ignored.
  void PutKeyHit(int key);  // press: counted once per press, queue permitting
  void PutKeyRelease(int key);
  void PutChar(int chr);
  void SetMouse(float x, float y, float z);     // also finger 0
  void SetTouch(int finger, float x, float y);  // finger 0 also moves the mouse
  void SetAccel(float x, float y, float z);
  void BeginUpdate();  // poll the joysticks
  void EndUpdate();    // clear press counters and the character queue

  // Queries; codes outside 1-511 read as not held and not hit.
  bool KeyDown(int key) const;
  int KeyHit(int key) const;
  int GetChar();
  float MouseX() const { return mouseX; }
  float MouseY() const { return mouseY; }
  float MouseZ() const { return mouseZ; }
  float TouchX(int finger) const;
  float TouchY(int finger) const;
  float AccelX() const { return accelX; }
  float AccelY() const { return accelY; }
  float AccelZ() const { return accelZ; }
  // The state of joystick port 0-3; none for any other port.
  c_JoyState* JoyState(int port);

 private:
  // Raises the key's counter and queues it, unless the queue is full.
  void CountHit(int key);

  c_JoyState joyStates[JOY_PORTS];
  bool keyDown[KEY_COUNT] = {};
  int keyHitQueueCount = 0;
  int keyHitQueue[HIT_QUEUE_SIZE] = {};
  int keyHit[KEY_COUNT] = {};
  int charGet = 0;
  int charPut = 0;
  int charQueue[CHAR_QUEUE_SIZE] = {};
  float mouseX = 0;
  float mouseY = 0;
  float mouseZ = 0;
  float touchX[TOUCH_FINGERS] = {};
  float touchY[TOUCH_FINGERS] = {};
  float accelX = 0;
  float accelY = 0;
  float accelZ = 0;
};

// The process-wide input device (set by the delegate's StartGame).
c_InputDevice* InputDevice();
void SetInputDevice(c_InputDevice* device);

// Queries for the application over the process-wide input device; with no device they read as
// nothing held, nothing hit, no character and the pointer at (0, 0).
bool IsKeyDown(int key);
int KeyHitCount(int key);
int MouseHitCount(int button);
float MouseX();
float MouseY();
int NextChar();

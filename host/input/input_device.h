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

  c_InputDevice();
  ~c_InputDevice();

  // Device operations (driven by the delegate's event handling).
  void PutKeyHit(int key);  // press: counted once per press, queue permitting
  void PutKeyRelease(int key);
  void PutChar(int chr);
  void SetMouse(float x, float y, float z);
  void SetTouch(int finger, float x, float y);
  void SetAccel(float x, float y, float z);
  void BeginUpdate();  // poll the joysticks
  void EndUpdate();    // clear press counters and the character queue

  // Queries.
  bool KeyDown(int key) const;
  int KeyHit(int key) const;
  int GetChar();
  float MouseX() const { return mouseX; }
  float MouseY() const { return mouseY; }
  float MouseZ() const { return mouseZ; }
  float TouchX(int finger) const;
  float TouchY(int finger) const;
  c_JoyState* JoyState(int port) { return joyStates[port]; }

 private:
  c_JoyState* joyStates[4];
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
  float touchX[32] = {};
  float touchY[32] = {};
  float accelX = 0;
  float accelY = 0;
  float accelZ = 0;
};

// The process-wide input device (set by the delegate's StartGame).
c_InputDevice* InputDevice();
void SetInputDevice(c_InputDevice* device);

// Queries for the application over the process-wide input device.
bool IsKeyDown(int key);
int KeyHitCount(int key);
int MouseHitCount(int button);
float MouseX();
float MouseY();
int NextChar();

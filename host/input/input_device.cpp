#include "host/input/input_device.h"

#include "host/game.h"
#include "host/input/key_codes.h"

namespace {

c_InputDevice* theInputDevice = nullptr;

bool ValidCode(int key) {
  return key >= 0 && key < c_InputDevice::KEY_COUNT;
}
bool QueryableCode(int key) {
  return key >= 1 && key < c_InputDevice::KEY_COUNT;
}
bool ValidFinger(int finger) {
  return finger >= 0 && finger < c_InputDevice::TOUCH_FINGERS;
}

}  // namespace

c_InputDevice::c_InputDevice() = default;
c_InputDevice::~c_InputDevice() {
  if (theInputDevice == this) theInputDevice = nullptr;
}

void c_InputDevice::CountHit(int key) {
  if (keyHitQueueCount >= HIT_QUEUE_SIZE) return;
  keyHit[key] += 1;
  keyHitQueue[keyHitQueueCount++] = key;
}

void c_InputDevice::PutKeyHit(int key) {
  if (!ValidCode(key) || keyDown[key]) return;  // auto-repeat is not counted
  keyDown[key] = true;
  CountHit(key);
  // The left mouse button and the first finger are one input: each press also holds and counts
  // the other, even if it was already held.
  int mirror = 0;
  if (key == KEY_LMB) mirror = KEY_TOUCH0;
  if (key == KEY_TOUCH0) mirror = KEY_LMB;
  if (mirror != 0) {
    keyDown[mirror] = true;
    CountHit(mirror);
  }
}

void c_InputDevice::PutKeyRelease(int key) {
  if (!ValidCode(key) || !keyDown[key]) return;
  keyDown[key] = false;
  if (key == KEY_LMB) keyDown[KEY_TOUCH0] = false;
  if (key == KEY_TOUCH0) keyDown[KEY_LMB] = false;
}

void c_InputDevice::PutChar(int chr) {
  if (charPut < CHAR_QUEUE_SIZE) charQueue[charPut++] = chr;
}

void c_InputDevice::SetMouse(float x, float y, float z) {
  mouseX = x;
  mouseY = y;
  mouseZ = z;
  touchX[0] = x;
  touchY[0] = y;
}

void c_InputDevice::SetTouch(int finger, float x, float y) {
  if (!ValidFinger(finger)) return;
  touchX[finger] = x;
  touchY[finger] = y;
  if (finger == 0) {
    mouseX = x;
    mouseY = y;
  }
}

void c_InputDevice::SetAccel(float x, float y, float z) {
  accelX = x;
  accelY = y;
  accelZ = z;
}

void c_InputDevice::BeginUpdate() {
  BBGame* game = BBGame::Game();
  if (!game) return;
  for (int port = 0; port < JOY_PORTS; ++port) {
    c_JoyState& joy = joyStates[port];
    // The first port without a joystick ends the scan; later ports keep their state.
    if (!game->PollJoystick(port, joy.joyX, joy.joyY, joy.joyZ, joy.buttons)) break;
    for (int b = 0; b < 32; ++b) {
      const int code = KEY_JOY0_A + 32 * port + b;
      if (!joy.buttons[b]) {
        keyDown[code] = false;
      } else if (!keyDown[code]) {
        keyDown[code] = true;
        CountHit(code);
      }
    }
  }
}

void c_InputDevice::EndUpdate() {
  for (int i = 0; i < keyHitQueueCount; ++i) keyHit[keyHitQueue[i]] = 0;
  keyHitQueueCount = 0;
  charGet = 0;
  charPut = 0;
}

bool c_InputDevice::KeyDown(int key) const {
  return QueryableCode(key) && keyDown[key];
}

int c_InputDevice::KeyHit(int key) const {
  return QueryableCode(key) ? keyHit[key] : 0;
}

int c_InputDevice::GetChar() {
  if (charGet == charPut) return 0;
  return charQueue[charGet++];
}

float c_InputDevice::TouchX(int finger) const {
  return ValidFinger(finger) ? touchX[finger] : 0;
}
float c_InputDevice::TouchY(int finger) const {
  return ValidFinger(finger) ? touchY[finger] : 0;
}

c_JoyState* c_InputDevice::JoyState(int port) {
  return port >= 0 && port < JOY_PORTS ? &joyStates[port] : nullptr;
}

c_InputDevice* InputDevice() {
  return theInputDevice;
}
void SetInputDevice(c_InputDevice* device) {
  theInputDevice = device;
}

bool IsKeyDown(int key) {
  return theInputDevice && theInputDevice->KeyDown(key);
}

int KeyHitCount(int key) {
  return theInputDevice ? theInputDevice->KeyHit(key) : 0;
}

int MouseHitCount(int button) {
  if (!theInputDevice || button < 0 || button > 510) return 0;
  return theInputDevice->KeyHit(button + 1);
}

float MouseX() {
  return theInputDevice ? theInputDevice->MouseX() : 0;
}
float MouseY() {
  return theInputDevice ? theInputDevice->MouseY() : 0;
}

int NextChar() {
  return theInputDevice ? theInputDevice->GetChar() : 0;
}

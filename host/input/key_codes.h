// Key codes shared by the host and the input state: Windows virtual-key codes for keyboard
// keys, 1-3 for mouse buttons, 256-383 joystick buttons, 384-415 touch fingers, 416 back and
// 432 window close.
#pragma once

enum KeyCode {
  KEY_LMB = 1,
  KEY_RMB = 2,
  KEY_MMB = 3,
  KEY_BACKSPACE = 8,
  KEY_TAB = 9,
  KEY_ENTER = 13,
  KEY_SHIFT = 16,
  KEY_CONTROL = 17,
  KEY_ESCAPE = 27,
  KEY_SPACE = 32,
  KEY_PAGEUP = 33,
  KEY_PAGEDOWN = 34,
  KEY_END = 35,
  KEY_HOME = 36,
  KEY_LEFT = 37,
  KEY_UP = 38,
  KEY_RIGHT = 39,
  KEY_DOWN = 40,
  KEY_INSERT = 45,
  KEY_DELETE = 46,
  KEY_F1 = 112,
  KEY_F2 = 113,
  KEY_F3 = 114,
  KEY_F4 = 115,
  KEY_F5 = 116,
  KEY_F6 = 117,
  KEY_F7 = 118,
  KEY_F8 = 119,
  KEY_F9 = 120,
  KEY_F10 = 121,
  KEY_F11 = 122,
  KEY_F12 = 123,
  KEY_JOY0_A = 256,
  KEY_TOUCH0 = 384,
  KEY_BACK = 416,
  KEY_CLOSE = 432,
};

// Characters delivered for navigation keys are 65536 + the key code.
constexpr int NAVIGATION_CHAR_BASE = 65536;

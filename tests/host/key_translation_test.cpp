// The GLFW key table and the characters that key presses deliver.
#include "host/input/key_translation.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

namespace {

TEST(KeyTranslation, GlfwKeysToKeyCodes) {
  struct Case {
    int glfw;
    int code;
  };
  const Case cases[] = {
      {GLFW_KEY_0, 48},
      {GLFW_KEY_9, 57},
      {GLFW_KEY_A, 65},
      {GLFW_KEY_Z, 90},
      {GLFW_KEY_SPACE, 32},
      {GLFW_KEY_APOSTROPHE, 222},
      {GLFW_KEY_COMMA, 188},
      {GLFW_KEY_MINUS, 189},
      {GLFW_KEY_PERIOD, 190},
      {GLFW_KEY_SLASH, 191},
      {GLFW_KEY_SEMICOLON, 186},
      {GLFW_KEY_EQUAL, 187},
      {GLFW_KEY_LEFT_BRACKET, 219},
      {GLFW_KEY_BACKSLASH, 220},
      {GLFW_KEY_RIGHT_BRACKET, 221},
      {GLFW_KEY_GRAVE_ACCENT, 192},
      {GLFW_KEY_ESCAPE, 27},
      {GLFW_KEY_ENTER, 13},
      {GLFW_KEY_TAB, 9},
      {GLFW_KEY_BACKSPACE, 8},
      {GLFW_KEY_INSERT, 45},
      {GLFW_KEY_DELETE, 46},
      {GLFW_KEY_RIGHT, 39},
      {GLFW_KEY_LEFT, 37},
      {GLFW_KEY_DOWN, 40},
      {GLFW_KEY_UP, 38},
      {GLFW_KEY_PAGE_UP, 33},
      {GLFW_KEY_PAGE_DOWN, 34},
      {GLFW_KEY_HOME, 36},
      {GLFW_KEY_END, 35},
      {GLFW_KEY_F1, 112},
      {GLFW_KEY_F12, 123},
      {GLFW_KEY_KP_0, 96},
      {GLFW_KEY_KP_9, 105},
      {GLFW_KEY_KP_DECIMAL, 110},
      {GLFW_KEY_KP_DIVIDE, 111},
      {GLFW_KEY_KP_MULTIPLY, 106},
      {GLFW_KEY_KP_SUBTRACT, 109},
      {GLFW_KEY_KP_ADD, 107},
      {GLFW_KEY_LEFT_SHIFT, 16},
      {GLFW_KEY_RIGHT_SHIFT, 16},
      {GLFW_KEY_LEFT_CONTROL, 17},
      {GLFW_KEY_RIGHT_CONTROL, 17},
      // Keys the program ignores.
      {GLFW_KEY_UNKNOWN, 0},
      {GLFW_KEY_WORLD_1, 0},
      {GLFW_KEY_WORLD_2, 0},
      {GLFW_KEY_CAPS_LOCK, 0},
      {GLFW_KEY_SCROLL_LOCK, 0},
      {GLFW_KEY_NUM_LOCK, 0},
      {GLFW_KEY_PRINT_SCREEN, 0},
      {GLFW_KEY_PAUSE, 0},
      {GLFW_KEY_F13, 0},
      {GLFW_KEY_F25, 0},
      {GLFW_KEY_KP_ENTER, 0},
      {GLFW_KEY_KP_EQUAL, 0},
      {GLFW_KEY_LEFT_ALT, 0},
      {GLFW_KEY_RIGHT_ALT, 0},
      {GLFW_KEY_LEFT_SUPER, 0},
      {GLFW_KEY_MENU, 0},
      {33, 0},
      {58, 0},
      {64, 0},
      {94, 0},
      {255, 0},
      {349, 0},
      {100000, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(TranslateGlfwKey(c.glfw), c.code) << "GLFW key " << c.glfw;
  // The ranges, key by key.
  for (int i = 0; i < 26; ++i) EXPECT_EQ(TranslateGlfwKey(GLFW_KEY_A + i), 65 + i) << i;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(TranslateGlfwKey(GLFW_KEY_0 + i), 48 + i) << i;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(TranslateGlfwKey(GLFW_KEY_KP_0 + i), 96 + i) << i;
  for (int i = 0; i < 12; ++i) EXPECT_EQ(TranslateGlfwKey(GLFW_KEY_F1 + i), 112 + i) << i;
}

TEST(KeyTranslation, CharactersDeliveredWithKeyPresses) {
  struct Case {
    int code;
    int character;
  };
  const Case cases[] = {
      {8, 8},           {9, 9},           {13, 13},         {27, 27},         {46, 127},
      {33, 65536 + 33}, {34, 65536 + 34}, {35, 65536 + 35}, {36, 65536 + 36}, {37, 65536 + 37},
      {38, 65536 + 38}, {39, 65536 + 39}, {40, 65536 + 40}, {45, 65536 + 45}, {32, 0},
      {65, 0},          {16, 0},          {112, 0},         {41, 0},          {44, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(KeyPressCharacter(c.code), c.character) << c.code;
}

}  // namespace

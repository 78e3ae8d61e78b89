#include "host/input/key_translation.h"

#include <GLFW/glfw3.h>

#include "host/input/key_codes.h"

int TranslateGlfwKey(int glfwKey) {
  if (glfwKey >= GLFW_KEY_0 && glfwKey <= GLFW_KEY_9) return glfwKey;
  if (glfwKey >= GLFW_KEY_A && glfwKey <= GLFW_KEY_Z) return glfwKey;
  if (glfwKey >= GLFW_KEY_F1 && glfwKey <= GLFW_KEY_F12) return KEY_F1 + (glfwKey - GLFW_KEY_F1);
  if (glfwKey >= GLFW_KEY_KP_0 && glfwKey <= GLFW_KEY_KP_9) return 96 + (glfwKey - GLFW_KEY_KP_0);
  switch (glfwKey) {
    case GLFW_KEY_SPACE: return KEY_SPACE;
    case GLFW_KEY_APOSTROPHE: return 222;
    case GLFW_KEY_COMMA: return 188;
    case GLFW_KEY_MINUS: return 189;
    case GLFW_KEY_PERIOD: return 190;
    case GLFW_KEY_SLASH: return 191;
    case GLFW_KEY_SEMICOLON: return 186;
    case GLFW_KEY_EQUAL: return 187;
    case GLFW_KEY_LEFT_BRACKET: return 219;
    case GLFW_KEY_BACKSLASH: return 220;
    case GLFW_KEY_RIGHT_BRACKET: return 221;
    case GLFW_KEY_GRAVE_ACCENT: return 192;
    case GLFW_KEY_ESCAPE: return KEY_ESCAPE;
    case GLFW_KEY_ENTER: return KEY_ENTER;
    case GLFW_KEY_TAB: return KEY_TAB;
    case GLFW_KEY_BACKSPACE: return KEY_BACKSPACE;
    case GLFW_KEY_INSERT: return KEY_INSERT;
    case GLFW_KEY_DELETE: return KEY_DELETE;
    case GLFW_KEY_RIGHT: return KEY_RIGHT;
    case GLFW_KEY_LEFT: return KEY_LEFT;
    case GLFW_KEY_DOWN: return KEY_DOWN;
    case GLFW_KEY_UP: return KEY_UP;
    case GLFW_KEY_PAGE_UP: return KEY_PAGEUP;
    case GLFW_KEY_PAGE_DOWN: return KEY_PAGEDOWN;
    case GLFW_KEY_HOME: return KEY_HOME;
    case GLFW_KEY_END: return KEY_END;
    case GLFW_KEY_KP_DECIMAL: return 110;
    case GLFW_KEY_KP_DIVIDE: return 111;
    case GLFW_KEY_KP_MULTIPLY: return 106;
    case GLFW_KEY_KP_SUBTRACT: return 109;
    case GLFW_KEY_KP_ADD: return 107;
    case GLFW_KEY_LEFT_SHIFT:
    case GLFW_KEY_RIGHT_SHIFT: return KEY_SHIFT;
    case GLFW_KEY_LEFT_CONTROL:
    case GLFW_KEY_RIGHT_CONTROL: return KEY_CONTROL;
    default: return 0;
  }
}

int KeyPressCharacter(int keyCode) {
  switch (keyCode) {
    case KEY_BACKSPACE:
    case KEY_TAB:
    case KEY_ENTER:
    case KEY_ESCAPE: return keyCode;
    case KEY_DELETE: return 127;
    default: break;
  }
  if ((keyCode >= KEY_PAGEUP && keyCode <= KEY_DOWN) || keyCode == KEY_INSERT) {
    return NAVIGATION_CHAR_BASE + keyCode;
  }
  return 0;
}

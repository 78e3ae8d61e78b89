#include "host/dialogs/owner_window.h"

#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>

OwnerWindow::OwnerWindow(GLFWwindow* window) : window(window) {
  if (!window) return;
  hadFocus = glfwGetWindowAttrib(window, GLFW_FOCUSED) != 0;
  nativeId = static_cast<unsigned long>(glfwGetX11Window(window));
}

OwnerWindow::~OwnerWindow() {
  if (window && hadFocus) glfwFocusWindow(window);
}

// The tracker's window while a dialog is open: the dialog is attached to it, and the keyboard
// focus it had is given back when the dialog closes.
#pragma once

struct GLFWwindow;

class OwnerWindow {
 public:
  // Remembers whether window (may be null) has the keyboard focus.
  explicit OwnerWindow(GLFWwindow* window);
  // Gives the focus back to the window when it had it.
  ~OwnerWindow();
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;

  // The window's X11 id for the dialog to attach to; 0 without a window.
  unsigned long NativeId() const { return nativeId; }

 private:
  GLFWwindow* window;
  bool hadFocus = false;
  unsigned long nativeId = 0;
};

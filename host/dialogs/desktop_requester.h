// The requester of a Linux desktop: the desktop's own dialog programs (zenity, else kdialog) run
// as child processes, and each call waits for the dialog to close, like a modal dialog.
#pragma once

#include <functional>
#include <string>

#include "host/dialogs/requester.h"

struct GLFWwindow;

class DesktopRequester : public Requester {
 public:
  // programFolder gives the program's folder, where a relative start folder is looked for when
  // the current folder lacks it (may be empty); ownerWindow gives the window the dialogs belong
  // to (may be empty or return null); searchPath is where the dialog programs are looked for,
  // empty for the PATH variable.
  explicit DesktopRequester(std::function<String()> programFolder,
                            std::function<GLFWwindow*()> ownerWindow = {},
                            std::string searchPath = std::string());

  // Opening accepts only existing files: a name that does not exist is answered with a warning
  // and the chooser opens again. Saving asks before replacing a file.
  String RequestFile(const String& title, const String& filter, bool save,
                     const String& initialPath) override;
  bool ConfirmDialog(const String& title, const String& message, bool serious) override;

 private:
  std::string SearchPath() const;

  std::function<String()> programFolder;
  std::function<GLFWwindow*()> ownerWindow;
  std::string searchPath;
};

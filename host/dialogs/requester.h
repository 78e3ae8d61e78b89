// Modal system dialogs: a file chooser and an OK/Cancel confirmation box. Both block the main
// loop until the user answers; a dialog that cannot be shown behaves as cancelled.
#pragma once

#include "runtime/text.h"

class Requester {
 public:
  virtual ~Requester() = default;
  // The chosen file's full path, or empty text when cancelled. filter is "Description:ext,ext;…".
  virtual String RequestFile(const String& title, const String& filter, bool save,
                             const String& initialPath) = 0;
  // True exactly when the user pressed OK.
  virtual bool ConfirmDialog(const String& title, const String& message, bool serious) = 0;
};

// The requester the application's dialogs go to; the host installs the desktop's one.
void SetRequester(Requester* requester);
Requester* CurrentRequester();

// The application's calls; with no requester installed they behave as cancelled.
String RequestFile(const String& title, const String& filter, bool save,
                   const String& initialPath);
bool ConfirmDialog(const String& title, const String& message, bool serious);

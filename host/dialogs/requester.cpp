#include "host/dialogs/requester.h"

namespace {
Requester* currentRequester = nullptr;
}  // namespace

void SetRequester(Requester* requester) { currentRequester = requester; }
Requester* CurrentRequester() { return currentRequester; }

String RequestFile(const String& title, const String& filter, bool save,
                   const String& initialPath) {
  if (!currentRequester) return String();
  return currentRequester->RequestFile(title, filter, save, initialPath);
}

bool ConfirmDialog(const String& title, const String& message, bool serious) {
  if (!currentRequester) return false;
  return currentRequester->ConfirmDialog(title, message, serious);
}

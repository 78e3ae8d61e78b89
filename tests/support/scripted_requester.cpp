#include "tests/support/scripted_requester.h"

ScriptedRequester::ScriptedRequester() : previous(CurrentRequester()) {
  SetRequester(this);
}

ScriptedRequester::~ScriptedRequester() {
  SetRequester(previous);
}

String ScriptedRequester::RequestFile(const String& title, const String& filter, bool save,
                                      const String& initialPath) {
  Call call{Call::kRequestFile, title, filter, save, initialPath, String(), false};
  calls.push_back(call);
  if (fileAnswers.empty()) return String();
  const String answer = fileAnswers.front();
  fileAnswers.pop_front();
  return answer;
}

bool ScriptedRequester::ConfirmDialog(const String& title, const String& message, bool serious) {
  calls.push_back(Call{Call::kConfirmDialog, title, String(), false, String(), message, serious});
  if (confirmAnswers.empty()) return false;
  const bool answer = confirmAnswers.front();
  confirmAnswers.pop_front();
  return answer;
}

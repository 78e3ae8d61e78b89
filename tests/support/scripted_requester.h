// A requester for tests: answers from a script instead of showing dialogs, and records every
// call so a test can check what the application asked.
#pragma once

#include <deque>
#include <vector>

#include "host/dialogs/requester.h"

class ScriptedRequester : public Requester {
 public:
  struct Call {
    enum Kind { kRequestFile, kConfirmDialog } kind;
    String title;
    String filter;         // RequestFile only
    bool save = false;     // RequestFile only
    String initialPath;    // RequestFile only
    String message;        // ConfirmDialog only
    bool serious = false;  // ConfirmDialog only
  };

  // Installs itself as the current requester and puts the previous one back when destroyed.
  ScriptedRequester();
  ~ScriptedRequester() override;
  ScriptedRequester(const ScriptedRequester&) = delete;
  ScriptedRequester& operator=(const ScriptedRequester&) = delete;

  // Answers for the coming calls, used in order. A call with no answer left is cancelled
  // (empty text, false).
  void AnswerFile(const String& path) { fileAnswers.push_back(path); }
  void AnswerConfirm(bool ok) { confirmAnswers.push_back(ok); }

  String RequestFile(const String& title, const String& filter, bool save,
                     const String& initialPath) override;
  bool ConfirmDialog(const String& title, const String& message, bool serious) override;

  std::vector<Call> calls;

 private:
  Requester* previous;
  std::deque<String> fileAnswers;
  std::deque<bool> confirmAnswers;
};

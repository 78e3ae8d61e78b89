// Runtime errors: the one way the program reports a hard failure and ends.
#pragma once

#include "runtime/text.h"

// Base of everything the program throws. The only thrown type in this program is the stream
// write error; the host's event entry points catch it and end the process through Die.
class ThrowableObject {
 public:
  virtual ~ThrowableObject() = default;
};

// Empty message: ends the process at once with status 0, writing nothing (the program's normal
// way to end from anywhere). Otherwise runs the runtime error report, which ends the process.
[[noreturn]] void RuntimeError(const String& message);

// The runtime error report: "Taliscor Runtime Error : " + message and an empty stack trace line
// on standard output, the debugger stop on standard error, then the debugger command protocol
// on standard input. Ends the process (status -1, or 0 for the command "q").
[[noreturn]] void RuntimeErrorReport(const String& message);

// The report for a throwable that escaped to an event entry point or to main:
// "Taliscor Runtime Error : Uncaught Taliscor Exception", then exit status -1.
[[noreturn]] void ReportUncaughtThrowable();

// The message of the runtime error report for a signal.
const char* SignalMessage(int signal_number);

// Installs one handler for SIGSEGV, SIGILL and SIGFPE that runs the runtime error report.
void InstallSignalHandlers();

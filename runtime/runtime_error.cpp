#include "runtime/runtime_error.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/print.h"

namespace {

// Commands of the debugger protocol are lines of at most this many characters, line end
// included; a longer line counts as unreadable.
constexpr int COMMAND_LINE_LIMIT = 255;

// Ends the process with the status (-1 is seen by the parent as 255). Standard streams and open
// files are flushed on the way out.
[[noreturn]] void EndProcess(int status) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::exit(status);
}

// Reads one command line without its line end; false when the input is closed, fails or the
// line has no line end within the limit.
bool ReadCommandLine(char (&line)[COMMAND_LINE_LIMIT + 1]) {
  if (!std::fgets(line, sizeof line, stdin)) return false;
  size_t length = std::strlen(line);
  if (length == 0 || line[length - 1] != '\n') return false;
  line[--length] = '\0';
  if (length > 0 && line[length - 1] == '\r') line[--length] = '\0';
  return true;
}

// "@" + reference: the reference is a hexadecimal object address ("0x" optional); zero, or
// text that is no address, is the null reference.
bool IsObjectReference(const char* text) {
  char* end = nullptr;
  const unsigned long long address = std::strtoull(text, &end, 16);
  return end != text && address != 0;
}

void SignalHandler(int signal_number) {
  RuntimeErrorReport(FromLatin1(SignalMessage(signal_number)));
}

}  // namespace

void RuntimeError(const String& message) {
  if (message.empty()) EndProcess(0);
  RuntimeErrorReport(message);
}

void RuntimeErrorReport(const String& message) {
  // This program records no stack trace and no debug position: both print as empty text.
  const char* stackTrace = "";
  const char* debugPosition = "";
  for (;;) {
    PrintLine(u"Taliscor Runtime Error : " + message);
    PrintLine(FromLatin1(stackTrace));
    std::fprintf(stderr, "{{~~%s~~}}\n", stackTrace);
    std::fprintf(stderr, "%s\n", debugPosition);
    std::fflush(stderr);

    // A debugger talks through a pipe. On an interactive terminal nobody is there to answer,
    // and waiting for a line would leave the window frozen: end as with no debugger attached.
    if (isatty(STDIN_FILENO)) EndProcess(-1);

    bool repeat = false;
    while (!repeat) {
      char line[COMMAND_LINE_LIMIT + 1];
      if (!ReadCommandLine(line)) EndProcess(-1);
      switch (line[0]) {
        case '?':
          break;
        case '@':
          std::fprintf(stderr, "%s\n", IsObjectReference(line + 1) ? "+Object\n" : "");
          std::fflush(stderr);
          break;
        case 'r':
        case 's':
        case 'e':
        case 'l':
          // There is no debugger to resume into: report again.
          repeat = true;
          break;
        case 'q':
          EndProcess(0);
        default:
          std::printf("????? %s ?????", line);
          EndProcess(-1);
      }
    }
  }
}

void ReportUncaughtThrowable() {
  PrintLine(u"Taliscor Runtime Error : Uncaught Taliscor Exception");
  EndProcess(-1);
}

const char* SignalMessage(int signal_number) {
  switch (signal_number) {
    case SIGSEGV:
      return "Memory access violation";
    case SIGILL:
      return "Illegal instruction";
    case SIGFPE:
      return "Floating point exception";
    default:
      return "Unknown signal";
  }
}

void InstallSignalHandlers() {
  // The handler runs on a stack of its own, so that a stack overflow is reported as well.
  static char alternateStack[64 * 1024];
  stack_t stack;
  std::memset(&stack, 0, sizeof stack);
  stack.ss_sp = alternateStack;
  stack.ss_size = sizeof alternateStack;
  sigaltstack(&stack, nullptr);

  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = SignalHandler;
  action.sa_flags = SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGSEGV, SIGILL, SIGFPE}) sigaction(signal_number, &action, nullptr);
}

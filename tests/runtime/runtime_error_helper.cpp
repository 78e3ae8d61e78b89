// Runs one failure scenario named by the first argument; the tests read what it writes on the
// standard streams and how it ends.
#include <cstdio>
#include <cstring>
#include <string>

#include "host/game.h"
#include "runtime/data_buffer.h"
#include "runtime/print.h"
#include "runtime/runtime_error.h"
#include "runtime/stream.h"

namespace {

// A delegate whose key events write text to a stream that is already closed.
class WritesToClosedStream : public BBGameDelegate {
 public:
  void KeyEvent(int, int) override {
    c_FileStream stream(nullptr);
    stream.WriteText(u"lost", u"utf8");
  }
};

__attribute__((no_sanitize("undefined"))) int Divide(volatile int a, volatile int b) {
  return a / b;
}

__attribute__((no_sanitize("address", "undefined"))) void WriteThroughNull() {
  volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string scenario = argc > 1 ? argv[1] : "";
  const std::string argument = argc > 2 ? argv[2] : "";
  if (scenario == "error") RuntimeError(FromLatin1(argument));
  if (scenario == "print") {
    PrintLine(u"\u00e9");
    return 0;
  }
  if (scenario == "uncaught") {
    static BBGame game;
    static WritesToClosedStream delegate;
    game.SetDelegate(&delegate);
    game.StartGame();
    game.KeyEvent(1, 65);
    return 0;
  }
  if (scenario == "bad-encoding") {
    c_DataBuffer buffer(4);
    buffer.PokeText(0, u"x", u"utf16");
    return 0;
  }
  if (scenario == "sigfpe") {
    InstallSignalHandlers();
    return Divide(1, 0);
  }
  if (scenario == "sigsegv") {
    InstallSignalHandlers();
    WriteThroughNull();
    return 0;
  }
  std::fprintf(stderr, "unknown scenario %s\n", scenario.c_str());
  return 3;
}

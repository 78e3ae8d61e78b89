// Runs one host scenario that ends the process, named by the first argument.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "host/app.h"
#include "host/game.h"
#include "host/input/input_device.h"

int main(int argc, char** argv) {
  const std::string scenario = argc > 1 ? argv[1] : "";
  if (scenario == "second-app") {
    static c_App first;
    static c_App second;
    return 0;
  }
  if (scenario == "key-down" && argc > 2) {
    // The delegate's key-down rule alone, on an input device of its own.
    static c_App app;
    GameDelegate()->input = std::make_unique<c_InputDevice>();
    GameDelegate()->KeyEvent(EVENT_KEY_DOWN, std::atoi(argv[2]));
    return 7;  // the program went on
  }
  std::fprintf(stderr, "unknown scenario %s\n", scenario.c_str());
  return 3;
}

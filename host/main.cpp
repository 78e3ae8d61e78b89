// Program entry: starts GLFW, builds the host, creates the tracker and runs the main loop.
#include <GLFW/glfw3.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "host/dialogs/desktop_requester.h"
#include "host/files/data_path.h"
#include "host/game.h"
#include "runtime/print.h"
#include "runtime/runtime_error.h"
#include "tracker/sound_engine.h"

namespace {

void OnGlfwError(int error, const char* description) {
  std::printf("GLFW Error: err=%i, msg=%s\n", error, description ? description : "");
  std::fflush(stdout);
}

}  // namespace

int main(int /*argc*/, char** /*argv*/) {
  glfwSetErrorCallback(OnGlfwError);
  if (!glfwInit()) {
    PrintLine(u"glfwInit failed");
    std::exit(-1);
  }
  BBTaliscorGame* game = new BBTaliscorGame();
  // The tracker's dialogs are the desktop's own, attached to the tracker's window.
  static DesktopRequester desktopRequester(ProgramFolder, []() -> GLFWwindow* {
    BBGlfwGame* host = BBGlfwGame::GlfwGame();
    return host ? host->GetGLFWwindow() : nullptr;
  });
  SetRequester(&desktopRequester);
  InstallSignalHandlers();
  if (!std::setlocale(LC_CTYPE, "en_US.UTF-8")) std::setlocale(LC_CTYPE, "");

  try {
    // The application object lives until the process ends.
    new c_SoundEngine();
    if (game->Delegate()) game->Run();
  } catch (ThrowableObject& throwable) {
    glfwTerminate();
    game->Die(&throwable);
  }
  glfwTerminate();
  return 0;
}

#include "host/app.h"

#include "runtime/runtime_error.h"

namespace {
c_App* theApp = nullptr;
c_GameDelegate* theDelegate = nullptr;
}  // namespace

c_App::c_App() {
  if (theApp) RuntimeError(u"App has already been created");
  theApp = this;
  theDelegate = new c_GameDelegate();
  if (BBGame* game = BBGame::Game()) game->SetDelegate(theDelegate);
}

c_App::~c_App() {
  if (theApp != this) return;
  if (BBGame* game = BBGame::Game()) {
    if (game->Delegate() == theDelegate) game->SetDelegate(nullptr);
  }
  delete theDelegate;
  theDelegate = nullptr;
  theApp = nullptr;
}

c_App* c_App::App() { return theApp; }

c_GameDelegate* GameDelegate() { return theDelegate; }

void SetUpdateRate(int hz) { BBGame::Game()->SetUpdateRate(hz); }

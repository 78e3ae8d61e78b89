#include "tests/support/test_game.h"

String RepoFolder() { return FromLatin1(VEXA_SOURCE_DIR); }
String BuildFolder() { return FromLatin1(VEXA_BINARY_DIR); }

TestGame::TestGame(const String& folder) { appFolder = folder; }

double TestGame::Now() { return manualClock ? clock : BBGlfwGame::Now(); }

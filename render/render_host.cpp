#include "render/render_host.h"

RenderHost::RenderHost(const String& programFolder) {
  // An empty folder is filled with the program's own folder on first use.
  appFolder = programFolder;
}

// The tracker's window size; nothing reads it while nothing is drawn.
HeadlessGraphics::HeadlessGraphics() : gxtkGraphics(640, 475) {}

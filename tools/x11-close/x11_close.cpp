// x11-close WINDOW-ID: sends the window a close request as a window manager does, a
// WM_PROTOCOLS client message carrying WM_DELETE_WINDOW. The window id is decimal or 0x-hex.
// Exit status: 0 sent, 1 the window does not take close requests, 2 usage or X errors.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool failed = false;
int NoteError(Display*, XErrorEvent*) {
  failed = true;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: x11-close WINDOW-ID\n");
    return 2;
  }
  char* end = nullptr;
  const Window window = std::strtoul(argv[1], &end, 0);
  if (!end || *end != '\0' || window == 0) {
    std::fprintf(stderr, "x11-close: bad window id %s\n", argv[1]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "x11-close: cannot open the display\n");
    return 2;
  }
  XSetErrorHandler(NoteError);

  const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  Atom* supported = nullptr;
  int count = 0;
  bool takesClose = false;
  if (XGetWMProtocols(display, window, &supported, &count)) {
    for (int i = 0; i < count; ++i) takesClose |= supported[i] == deleteWindow;
    XFree(supported);
  }
  if (failed) {
    std::fprintf(stderr, "x11-close: no window %s\n", argv[1]);
    XCloseDisplay(display);
    return 2;
  }
  if (!takesClose) {
    std::fprintf(stderr, "x11-close: window %s does not take WM_DELETE_WINDOW\n", argv[1]);
    XCloseDisplay(display);
    return 1;
  }

  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = protocols;
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(deleteWindow);
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  const int status = failed ? 2 : 0;
  XCloseDisplay(display);
  return status;
}

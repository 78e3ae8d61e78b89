#include "tests/e2e/x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stb_image_write.h>

#include <cstdlib>

namespace vexa_test {

namespace {

Display* D(void* display) {
  return static_cast<Display*>(display);
}

// A window property as bytes (format 8) or as 32-bit items widened to long (format 32).
bool GetProperty(Display* display, Window window, const char* name, Atom type,
                 std::vector<unsigned char>* bytes, std::vector<unsigned long>* items) {
  const Atom property = XInternAtom(display, name, True);
  if (property == None) return false;
  Atom actualType = None;
  int actualFormat = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, property, 0, 1 << 20, False, type, &actualType,
                         &actualFormat, &count, &after, &data) != Success) {
    return false;
  }
  bool ok = data != nullptr && actualType != None;
  if (ok && bytes && actualFormat == 8) bytes->assign(data, data + count);
  if (ok && items && actualFormat == 32) {
    const unsigned long* longs = reinterpret_cast<const unsigned long*>(data);
    items->assign(longs, longs + count);
  }
  if (data) XFree(data);
  return ok;
}

// Errors for windows that vanish between listing and asking are expected here.
int IgnoreErrors(Display*, XErrorEvent*) {
  return 0;
}

}  // namespace

Image::Pixel Image::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return {};
  const size_t i = (static_cast<size_t>(y) * width + x) * 3;
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

Image Image::Crop(int x, int y, int w, int h) const {
  Image out;
  if (x < 0) w += x, x = 0;
  if (y < 0) h += y, y = 0;
  if (x + w > width) w = width - x;
  if (y + h > height) h = height - y;
  if (w <= 0 || h <= 0) return out;
  out.width = w;
  out.height = h;
  out.rgb.resize(static_cast<size_t>(w) * h * 3);
  for (int row = 0; row < h; ++row) {
    const uint8_t* from = &rgb[(static_cast<size_t>(y + row) * width + x) * 3];
    std::copy(from, from + w * 3, &out.rgb[static_cast<size_t>(row) * w * 3]);
  }
  return out;
}

int Image::CountColor(Pixel colour, int tolerance) const {
  int count = 0;
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
    if (std::abs(rgb[i] - colour.r) <= tolerance && std::abs(rgb[i + 1] - colour.g) <= tolerance &&
        std::abs(rgb[i + 2] - colour.b) <= tolerance) {
      ++count;
    }
  }
  return count;
}

bool Image::SavePng(const std::string& path) const {
  if (width <= 0 || height <= 0) return false;
  return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

X11Connection::X11Connection() {
  display = XOpenDisplay(nullptr);
  if (display) XSetErrorHandler(IgnoreErrors);
}

X11Connection::~X11Connection() {
  if (display) XCloseDisplay(D(display));
}

std::string X11Connection::Title(unsigned long window) {
  if (!display) return std::string();
  Display* d = D(display);
  std::vector<unsigned char> bytes;
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  if (GetProperty(d, window, "_NET_WM_NAME", utf8, &bytes, nullptr) && !bytes.empty()) {
    return std::string(bytes.begin(), bytes.end());
  }
  bytes.clear();
  if (GetProperty(d, window, "WM_NAME", AnyPropertyType, &bytes, nullptr)) {
    return std::string(bytes.begin(), bytes.end());
  }
  return std::string();
}

bool X11Connection::Viewable(unsigned long window) {
  if (!display) return false;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(D(display), window, &attributes)) return false;
  return attributes.map_state == IsViewable;
}

std::optional<unsigned long> X11Connection::FindWindow(pid_t pid, const std::string& prefix) {
  if (!display) return std::nullopt;
  Display* d = D(display);
  XSync(d, False);
  Window root = DefaultRootWindow(d), parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(d, root, &root, &parent, &children, &count)) return std::nullopt;
  std::optional<unsigned long> found;
  for (unsigned int i = 0; i < count && !found; ++i) {
    std::vector<unsigned long> pids;
    if (!GetProperty(d, children[i], "_NET_WM_PID", XA_CARDINAL, nullptr, &pids)) continue;
    if (pids.empty() || static_cast<pid_t>(pids[0]) != pid) continue;
    if (!Viewable(children[i])) continue;
    if (Title(children[i]).compare(0, prefix.size(), prefix) != 0) continue;
    found = children[i];
  }
  if (children) XFree(children);
  return found;
}

std::optional<WindowGeometry> X11Connection::Geometry(unsigned long window) {
  if (!display) return std::nullopt;
  Display* d = D(display);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(d, window, &attributes)) return std::nullopt;
  int x = 0, y = 0;
  Window child = 0;
  if (!XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child)) {
    return std::nullopt;
  }
  return WindowGeometry{x, y, attributes.width, attributes.height};
}

std::optional<SizeLimits> X11Connection::SizeHints(unsigned long window) {
  if (!display) return std::nullopt;
  XSizeHints hints{};
  long supplied = 0;
  if (!XGetWMNormalHints(D(display), window, &hints, &supplied)) return std::nullopt;
  SizeLimits limits;
  if (hints.flags & PMinSize)
    limits.minWidth = hints.min_width, limits.minHeight = hints.min_height;
  if (hints.flags & PMaxSize)
    limits.maxWidth = hints.max_width, limits.maxHeight = hints.max_height;
  return limits;
}

unsigned long X11Connection::FocusedWindow() {
  if (!display) return 0;
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(D(display), &focus, &revert);
  return focus;
}

std::optional<Image> X11Connection::CaptureScreen(int x, int y, int width, int height) {
  if (!display || width <= 0 || height <= 0) return std::nullopt;
  Display* d = D(display);
  XSync(d, False);
  XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return std::nullopt;
  Image out;
  out.width = width;
  out.height = height;
  out.rgb.resize(static_cast<size_t>(width) * height * 3);
  // Channel positions from the visual's masks (Xvfb at depth 24: 0xFF0000, 0xFF00, 0xFF).
  auto shiftOf = [](unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) mask >>= 1, ++shift;
    return shift;
  };
  const int rs = shiftOf(image->red_mask), gs = shiftOf(image->green_mask),
            bs = shiftOf(image->blue_mask);
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      const unsigned long p = XGetPixel(image, col, row);
      uint8_t* o = &out.rgb[(static_cast<size_t>(row) * width + col) * 3];
      o[0] = static_cast<uint8_t>((p & image->red_mask) >> rs);
      o[1] = static_cast<uint8_t>((p & image->green_mask) >> gs);
      o[2] = static_cast<uint8_t>((p & image->blue_mask) >> bs);
    }
  }
  XDestroyImage(image);
  return out;
}

std::optional<Image> X11Connection::CaptureScreen() {
  if (!display) return std::nullopt;
  Display* d = D(display);
  const int screen = DefaultScreen(d);
  return CaptureScreen(0, 0, DisplayWidth(d, screen), DisplayHeight(d, screen));
}

}  // namespace vexa_test

// The tracker's frame for a state the test describes, drawn in the test's own process on the
// real renderer (Mesa's OpenGL in a window of its own on the test run's X server) and read back,
// to compare pixel for pixel with a capture of the running program's window.
#pragma once

#include <functional>

#include "tests/e2e/x11_window.h"
#include "tracker/sound_engine.h"

namespace vexa_test {

// Builds a fresh tracker (create hook and one update, as the running program has it before its
// first frame), lets prepare change its state, and draws two frames (the level bars settle in
// the first); returns the second. Open no window of the program under test meanwhile: this
// one opens at the same place. None when no window or GL context can be had.
std::optional<Image> RenderReferenceFrame(const std::function<void(c_SoundEngine&)>& prepare);

// Pixels that differ between two images of the same size (all of them for different sizes).
int DifferingPixels(const Image& a, const Image& b);

}  // namespace vexa_test

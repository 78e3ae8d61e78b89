// The program's window as a user and a window manager see it.
#include <gtest/gtest.h>

#include <regex>

#include "tests/e2e/harness.h"

namespace vexa_test {
namespace {

TEST(TrackerWindow, TitledFixedSizeCentredWindowThatClosesWithStatusZero) {
  TrackerSession tracker;
  std::string error;
  ASSERT_TRUE(tracker.Start(&error)) << error;

  EXPECT_TRUE(
      std::regex_match(tracker.Title(), std::regex(R"(Vexa Tracker \d+\.\d+\.\d+ - by .+)")))
      << tracker.Title();

  const std::optional<WindowGeometry> geometry = tracker.Geometry();
  ASSERT_TRUE(geometry);
  EXPECT_EQ(geometry->width, 640);
  EXPECT_EQ(geometry->height, 475);
  // Centred on the 1280 x 1024 screen of the test server (no window manager moves it).
  EXPECT_EQ(geometry->x, (1280 - 640) / 2);
  EXPECT_EQ(geometry->y, (1024 - 475) / 2);

  // Not resizable: the size hints pin the minimum and the maximum to the window's size.
  const std::optional<SizeLimits> limits = tracker.X11().SizeHints(tracker.Window());
  ASSERT_TRUE(limits);
  EXPECT_EQ(limits->minWidth, 640);
  EXPECT_EQ(limits->maxWidth, 640);
  EXPECT_EQ(limits->minHeight, 475);
  EXPECT_EQ(limits->maxHeight, 475);

  // It takes the keyboard focus, and its area reads back at its size.
  EXPECT_TRUE(tracker.Focus());
  const std::optional<Image> shot = tracker.CaptureWindow();
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->width, 640);
  EXPECT_EQ(shot->height, 475);

  ASSERT_TRUE(tracker.RequestClose());
  ASSERT_TRUE(tracker.WaitForExit(20)) << "still running after the close request";
  EXPECT_TRUE(tracker.Exited()) << "signal " << tracker.TermSignal();
  EXPECT_EQ(tracker.ExitStatus(), 0);
  EXPECT_EQ(tracker.Stdout().find("Runtime Error"), std::string::npos) << tracker.Stdout();
  EXPECT_EQ(tracker.Stdout().find("GLFW Error"), std::string::npos) << tracker.Stdout();
}

}  // namespace
}  // namespace vexa_test

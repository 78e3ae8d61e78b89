// "cmake --install" into a fresh prefix gives a program that runs from anywhere: it is started
// through the link in <prefix>/bin from another working directory, finds its data folder and
// its sound settings beside itself, and closes with status 0; the desktop entry names the
// installed program and icon.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "tests/e2e/harness.h"

namespace vexa_test {
namespace {

namespace fs = std::filesystem;

// The keys of the desktop entry's main group.
std::map<std::string, std::string> DesktopEntry(const std::string& text) {
  std::map<std::string, std::string> keys;
  std::istringstream lines(text);
  std::string line;
  bool inEntry = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line[0] == '[') {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    const size_t equals = line.find('=');
    if (inEntry && equals != std::string::npos)
      keys[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return keys;
}

TEST(Install, InstalledProgramRunsFromAnywhereWithItsDataAndDesktopEntry) {
  TempDir folder("vexa-install");
  // A space in the prefix: the desktop entry must quote the program's path.
  const std::string prefix = folder.Path() + "/my apps";
  ProcessOptions install;
  install.argv = {VEXA_CMAKE_COMMAND, "--install", VEXA_BINARY_DIR, "--prefix", prefix};
  const ProcessResult installed = RunProcess(install, 120);
  ASSERT_TRUE(installed.exited && installed.exitStatus == 0) << installed.out << installed.err;

  // The program, with its data folder and sound settings beside it.
  const fs::path app = fs::path(prefix) / "lib/vexa-tracker";
  struct stat info {};
  ASSERT_EQ(stat((app / "vexa-tracker").c_str(), &info), 0);
  EXPECT_TRUE(info.st_mode & S_IXUSR);
  for (const char* name :
       {"vumo_font.png", "vumofont.png", "button1.png", "ramp_64.wav", "ramp_b_64.wav",
        "ramp_c_64.wav", "saw_64.wav", "fx2b.wav", "tri_64.wav", "hnoise.wav"}) {
    EXPECT_EQ(ReadFile((app / "data" / name).string()),
              ReadFile(std::string(VEXA_SOURCE_DIR) + "/data/" + name))
        << name;
  }
  EXPECT_TRUE(fs::is_directory(app / "data/songs"));
  EXPECT_TRUE(fs::is_empty(app / "data/songs"));
  EXPECT_EQ(ReadFile((app / "alsoft.conf").string()),
            ReadFile(std::string(VEXA_SOURCE_DIR) + "/audio/alsoft.conf"));

  // The command in bin is a link to it.
  const fs::path command = fs::path(prefix) / "bin/vexa-tracker";
  ASSERT_TRUE(fs::is_symlink(command));
  EXPECT_EQ(fs::canonical(command), fs::canonical(app / "vexa-tracker"));

  // The desktop entry starts the installed command and shows the generated icon.
  const std::optional<std::string> entryText =
      ReadFile(prefix + "/share/applications/vexa-tracker.desktop");
  ASSERT_TRUE(entryText);
  std::map<std::string, std::string> entry = DesktopEntry(*entryText);
  EXPECT_EQ(entry["Type"], "Application");
  EXPECT_EQ(entry["Name"], "Vexa Tracker");
  EXPECT_EQ(entry["Exec"], "\"" + command.string() + "\"");
  EXPECT_EQ(entry["TryExec"], command.string());
  EXPECT_EQ(entry["Categories"], "AudioVideo;Audio;Music;");
  EXPECT_EQ(entry["Terminal"], "false");
  EXPECT_EQ(entry["Icon"], prefix + "/share/icons/hicolor/48x48/apps/vexa-tracker.png");
  EXPECT_EQ(ReadFile(entry["Icon"]),
            ReadFile(std::string(VEXA_SOURCE_DIR) + "/data/vexa-tracker.png"));

  // Started through the link from another working directory (the session's own folder).
  TrackerOptions options;
  options.binary = command.string();
  options.privateDataFolder = false;
  options.env = {"ALSOFT_LOGLEVEL=3"};  // OpenAL Soft reports the settings it read
  TrackerSession tracker(options);
  std::string error;
  ASSERT_TRUE(tracker.Start(&error)) << error;
  ASSERT_TRUE(tracker.Focus());
  // The tracker's font came from the installed data folder: the pattern's text is drawn.
  const Image::Pixel text{148, 144, 164};
  EXPECT_TRUE(tracker.WaitForWindowImage(
      [&](const Image& shot) { return shot.CountColor(text) > 5000; }, 20))
      << "no text on the screen: the data folder was not found";

  ASSERT_TRUE(tracker.RequestClose());
  ASSERT_TRUE(tracker.WaitForExit(20)) << "still running after the close request";
  EXPECT_TRUE(tracker.Exited()) << "signal " << tracker.TermSignal();
  EXPECT_EQ(tracker.ExitStatus(), 0);
  // OpenAL Soft found the settings beside the program and mixes in the shipped update size.
  const std::string log = tracker.Stderr();
  EXPECT_NE(log.find((app / "alsoft.conf").string()), std::string::npos) << log;
  EXPECT_NE(log.find("256 update size"), std::string::npos) << log;
  EXPECT_EQ(tracker.Stdout().find("Runtime Error"), std::string::npos) << tracker.Stdout();
}

}  // namespace
}  // namespace vexa_test

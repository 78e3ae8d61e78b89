// The desktop requester with the real zenity on the test run's X server. The test calls the
// requester on the main thread, as the tracker does, while a second thread answers the dialogs
// with xdotool like a user: it waits for the dialog window, gives it the keyboard focus, types
// slowly and presses Return or Escape. A dialog that does not appear or does not close in time
// is killed, so the call returns and the test fails instead of hanging.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "host/dialogs/child_process.h"
#include "host/dialogs/desktop_requester.h"
#include "host/dialogs/utf8_text.h"

// Last: Xlib's macros (None, Bool, ...) would clash with the names in the headers above.
#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Generous: GTK starts slowly on a loaded machine and under the sanitizers.
constexpr auto kWindowTimeout = 60s;
constexpr auto kCloseTimeout = 30s;

std::string SearchPath() {
  const char* path = std::getenv("PATH");
  return path ? path : "/usr/bin:/bin";
}

// Kills the dialog programs this process started (by their process ids).
void KillOwnDialogs() {
  const std::string own = std::to_string(getpid());
  // Children of the main thread, which makes the dialog calls.
  std::ifstream list("/proc/self/task/" + own + "/children");
  std::string pid;
  while (list >> pid) {
    std::ifstream comm("/proc/" + pid + "/comm");
    std::string name;
    comm >> name;
    if (name == "zenity") kill(std::stoi(pid), SIGKILL);
  }
}

// Answers dialogs through xdotool. Every xdotool run has its own time limit; the first failure
// is kept in error.
class Driver {
 public:
  explicit Driver(std::string xdotool) : xdotool(std::move(xdotool)) {}

  bool Run(std::vector<std::string> arguments, std::string* output = nullptr,
           int timeoutMs = 10000) {
    arguments.insert(arguments.begin(), "xdotool");
    const ChildResult result = RunChild(xdotool, arguments, {}, timeoutMs);
    if (output) *output = result.output;
    return result.exited && result.exitStatus == 0;
  }

  // Waits until a window with exactly this title is visible and takes the keyboard focus. The
  // dialog before it is gone by then (Close waits for that); window ids alone cannot tell them
  // apart, since the X server hands a closed program's ids to the next one.
  std::string WaitForDialog(const std::string& title) {
    const auto deadline = Clock::now() + kWindowTimeout;
    while (Clock::now() < deadline) {
      std::string ids;
      if (Run({"search", "--onlyvisible", "--name", "^" + title + "$"}, &ids)) {
        std::istringstream lines(ids);
        std::string id;
        while (lines >> id) {
          if (Focus(id, deadline)) {
            current = id;
            currentTitle = title;
            return id;
          }
        }
      }
      std::this_thread::sleep_for(100ms);
    }
    Fail("no dialog window titled \"" + title + "\" took the focus");
    return std::string();
  }

  bool Type(const std::string& text) {
    // About 50 ms a key: GTK's completion garbles faster typing.
    const int timeoutMs = 10000 + 100 * static_cast<int>(text.size());
    if (!Run({"type", "--delay", "50", text}, nullptr, timeoutMs)) return Fail("typing " + text);
    // The chooser looks up what was typed for completion; a Return pressed before that is done
    // is swallowed.
    std::this_thread::sleep_for(1s);
    return true;
  }

  // Types a name into the open chooser's location field (plain typing would start a search).
  bool TypeLocation(const std::string& text) {
    if (!Run({"key", "ctrl+l"})) return Fail("opening the location field");
    std::this_thread::sleep_for(300ms);
    return Type(text);
  }

  // Presses key on the dialog found last until its window is gone (the key closes it). The key
  // is pressed again, up to a deadline, when the dialog was still busy and let it pass.
  bool Close(const std::string& key) {
    const auto deadline = Clock::now() + kCloseTimeout;
    while (Clock::now() < deadline) {
      if (!Exists(current)) return true;
      if (FocusedWindow() != current) Run({"windowfocus", "--sync", current}, nullptr, 5000);
      if (FocusedWindow() == current && !Run({"key", key})) return Fail("pressing " + key);
      const auto retry = Clock::now() + 3s;
      while (Clock::now() < retry && Exists(current)) std::this_thread::sleep_for(100ms);
    }
    return Exists(current) ? Fail(key + " did not close the dialog") : true;
  }

  std::string FocusedWindow() {
    std::string id;
    Run({"getwindowfocus"}, &id);
    return id.substr(0, id.find('\n'));
  }

  bool Fail(const std::string& what) {
    if (error.empty()) error = what;
    return false;
  }

  std::string error;

 private:
  bool Focus(const std::string& id, Clock::time_point deadline) {
    while (Clock::now() < deadline) {
      Run({"windowfocus", "--sync", id}, nullptr, 5000);
      if (FocusedWindow() == id) {
        // Let the dialog finish setting up (a chooser reads its folder) before keys arrive.
        std::this_thread::sleep_for(500ms);
        return true;
      }
      std::this_thread::sleep_for(200ms);
    }
    return false;
  }

  // Whether the window is still shown; looked up by title, since asking a closed window for its
  // properties makes Xlib complain.
  bool Exists(const std::string& id) {
    std::string ids;
    Run({"search", "--onlyvisible", "--name", "^" + currentTitle + "$"}, &ids);
    std::istringstream lines(ids);
    std::string listed;
    while (lines >> listed) {
      if (listed == id) return true;
    }
    return false;
  }

  std::string xdotool;
  std::string current;
  std::string currentTitle;
};

class ZenityDialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The choosers note recently used files; keep that out of the user's home.
    char pattern[] = "/tmp/vexa-zenity-home-XXXXXX";
    home = mkdtemp(pattern);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home + "/cache").c_str(), 1);
    if (glfwInit()) {
      glfwWindowHint(GLFW_CLIENT_API, GLFW_NO_API);
      window = glfwCreateWindow(320, 200, "Vexa dialog owner", nullptr, nullptr);
    }
  }

  static void TearDownTestSuite() {
    if (window) glfwDestroyWindow(window);
    window = nullptr;
    glfwTerminate();
    std::system(("rm -rf '" + home + "'").c_str());
  }

  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs an X server (DISPLAY)";
    zenity = FindProgram("zenity", SearchPath());
    xdotool = FindProgram("xdotool", SearchPath());
    ASSERT_FALSE(zenity.empty()) << "zenity is not installed";
    ASSERT_FALSE(xdotool.empty()) << "xdotool is not installed";
    ASSERT_NE(window, nullptr) << "no GLFW window on " << std::getenv("DISPLAY");
    windowId = std::to_string(glfwGetX11Window(window));

    // The tracker's window has the keyboard focus when it opens a dialog.
    Driver driver(xdotool);
    const auto deadline = Clock::now() + 10s;
    glfwFocusWindow(window);
    while (driver.FocusedWindow() != windowId && Clock::now() < deadline) {
      glfwPollEvents();
      glfwFocusWindow(window);
      std::this_thread::sleep_for(50ms);
    }
    ASSERT_EQ(driver.FocusedWindow(), windowId) << "the owner window did not get the focus";

    char pattern[] = "/tmp/vexa-zenity-XXXXXX";
    folder = mkdtemp(pattern);
    title = "Vexa dialog test " + std::to_string(getpid()) + " " +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }

  void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }

  // Makes the dialog call on this thread while answer() drives the dialog from another one.
  // Returns the driver's error, empty when the dialog was answered and closed.
  std::string Answered(const std::function<void()>& call,
                       const std::function<bool(Driver&)>& answer) {
    Driver driver(xdotool);
    std::atomic<bool> returned{false};
    std::thread user([&] {
      if (!answer(driver)) {
        driver.Fail("answering the dialog");
        KillOwnDialogs();
        return;
      }
      const auto deadline = Clock::now() + kCloseTimeout;
      while (!returned && Clock::now() < deadline) std::this_thread::sleep_for(20ms);
      if (!returned) {
        driver.Fail("the dialog did not close");
        KillOwnDialogs();
      }
    });
    call();
    returned = true;
    user.join();
    return driver.error;
  }

  // After a dialog the keyboard focus is back on the tracker's window.
  void ExpectFocusBack() {
    Driver driver(xdotool);
    const auto deadline = Clock::now() + 5s;
    while (driver.FocusedWindow() != windowId && Clock::now() < deadline) {
      std::this_thread::sleep_for(50ms);
    }
    EXPECT_EQ(driver.FocusedWindow(), windowId);
  }

  DesktopRequester Requester() {
    return DesktopRequester({}, [] { return window; });
  }

  String Text(const std::string& utf8) { return FromUtf8Output(utf8); }

  static inline std::string home;
  static inline GLFWwindow* window = nullptr;
  std::string zenity, xdotool, windowId, folder, title;
};

TEST_F(ZenityDialogs, OpenChoosesAFileInTheRelativeStartFolder) {
  ASSERT_EQ(mkdir((folder + "/data").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((folder + "/data/songs").c_str(), 0755), 0);
  std::ofstream(folder + "/data/songs/tune.dat") << "QNT1";
  std::ofstream(folder + "/data/songs/other.dat") << "QNT1";
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(folder.c_str()), 0);

  DesktopRequester requester = Requester();
  String chosen = u"(not returned)";
  // A bare name typed into the chooser is taken in the folder it opened in.
  const std::string error = Answered(
      [&] { chosen = requester.RequestFile(Text(title), u"SongData:dat", false, u"data/songs/"); },
      [&](Driver& user) {
        return !user.WaitForDialog(title).empty() && user.TypeLocation("tune.dat") &&
               user.Close("Return");
      });
  char after[4096];
  ASSERT_NE(getcwd(after, sizeof after), nullptr);
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(error, "");
  EXPECT_EQ(ToUtf8Argument(chosen), folder + "/data/songs/tune.dat");
  EXPECT_EQ(std::string(after), folder);
  ExpectFocusBack();
}

TEST_F(ZenityDialogs, OpenWarnsAboutAMissingFileAndOpensAgain) {
  std::ofstream(folder + "/tune.dat") << "QNT1";
  DesktopRequester requester = Requester();
  String chosen = u"(not returned)";
  const std::string error = Answered(
      [&] {
        chosen = requester.RequestFile(Text(title), u"SongData:dat", false, Text(folder + "/"));
      },
      [&](Driver& user) {
        return !user.WaitForDialog(title).empty() && user.TypeLocation("missing.dat") &&
               user.Close("Return") &&
               // The warning, then the chooser once more.
               !user.WaitForDialog(title).empty() && user.Close("Return") &&
               !user.WaitForDialog(title).empty() && user.Close("Escape");
      });
  EXPECT_EQ(error, "");
  EXPECT_EQ(chosen, u"");
  ExpectFocusBack();
}

TEST_F(ZenityDialogs, SaveReturnsATypedOrTheProposedName) {
  struct Case {
    std::string initialName;
    std::string typed;
    std::string expectedName;
  };
  const std::vector<Case> cases = {
      {"", "fresh song.dat", "fresh song.dat"},
      {"proposed.dat", "", "proposed.dat"},
  };
  for (const Case& c : cases) {
    DesktopRequester requester = Requester();
    String chosen = u"(not returned)";
    const std::string error = Answered(
        [&] {
          chosen = requester.RequestFile(Text(title), u"SongData:dat", true,
                                         Text(folder + "/" + c.initialName));
        },
        [&](Driver& user) {
          return !user.WaitForDialog(title).empty() && (c.typed.empty() || user.Type(c.typed)) &&
                 user.Close("Return");
        });
    EXPECT_EQ(error, "") << c.expectedName;
    EXPECT_EQ(ToUtf8Argument(chosen), folder + "/" + c.expectedName);
    ExpectFocusBack();
  }
}

TEST_F(ZenityDialogs, CancelledChooserGivesEmptyText) {
  DesktopRequester requester = Requester();
  String chosen = u"(not returned)";
  const std::string error = Answered(
      [&] { chosen = requester.RequestFile(Text(title), u"SongData:dat", false, u"data/songs/"); },
      [&](Driver& user) { return !user.WaitForDialog(title).empty() && user.Close("Escape"); });
  EXPECT_EQ(error, "");
  EXPECT_EQ(chosen, u"");
  ExpectFocusBack();
}

TEST_F(ZenityDialogs, QuestionIsTrueForOkAndFalseForCancel) {
  struct Case {
    std::string key;
    bool serious;
    bool expected;
  };
  const std::vector<Case> cases = {
      {"Return", false, true}, {"Escape", false, false}, {"Return", true, true}};
  for (const Case& c : cases) {
    DesktopRequester requester = Requester();
    bool answer = !c.expected;
    const std::string error = Answered(
        [&] {
          answer = requester.ConfirmDialog(
              Text(title), u"There might be an existing File ! Do you really want to continue ?",
              c.serious);
        },
        [&](Driver& user) { return !user.WaitForDialog(title).empty() && user.Close(c.key); });
    EXPECT_EQ(error, "") << c.key;
    EXPECT_EQ(answer, c.expected) << c.key;
    ExpectFocusBack();
  }
}

}  // namespace

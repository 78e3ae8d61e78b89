// The whole program as a user runs it, under the X server named by DISPLAY with OpenAL Soft's
// null driver (the ALSOFT_CONF of the run, or a null configuration of its own):
//
//   BM_StartUpToFirstFrame - from starting the process to its window showing the first frame of
//                            the tracker's screen (the window mapped and its pixels the screen's
//                            background and text colours), polled every 2 ms. The window alone
//                            is reported as window_ms.
//   BM_Idle, BM_Playing    - CPU use (user + system time over wall time, all threads, in % of
//                            one core) and resident memory (VmRSS) of the program over 20 s, in
//                            standby after start-up, and while it plays a song with notes on all
//                            four channels, sampled from /proc/<pid>/stat and /proc/<pid>/status.
//
// Uses the end-to-end harness: the program is the build's vexa-tracker (a private copy beside
// its own data folder for the idle and playing runs).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/e2e/harness.h"

namespace {

using vexa_test::Image;
using vexa_test::TrackerOptions;
using vexa_test::TrackerSession;
using Clock = std::chrono::steady_clock;

constexpr double kSampleSeconds = 20.0;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The tracker's screen is drawn: its background and its text colours are both on screen.
bool ShowsTrackerScreen(const Image& shot) {
  return shot.At(620, 100) == Image::Pixel{86, 60, 106} &&
         shot.CountColor(Image::Pixel{148, 144, 164}) > 5000;
}

// User plus system CPU time of the process so far, in seconds.
double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Fields after the command name (which may hold spaces) start after the last ')'.
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  double utime = 0, stime = 0;
  for (int i = 3; fields >> field; ++i) {
    if (i == 14) utime = std::stod(field);
    if (i == 15) {
      stime = std::stod(field);
      break;
    }
  }
  return (utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Resident memory of the process in MiB (VmRSS).
double ResidentMiB(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

struct Usage {
  double cpuPercent = 0;
  double rssMeanMiB = 0;
  double rssMaxMiB = 0;
};

// Samples the process for `seconds`: CPU over the whole span, memory twice a second.
Usage Sample(pid_t pid, double seconds) {
  Usage usage;
  const double cpuBefore = CpuSeconds(pid);
  const Clock::time_point start = Clock::now();
  int samples = 0;
  while (Since(start) < seconds) {
    const double rss = ResidentMiB(pid);
    usage.rssMeanMiB += rss;
    usage.rssMaxMiB = std::max(usage.rssMaxMiB, rss);
    ++samples;
    vexa_test::PauseMs(500);
  }
  usage.cpuPercent = 100.0 * (CpuSeconds(pid) - cpuBefore) / Since(start);
  usage.rssMeanMiB /= samples;
  return usage;
}

// Ends the session the way a user does; false when the program did not end with status 0.
bool Close(TrackerSession& tracker) {
  return tracker.RequestClose() && tracker.WaitForExit(20) && tracker.Exited() &&
         tracker.ExitStatus() == 0;
}

void BM_StartUpToFirstFrame(benchmark::State& state) {
  double windowSeconds = 0;
  // One connection for all starts, opened before the clock runs.
  vexa_test::X11Connection x11;
  for (auto _ : state) {
    vexa_test::TempDir folder("vexa-bench");
    vexa_test::WriteFile(folder.Path() + "/alsoft.conf", vexa_test::NullAudioConfig());
    vexa_test::ProcessOptions run;
    run.argv = {std::string(VEXA_BINARY_DIR) + "/vexa-tracker"};
    run.env = {"ALSOFT_CONF=" + folder.Path() + "/alsoft.conf"};
    run.workDir = folder.Path();
    vexa_test::ChildProcess process;

    const Clock::time_point start = Clock::now();
    std::string error;
    if (!x11.Ok()) {
      state.SkipWithError("cannot open the X display");
      return;
    }
    if (!process.Start(run, &error)) {
      state.SkipWithError(("cannot start the program: " + error).c_str());
      return;
    }
    std::optional<unsigned long> window;
    while (!(window = x11.FindWindow(process.Pid(), TrackerSession::TITLE_PREFIX)) &&
           Since(start) < 30 && process.Running()) {
      usleep(2000);
    }
    if (!window) {
      state.SkipWithError("no window within 30 s");
      return;
    }
    windowSeconds += Since(start);
    bool drawn = false;
    while (!drawn && Since(start) < 30) {
      const std::optional<vexa_test::WindowGeometry> where = x11.Geometry(*window);
      const std::optional<Image> shot =
          where ? x11.CaptureScreen(where->x, where->y, where->width, where->height) : std::nullopt;
      drawn = shot && ShowsTrackerScreen(*shot);
      if (!drawn) usleep(2000);
    }
    state.SetIterationTime(Since(start));
    if (!drawn) {
      state.SkipWithError("the first frame did not appear within 30 s");
      return;
    }
    process.Kill();
  }
  state.counters["window_ms"] =
      benchmark::Counter(windowSeconds * 1e3, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_StartUpToFirstFrame)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

// Starts a private copy of the program and waits for its first frame.
bool StartTracker(TrackerSession& tracker, benchmark::State& state) {
  std::string error;
  if (!tracker.Start(&error)) {
    state.SkipWithError(("cannot start the program: " + error).c_str());
    return false;
  }
  if (!tracker.WaitForWindowImage(ShowsTrackerScreen, 30)) {
    state.SkipWithError("the tracker's screen did not appear");
    return false;
  }
  return true;
}

void ReportUsage(benchmark::State& state, const Usage& usage) {
  state.counters["cpu_percent"] = usage.cpuPercent;
  state.counters["rss_mean_MiB"] = usage.rssMeanMiB;
  state.counters["rss_max_MiB"] = usage.rssMaxMiB;
}

void BM_Idle(benchmark::State& state) {
  for (auto _ : state) {
    TrackerSession tracker;
    if (!StartTracker(tracker, state)) return;
    vexa_test::PauseMs(2000);  // past start-up
    const Usage usage = Sample(tracker.Process().Pid(), kSampleSeconds);
    state.SetIterationTime(kSampleSeconds);
    if (!Close(tracker)) state.SkipWithError("the program did not close with status 0");
    ReportUsage(state, usage);
  }
}
BENCHMARK(BM_Idle)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_Playing(benchmark::State& state) {
  for (auto _ : state) {
    TrackerSession tracker;
    if (!StartTracker(tracker, state) || !tracker.Focus()) return;
    // Editing mode, then eight notes in each channel with Tab to the next one; instrument 1
    // sounds ("WAV" 1 once the spinners show it), at the default speed 4.
    tracker.Keys({"space"});
    vexa_test::PauseMs(200);
    for (const char* notes :
         {"q.e.t.u.i.t.e.q.", "w...r...5...t...", "y.x.c.v.b.n.m.y.", "i...9...o...0..."}) {
      tracker.TypeText(notes, 40);
      tracker.Keys({"Tab"});
      vexa_test::PauseMs(100);
    }
    tracker.Keys({"F1"});
    vexa_test::PauseMs(1000);
    const Usage usage = Sample(tracker.Process().Pid(), kSampleSeconds);
    state.SetIterationTime(kSampleSeconds);
    if (!Close(tracker)) state.SkipWithError("the program did not close with status 0");
    ReportUsage(state, usage);
  }
}
BENCHMARK(BM_Playing)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();

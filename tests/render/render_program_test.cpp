// vexa-render run as a user runs it: the files it writes (stems, repeatability, loops, rate),
// what it prints, and how it fails: exit status 1, a clear message, and no file left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "render/wav_output.h"
#include "tests/e2e/process.h"
#include "tests/render/song_files.h"
#include "tests/support/audio_analysis.h"
#include "tracker/sound_engine.h"

namespace render_test {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The left channel of a 16-bit file as floats.
std::vector<float> LeftOf(const Pcm16File& file) {
  std::vector<float> left(file.Frames());
  for (size_t i = 0; i < left.size(); ++i) left[i] = file.samples[i * file.channels] / 32768.0f;
  return left;
}

// Four channels, each with its own instrument and one held note of its own pitch, all
// sounding together.
std::string FourChannelSong(const std::string& folder) {
  return SaveSong(folder, "four", [](TrackerFixture& t) {
    t.SetInstrument(1, {4, 0, 0, 0, 255, 0, 0, 0});     // triangle
    t.SetInstrument(2, {3, 6, 0, 0, 200, 0, 0, 0});     // ramp and detuned saw
    t.SetInstrument(3, {5, 0, 0, 0, 255, 0, 0, 0});     // ramp alone
    t.SetInstrument(4, {1, 0, 0, 0x37, 150, 0, 0, 0});  // ramp and saw with a sweep
    t.WriteRow(1, 0, "q812");                           // C-3
    t.WriteRow(2, 0, "y622");                           // C-2
    t.WriteRow(3, 0, "e732");                           // E-3
    t.WriteRow(4, 0, "i443");                           // C-5
  });
}

TEST(RenderProgram, StemsAddUpToTheMixAndEachHoldsOnlyItsChannel) {
  vexa_test::TempDir folder;
  const std::string song = FourChannelSong(folder.Path());
  const std::string out = folder.Path() + "/mix.wav";
  const ProgramRun run = RunRender({song, out, "--stems"});
  ASSERT_TRUE(run.exited && run.status == 0) << run.err;

  const std::optional<Pcm16File> mix = ReadPcm16(out);
  ASSERT_TRUE(mix);
  EXPECT_EQ(mix->channels, 2);
  std::vector<Pcm16File> stems;
  for (int channel = 1; channel <= 4; ++channel) {
    const std::string path = folder.Path() + "/mix-" + std::to_string(channel) + ".wav";
    EXPECT_TRUE(Contains(run.out, path)) << run.out;
    std::optional<Pcm16File> stem = ReadPcm16(path);
    ASSERT_TRUE(stem) << path;
    ASSERT_EQ(stem->samples.size(), mix->samples.size()) << path;
    stems.push_back(*stem);
  }
  // The sum of four roundings and the mix's own stays within 2 steps.
  int worst = 0;
  for (size_t i = 0; i < mix->samples.size(); ++i) {
    int sum = 0;
    for (const Pcm16File& stem : stems) sum += stem.samples[i];
    worst = std::max(worst, std::abs(sum - mix->samples[i]));
  }
  EXPECT_LE(worst, 2);

  // Each stem sounds at its own channel's pitch (the waveforms are 64-frame cycles at
  // 16744 Hz): C-3, C-2, E-3, C-5.
  const double base = 16744.0 / 64;
  const double expected[4] = {base * SemitoneRate(12), base * SemitoneRate(0),
                              base * SemitoneRate(16), base * SemitoneRate(36)};
  for (int k = 0; k < 4; ++k) {
    const std::vector<float> left = LeftOf(stems[static_cast<size_t>(k)]);
    ASSERT_GT(left.size(), 44100u);
    EXPECT_GT(Peak(left, 0, left.size()), 0.05) << "channel " << k + 1;
    const double hz = EstimateFrequency(left.data() + 2205, 22050, 44100, 60, 6000);
    EXPECT_NEAR(hz, expected[k], expected[k] * 0.01) << "channel " << k + 1;
  }
}

TEST(RenderProgram, TheSameSongAlwaysGivesTheSameBytes) {
  vexa_test::TempDir folder;
  const std::string song = FourChannelSong(folder.Path());
  std::vector<std::string> names = {"a.wav", "a-1.wav", "a-2.wav", "a-3.wav", "a-4.wav"};
  for (const std::string run : {"first", "second"}) {
    fs::create_directory(folder.Path() + "/" + run);
    const ProgramRun result = RunRender({song, folder.Path() + "/" + run + "/a.wav", "--stems"});
    ASSERT_TRUE(result.exited && result.status == 0) << result.err;
  }
  for (const std::string& name : names) {
    const auto first = vexa_test::ReadFile(folder.Path() + "/first/" + name);
    const auto second = vexa_test::ReadFile(folder.Path() + "/second/" + name);
    ASSERT_TRUE(first && second) << name;
    EXPECT_GT(first->size(), 44u) << name;
    EXPECT_TRUE(*first == *second) << name << " differs between two runs";
  }
}

TEST(RenderProgram, LoopsAndRateSetTheLength) {
  vexa_test::TempDir folder;
  // One position at speed 4 (128 ticks); the note rings on, so the release is two seconds.
  const std::string song = SaveSong(folder.Path(), "ring", [](TrackerFixture& t) {
    t.SetInstrument(1, LONG_TRIANGLE);
    t.WriteRow(1, 0, "q812");
  });
  struct Case {
    std::vector<std::string> options;
    int rate;
    int loops;
  };
  const std::vector<Case> cases = {
      {{}, 44100, 1},
      {{"--loops", "2"}, 44100, 2},
      {{"--loops=3", "--rate=22050"}, 22050, 3},
      {{"--rate", "48000"}, 48000, 1},
  };
  long long oneLoopFrames = 0;
  for (const Case& c : cases) {
    std::vector<std::string> arguments = {song, folder.Path() + "/out.wav"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const ProgramRun run = RunRender(arguments);
    ASSERT_TRUE(run.exited && run.status == 0) << run.err;
    const std::optional<Pcm16File> file = ReadPcm16(folder.Path() + "/out.wav");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->rate, c.rate);
    // The song part is exactly loops * 128 ticks of rate / 51 frames, then two seconds.
    const long long frames = static_cast<long long>(file->Frames());
    EXPECT_EQ(frames, (c.loops * 128 + 102) * static_cast<long long>(c.rate) / 51);
    const long long tail = 2LL * c.rate;
    if (c.rate == 44100 && c.loops == 1) oneLoopFrames = frames;
    if (c.rate == 44100 && c.loops == 2) {
      // Twice as long, minus the one release, to within the carried fraction of a frame.
      EXPECT_NEAR(static_cast<double>(frames - tail), 2.0 * (oneLoopFrames - tail), 1.0);
    }
    EXPECT_TRUE(Contains(run.out, "at " + std::to_string(c.rate) + " Hz")) << run.out;
  }
}

TEST(RenderProgram, SummaryGivesDurationPeakAndClipping) {
  vexa_test::TempDir folder;
  struct Case {
    std::string name;
    std::string cell;  // on all four channels
    bool clips;
  };
  const std::vector<Case> cases = {{"quiet", "q212", false}, {"loud", "qF12", true}};
  for (const Case& c : cases) {
    const std::string song = SaveSong(folder.Path(), c.name, [&](TrackerFixture& t) {
      t.SetInstrument(1, LONG_TRIANGLE);
      for (int channel = 1; channel <= 4; ++channel) t.WriteRow(channel, 0, c.cell);
    });
    const std::string out = folder.Path() + "/" + c.name + ".wav";
    const ProgramRun run = RunRender({song, out});
    ASSERT_TRUE(run.exited && run.status == 0) << run.err;
    // Output that is not a terminal gets no progress line.
    EXPECT_EQ(run.err, "");
    const std::optional<Pcm16File> file = ReadPcm16(out);
    ASSERT_TRUE(file);
    EXPECT_TRUE(Contains(run.out, "Wrote " + out + ": 0:04.51 at 44100 Hz")) << run.out;
    int peak = 0;
    long long atLimit = 0;
    for (int16_t s : file->samples) {
      peak = std::max(peak, std::abs(static_cast<int>(s)));
      if (s == 32767 || s == -32768) ++atLimit;
    }
    if (c.clips) {
      const size_t at = run.out.find(" samples clipped");
      ASSERT_NE(at, std::string::npos) << run.out;
      const size_t start = run.out.rfind(' ', at - 1) + 1;
      const long long clipped = std::stoll(run.out.substr(start, at - start));
      EXPECT_GT(clipped, 0);
      EXPECT_LE(clipped, atLimit);
    } else {
      EXPECT_TRUE(Contains(run.out, "no clipping")) << run.out;
      char level[32];
      std::snprintf(level, sizeof level, "peak %.1f dBFS", 20 * std::log10(peak / 32768.0));
      EXPECT_TRUE(Contains(run.out, level)) << run.out << " expected " << level;
    }
  }
}

TEST(RenderProgram, ShowsProgressOnATerminal) {
  vexa_test::TempDir folder;
  const std::string song = FourChannelSong(folder.Path());
  // script(1) gives the program a terminal.
  vexa_test::ProcessOptions options;
  options.argv = {"script", "-qec",
                  RenderProgram() + " '" + song + "' '" + folder.Path() + "/t.wav' --loops 40",
                  "/dev/null"};
  const vexa_test::ProcessResult result = vexa_test::RunProcess(options, 120);
  ASSERT_TRUE(result.exited && result.exitStatus == 0) << result.out << result.err;
  EXPECT_TRUE(Contains(result.out, "\rRendering " + folder.Path() + "/t.wav")) << result.out;
  EXPECT_TRUE(Contains(result.out, "%  loop ")) << result.out;
  EXPECT_TRUE(Contains(result.out, "position 1/1")) << result.out;
  EXPECT_TRUE(Contains(result.out, "Wrote ")) << result.out;
}

TEST(RenderProgram, HelpPrintsTheUsage) {
  const ProgramRun run = RunRender({"--help"});
  EXPECT_TRUE(run.exited && run.status == 0);
  EXPECT_TRUE(
      Contains(run.out, "usage: vexa-render SONG OUT.wav [--loops N] [--stems] [--rate HZ]"))
      << run.out;
}

TEST(RenderProgram, FailuresExitWithStatusOneAndLeaveNothingBehind) {
  vexa_test::TempDir folder;
  const std::string song = SaveSong(folder.Path(), "good", [](TrackerFixture& t) {
    t.SetInstrument(1, SHORT_TRIANGLE);
    t.WriteRow(1, 0, "q812");
  });
  const std::string dir = folder.Path() + "/work";
  fs::create_directory(dir);
  vexa_test::WriteFile(dir + "/empty.dat", "");
  vexa_test::WriteFile(dir + "/text.dat", "just some text");
  vexa_test::WriteFile(dir + "/plain", "a file");
  fs::create_directory(dir + "/folder");
  // An earlier output that a failed run must not touch.
  vexa_test::WriteFile(dir + "/out.wav", "earlier output");
  // A stem's place is taken by a folder: nothing at all may be written.
  fs::create_directory(dir + "/blocked-3.wav");
  vexa_test::WriteFile(dir + "/locked.dat", *vexa_test::ReadFile(song));
  chmod((dir + "/locked.dat").c_str(), 0);
  const bool root = geteuid() == 0;  // reads any file regardless of its permissions
  const std::string out = dir + "/out.wav";

  struct Case {
    std::vector<std::string> arguments;
    std::string message;
    bool usage;
  };
  std::vector<Case> cases = {
      {{dir + "/missing.dat", out},
       "cannot read song " + dir + "/missing.dat: No such file",
       false},
      {{dir + "/folder", out}, "it is a folder", false},
      {{dir + "/empty.dat", out}, "is empty", false},
      {{dir + "/text.dat", out}, "is not a song file", false},
      {{song, dir + "/nowhere/out.wav"}, "cannot write " + dir + "/nowhere/out.wav", false},
      {{song, dir + "/plain/out.wav"}, "Not a directory", false},
      {{song, "/proc/vexa-render-out.wav"}, "cannot write /proc/vexa-render-out.wav", false},
      {{song, dir + "/folder"}, "it is a folder", false},
      {{song, song}, "over the song", false},
      {{song, dir + "/blocked.wav", "--stems"}, "blocked-3.wav: it is a folder", false},
      {{}, "a song file and an output file are needed", true},
      {{song}, "a song file and an output file are needed", true},
      {{song, out, "third"}, "too many file names: third", true},
      {{song, out, "--loops", "0"}, "--loops takes a whole number", true},
      {{song, out, "--loops", "two"}, "--loops takes a whole number", true},
      {{song, out, "--loops"}, "--loops needs a value", true},
      {{song, out, "--rate", "100"}, "--rate takes a sample rate", true},
      {{song, out, "--rate=44.1k"}, "--rate takes a sample rate", true},
      {{song, out, "--stems=yes"}, "--stems takes no value", true},
      {{song, out, "--fast"}, "unknown option --fast", true},
  };
  if (!root) cases.push_back({{dir + "/locked.dat", out}, "Permission denied", false});

  const std::vector<std::string> before = FolderEntries(dir);
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& argument : c.arguments) shown += " " + argument;
    SCOPED_TRACE("vexa-render" + shown);
    const ProgramRun run = RunRender(c.arguments);
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("vexa-render: ", 0), 0u) << run.err;
    EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
    EXPECT_EQ(Contains(run.err, "usage: vexa-render"), c.usage) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(FolderEntries(dir), before);
    EXPECT_EQ(vexa_test::ReadFile(out), std::optional<std::string>("earlier output"));
  }
  EXPECT_FALSE(fs::exists("/proc/vexa-render-out.wav"));
}

TEST(RenderProgram, InterruptedRenderLeavesNothingBehind) {
  vexa_test::TempDir folder;
  // 99 positions at speed 16, played many times: the render runs long enough to be stopped.
  const std::string song = SaveSong(folder.Path(), "long", [](TrackerFixture& t) {
    t.SetInstrument(1, LONG_TRIANGLE);
    t.engine->songSpeed = 16;
    t.engine->songLengthRows = 99 * ROWS_PER_PATTERN;
    t.WriteRow(1, 0, "q812");
  });
  const std::string dir = folder.Path() + "/out";
  fs::create_directory(dir);
  vexa_test::ChildProcess child;
  vexa_test::ProcessOptions options;
  options.argv = {RenderProgram(), song, dir + "/long.wav", "--loops", "9", "--stems"};
  ASSERT_TRUE(child.Start(options));
  // Wait until the temporary files exist, then interrupt as Ctrl+C does.
  bool started = false;
  for (int i = 0; i < 600 && !started && child.Running(); ++i) {
    started = FolderEntries(dir).size() == 5;
    if (!started) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(started) << "no temporary files appeared";
  kill(child.Pid(), SIGINT);
  ASSERT_TRUE(child.Wait(60));
  EXPECT_TRUE(child.Exited());
  EXPECT_EQ(child.ExitStatus(), 1);
  EXPECT_TRUE(Contains(child.Stderr(), "vexa-render: interrupted; nothing was written"))
      << child.Stderr();
  EXPECT_EQ(FolderEntries(dir), std::vector<std::string>());
}

TEST(RenderProgram, SongThatTakesTooLongStopsAtThirtyMinutesAndSaysSo) {
  vexa_test::TempDir folder;
  // 99 positions at speed 16 last 16.6 minutes; two passes would take 33.
  const std::string song = SaveSong(folder.Path(), "long", [](TrackerFixture& t) {
    t.engine->songSpeed = 16;
    t.engine->songLengthRows = 99 * ROWS_PER_PATTERN;
  });
  const std::string out = folder.Path() + "/long.wav";
  const ProgramRun run = RunRender({song, out, "--loops", "2", "--rate", "8000"}, 300);
  ASSERT_TRUE(run.exited && run.status == 0) << run.err;
  EXPECT_TRUE(Contains(run.err, "did not come back to its start within 30 minutes")) << run.err;
  const std::optional<Pcm16File> file = ReadPcm16(out);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Frames(), 30u * 60 * 8000);
  EXPECT_TRUE(Contains(run.out, "30:00.00 at 8000 Hz")) << run.out;
}

}  // namespace
}  // namespace render_test

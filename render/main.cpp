// vexa-render: plays a song file offline with the tracker's own player and writes a WAV file,
// and with --stems one more file per channel.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "render/command_line.h"
#include "render/loopback_device.h"
#include "render/offline_render.h"
#include "render/song_source.h"
#include "render/wav_output.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "vexa-render: %s\n", message.c_str());
  return 1;
}

// "m:ss.cc" for a number of frames.
std::string Duration(long long frames, int rate) {
  const long long hundredths = (frames * 100 + rate / 2) / rate;
  char text[48];
  std::snprintf(text, sizeof text, "%lld:%02lld.%02lld", hundredths / 6000, hundredths / 100 % 60,
                hundredths % 100);
  return text;
}

std::string Level(const LevelMeter& meter) {
  if (meter.peak <= 0) return "silent";
  char text[48];
  std::snprintf(text, sizeof text, "peak %.1f dBFS", LevelDbfs(meter.peak));
  std::string result = text;
  if (meter.clipped == 0) return result + ", no clipping";
  return result + ", " + std::to_string(meter.clipped) +
         (meter.clipped == 1 ? " sample clipped" : " samples clipped");
}

// The progress line on a terminal: which file, how far, where in the song. Redrawn when the
// percentage or the position changes, at most a few times a second.
class ProgressLine {
 public:
  explicit ProgressLine(bool shown) : shown(shown) {}
  ~ProgressLine() { Clear(); }

  void Show(const std::string& label, double fraction, const RenderProgress& where) {
    if (!shown) return;
    const int percent = static_cast<int>(std::floor(fraction * 100));
    const auto now = std::chrono::steady_clock::now();
    if (percent == lastPercent && where.position == lastPosition) return;
    if (now - lastDrawn < std::chrono::milliseconds(100) && percent != 100) return;
    lastPercent = percent;
    lastPosition = where.position;
    lastDrawn = now;
    char text[160];
    std::snprintf(text, sizeof text, "%s %3d%%  loop %d/%d  position %d/%d  row %d", label.c_str(),
                  percent, where.loop, where.loops, where.position + 1, where.positions, where.row);
    Draw(text);
  }

  void Clear() {
    if (shown && width > 0) Draw("");
    width = 0;
  }

 private:
  void Draw(const std::string& text) {
    std::string line = "\r" + text;
    if (text.size() < width) line += std::string(width - text.size(), ' ') + "\r" + text;
    width = text.size();
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
  }

  bool shown;
  size_t width = 0;
  int lastPercent = -1;
  int lastPosition = -1;
  std::chrono::steady_clock::time_point lastDrawn;
};

// Sends the rendered frames into a WAV file and the progress to the terminal; stops when the
// user interrupts or a write fails.
class FileSink : public RenderSink {
 public:
  FileSink(WavOutput& output, ProgressLine& line, int pass, int passes)
      : output(output), line(line), pass(pass), passes(passes) {}

  bool Write(const float* samples, int frames) override {
    return !interrupted && output.Write(samples, frames);
  }
  bool Progress(const RenderProgress& progress) override {
    line.Show("Rendering " + output.Target(), (pass + progress.fraction) / passes, progress);
    return !interrupted;
  }

 private:
  WavOutput& output;
  ProgressLine& line;
  int pass;
  int passes;
};

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  CommandLine command;
  std::string error;
  if (!ParseCommandLine(arguments, &command, &error)) {
    std::fprintf(stderr, "vexa-render: %s\n\n%s", error.c_str(), UsageText().c_str());
    return 1;
  }
  if (command.help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }

  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  std::signal(SIGHUP, OnInterrupt);

  std::vector<std::string> targets = {command.output};
  if (command.stems) {
    for (int channel = 1; channel <= 4; ++channel) {
      targets.push_back(StemPath(command.output, channel));
    }
  }
  const std::string problem = ProbeSongFile(command.song);
  if (!problem.empty()) return Failure(problem);
  for (const std::string& target : targets) {
    if (SameFile(target, command.song)) {
      return Failure("will not write " + target + " over the song it renders");
    }
  }
  if (!LoopbackRateSupported(command.rate)) {
    return Failure("OpenAL cannot render at " + std::to_string(command.rate) + " Hz");
  }

  // Every file is created before the work starts, so an unwritable place fails at once.
  std::vector<std::unique_ptr<WavOutput>> outputs;
  for (const std::string& target : targets) {
    outputs.push_back(std::make_unique<WavOutput>());
    if (!outputs.back()->Open(target, command.rate, &error)) return Failure(error);
  }

  ProgressLine line(isatty(STDERR_FILENO) == 1);
  RenderSettings settings;
  settings.rate = command.rate;
  settings.loops = command.loops;
  RenderReport mix;
  const int passes = static_cast<int>(outputs.size());
  for (int pass = 0; pass < passes; ++pass) {
    WavOutput& output = *outputs[static_cast<size_t>(pass)];
    FileSink sink(output, line, pass, passes);
    if (pass > 0) {
      // Each channel alone, exactly as long as the mix.
      settings.soloChannel = pass;
      settings.fixedLength = mix.length;
    }
    const RenderReport report = RenderSong(command.song, settings, sink);
    if (pass == 0) mix = report;
    if (report.status == RenderStatus::FAILED) {
      line.Clear();
      return Failure(report.error);
    }
    if (report.status == RenderStatus::STOPPED) {
      line.Clear();
      if (interrupted) return Failure("interrupted; nothing was written");
      return Failure(output.WriteFailure());
    }
  }
  line.Clear();

  for (auto& output : outputs) {
    if (!output->Finish(&error)) return Failure(error);
  }
  for (auto& output : outputs) {
    if (!output->Publish(&error)) return Failure(error);
  }

  if (mix.status == RenderStatus::LIMIT_REACHED) {
    std::fprintf(stderr,
                 "vexa-render: warning: the song did not come back to its start within %lld "
                 "minutes; the output stops there\n",
                 RENDER_LIMIT_TICKS / TICKS_PER_SECOND / 60);
  }
  const int rate = command.rate;
  const long long songFrames = TickStartFrame(mix.length.songTicks, rate);
  std::printf("Wrote %s: %s at %d Hz (%d %s of %d %s at speed %d, %s, then %.2f s release); %s\n",
              command.output.c_str(), Duration(mix.frames, rate).c_str(), rate, command.loops,
              command.loops == 1 ? "loop" : "loops", mix.positions,
              mix.positions == 1 ? "position" : "positions", mix.songSpeed,
              Duration(songFrames, rate).c_str(),
              static_cast<double>(mix.frames - songFrames) / rate,
              Level(outputs[0]->Meter()).c_str());
  for (size_t k = 1; k < outputs.size(); ++k) {
    std::printf("Wrote %s: channel %zu, %s\n", outputs[k]->Target().c_str(), k,
                Level(outputs[k]->Meter()).c_str());
  }
  return 0;
}

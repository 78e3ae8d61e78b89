// Songs for the render tests, made on a fresh tracker and saved by the tracker itself, and
// helpers to run vexa-render and look at what it wrote.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "render/offline_render.h"
#include "tests/support/tracker_fixture.h"

namespace render_test {

// Fills a fresh tracker (after its create hook) with a song and saves it with the tracker's
// own SaveSong into folder/data/songs/name, confirming the question; returns the file's path.
std::string SaveSong(const std::string& folder, const std::string& name,
                     const std::function<void(TrackerFixture&)>& fill);

// Instrument parameters in the fixture's order: WAV, PWM, E2P, SWP * 16 + AMT, ENV, SPD, ARP1,
// ARP2. A one-voice triangle that dies away within ten ticks at volume digit 8, and one that
// rings for fifty seconds.
constexpr std::array<int, 8> SHORT_TRIANGLE = {4, 0, 0, 0, 1, 0, 0, 0};
constexpr std::array<int, 8> LONG_TRIANGLE = {4, 0, 0, 0, 255, 0, 0, 0};

// Collects a render in memory.
class MemorySink : public RenderSink {
 public:
  bool Write(const float* data, int frames) override {
    samples.insert(samples.end(), data, data + 2 * frames);
    return true;
  }
  bool Progress(const RenderProgress& progress) override {
    rows.push_back(progress);
    return true;
  }
  size_t Frames() const { return samples.size() / 2; }
  // The left channel (both channels carry the same centred voices).
  std::vector<float> Left() const;

  std::vector<float> samples;
  std::vector<RenderProgress> rows;
};

// Renders a song file in this process with the repository's waveforms.
RenderReport RenderInProcess(const std::string& song, RenderSettings settings, MemorySink& sink);

// The first frame at or after from whose sample is not 0 in 16 bits; -1 when there is none.
long long FirstSoundingFrame(const std::vector<float>& mono, long long from);

// A 16-bit WAV file as written by vexa-render: rate, channel count and the samples.
struct Pcm16File {
  int rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;
  size_t Frames() const { return channels ? samples.size() / channels : 0; }
};
std::optional<Pcm16File> ReadPcm16(const std::string& path);

// The program's path and a run of it with these arguments (killed after timeoutSeconds).
std::string RenderProgram();
struct ProgramRun {
  bool exited = false;
  int status = -1;
  std::string out;
  std::string err;
};
ProgramRun RunRender(const std::vector<std::string>& arguments, double timeoutSeconds = 120);

// Names of the entries of a folder, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

}  // namespace render_test

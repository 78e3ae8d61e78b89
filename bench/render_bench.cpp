// Speed of the offline renderer on a three-minute four-channel song (72 positions of 32 rows at
// speed 4: 9216 ticks, 3:00.7), with every channel playing a note on every row through
// two-voice instruments with arpeggios and sweeps. The counter "x_realtime" is how many times
// faster than real time the song renders.
//
//   build/bench/render_bench                         # the measurements
//   build/bench/render_bench --write-song=FILE       # writes the song file and exits, for
//   time build/vexa-render FILE out.wav              # timing the program itself
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "host/files/data_path.h"
#include "render/offline_render.h"
#include "render/wav_output.h"
#include "tracker/song_text.h"
#include "tracker/sound_engine.h"

namespace {

constexpr int kPositions = 72;
constexpr int kPatterns = 8;
constexpr int kSpeed = 4;

// The song as the tracker saves it.
std::string ThreeMinuteSongText() {
  c_SoundEngine song;
  for (int c = 1; c <= 4; ++c) {
    song.trackNotes[c].assign(COLUMN_CELLS, u'.');
    song.trackVolumes[c].assign(COLUMN_CELLS, u'0');
    song.trackInstruments[c].assign(COLUMN_CELLS, u'0');
    song.trackOctaves[c].assign(COLUMN_CELLS, u'0');
  }
  const char16_t keys[] = u"ysxdcvgbhnjmq2w3er5t6z7u";
  for (int pattern = 0; pattern < kPatterns; ++pattern) {
    for (int row = 0; row < ROWS_PER_PATTERN; ++row) {
      const int cell = pattern * ROWS_PER_PATTERN + row;
      for (int c = 1; c <= 4; ++c) {
        WriteCell(song.trackNotes[c], cell, keys[(pattern * 5 + row * 3 + c * 7) % 24]);
        WriteCell(song.trackVolumes[c], cell, u'6');
        WriteCell(song.trackInstruments[c], cell, static_cast<char16_t>(u'0' + c));
        WriteCell(song.trackOctaves[c], cell, static_cast<char16_t>(u'1' + c % 2));
      }
    }
  }
  // WAV, PWM, E2P, SWP * 16 + AMT, ENV, SPD, ARP1, ARP2 of instruments 1 to 4.
  const int instruments[4][8] = {{1, 5, 0, 0x3F, 20, 2, 4, 7},
                                 {2, 3, 0, 0x2A, 30, 1, 3, 5},
                                 {3, 8, 1, 0x4F, 10, 3, 7, 12},
                                 {1, 9, 0, 0x5F, 40, 0, 0, 0}};
  for (int i = 0; i < 4; ++i) {
    for (int k = 0; k < 8; ++k)
      song.instrumentTable[static_cast<size_t>(8 * (i + 1) + k)] = instruments[i][k];
  }
  for (int position = 0; position < kPositions; ++position) {
    song.orderList[static_cast<size_t>(position)] = position % kPatterns;
  }
  song.songLengthRows = kPositions * ROWS_PER_PATTERN;
  song.songSpeed = kSpeed;
  return EncodeUtf8(BuildSongText(song));
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

std::string SongFile() {
  static const std::string path = [] {
    const std::string file = "/tmp/vexa-render-bench-" + std::to_string(getpid()) + ".dat";
    WriteBytes(file, ThreeMinuteSongText());
    return file;
  }();
  return path;
}

class NullSink : public RenderSink {
 public:
  bool Write(const float*, int) override { return true; }
};

class FileSink : public RenderSink {
 public:
  explicit FileSink(WavOutput& output) : output(output) {}
  bool Write(const float* samples, int frames) override { return output.Write(samples, frames); }

 private:
  WavOutput& output;
};

RenderSettings Settings() {
  RenderSettings settings;
  // The build folder, beside the bench folder, links the data folder in.
  settings.programFolder = ProgramFolder() + u"/..";
  return settings;
}

void Report(benchmark::State& state, const RenderReport& report) {
  if (report.status != RenderStatus::DONE) state.SkipWithError(report.error.c_str());
  const double seconds = static_cast<double>(report.frames) / 44100;
  state.counters["x_realtime"] = benchmark::Counter(
      seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The tracker and the mixer only.
void BM_RenderThreeMinutesToMemory(benchmark::State& state) {
  RenderReport report;
  for (auto _ : state) {
    NullSink sink;
    report = RenderSong(SongFile(), Settings(), sink);
  }
  Report(state, report);
}
BENCHMARK(BM_RenderThreeMinutesToMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

// As the program does it: converted to 16 bits and written to a WAV file.
void BM_RenderThreeMinutesToWavFile(benchmark::State& state) {
  RenderReport report;
  const std::string out = "/tmp/vexa-render-bench-" + std::to_string(getpid()) + ".wav";
  for (auto _ : state) {
    WavOutput output;
    std::string error;
    if (!output.Open(out, 44100, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    FileSink sink(output);
    report = RenderSong(SongFile(), Settings(), sink);
    // Not published: the temporary file is removed with the output.
  }
  Report(state, report);
}
BENCHMARK(BM_RenderThreeMinutesToWavFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* flag = "--write-song=";
    if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) {
      return WriteBytes(argv[i] + std::strlen(flag), ThreeMinuteSongText()) ? 0 : 1;
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  std::remove(SongFile().c_str());
  return 0;
}

// Time to save and load a song: the empty song (one pattern, 1675 bytes) and a full one (all 256
// patterns in the order list, every cell used, about 132 KB). Saving includes writing the
// temporary file, putting it on the storage device and renaming it; loading includes the file
// chooser's answer, reading and decoding the file. The text conversions alone are measured too.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "host/dialogs/requester.h"
#include "host/game.h"
#include "tracker/song_text.h"
#include "tracker/sound_engine.h"

namespace {

// A host whose program folder is a temporary folder holding data/songs.
class BenchGame : public BBGlfwGame {
 public:
  BenchGame() {
    char pattern[] = "/tmp/vexa-bench-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    folder = pattern;
    std::filesystem::create_directories(folder + "/data/songs");
    appFolder = FromLatin1(folder);
  }
  ~BenchGame() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  std::string folder;
};

// Confirms every save and chooses one file for every load.
class AnsweringRequester : public Requester {
 public:
  explicit AnsweringRequester(const String& path) : path(path) { SetRequester(this); }
  ~AnsweringRequester() override { SetRequester(nullptr); }
  String RequestFile(const String&, const String&, bool, const String&) override { return path; }
  bool ConfirmDialog(const String&, const String&, bool) override { return true; }

 private:
  String path;
};

void EmptySong(c_SoundEngine& e) {
  for (int c = 1; c <= 4; ++c) {
    e.trackNotes[c].assign(COLUMN_CELLS, u'.');
    e.trackVolumes[c].assign(COLUMN_CELLS, u'0');
    e.trackInstruments[c].assign(COLUMN_CELLS, u'0');
    e.trackOctaves[c].assign(COLUMN_CELLS, u'0');
  }
}

// Every pattern in the order list, every cell holding a note, volume, instrument and octave,
// every instrument set and described.
void FullSong(c_SoundEngine& e) {
  const String notes = u"ysxdcvgbhnjmq2w3er5t6z7ui9o0p<#+";
  const String digits = u"0123456789abcdef";
  for (int c = 1; c <= 4; ++c) {
    for (int i = 0; i < COLUMN_CELLS; ++i) {
      e.trackNotes[c][i] = notes[(i + c) % notes.size()];
      e.trackVolumes[c][i] = digits[(i + c) % 16];
      e.trackInstruments[c][i] = digits[(i * 3 + c) % 16];
      e.trackOctaves[c][i] = digits[(i + c) % 4];
    }
  }
  for (int k = 0; k < ORDER_LIST_SIZE; ++k) e.orderList[k] = 255 - k;
  for (int k = 0; k < INSTRUMENT_TABLE_SIZE; ++k) e.instrumentTable[k] = k;
  for (auto& description : e.instrumentDescriptions) description = u"a description here   ";
  e.songLengthRows = 99 * 32;
}

void Prepare(c_SoundEngine& e, bool full) {
  EmptySong(e);
  if (full) FullSong(e);
}

void BM_SaveSong(benchmark::State& state) {
  BenchGame game;
  AnsweringRequester requester{String()};
  c_SoundEngine engine;
  Prepare(engine, state.range(0) == 1);
  for (auto _ : state) {
    if (engine.SaveSong(u"bench.dat") != u"File Saved...") state.SkipWithError("not saved");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(EncodeUtf8(BuildSongText(engine)).size()));
}
BENCHMARK(BM_SaveSong)->Arg(0)->Arg(1)->ArgName("full")->Unit(benchmark::kMicrosecond);

void BM_LoadSong(benchmark::State& state) {
  BenchGame game;
  AnsweringRequester requester(FromLatin1(game.folder + "/data/songs/bench.dat"));
  c_SoundEngine engine;
  Prepare(engine, state.range(0) == 1);
  if (engine.SaveSong(u"bench.dat") != u"File Saved...") state.SkipWithError("not saved");
  const auto bytes = std::filesystem::file_size(game.folder + "/data/songs/bench.dat");
  for (auto _ : state) {
    if (engine.LoadSong() != u"File Loaded...") state.SkipWithError("not loaded");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_LoadSong)->Arg(0)->Arg(1)->ArgName("full")->Unit(benchmark::kMicrosecond);

void BM_BuildSongText(benchmark::State& state) {
  c_SoundEngine engine;
  Prepare(engine, state.range(0) == 1);
  for (auto _ : state) benchmark::DoNotOptimize(BuildSongText(engine));
}
BENCHMARK(BM_BuildSongText)->Arg(0)->Arg(1)->ArgName("full")->Unit(benchmark::kMicrosecond);

void BM_ApplySongText(benchmark::State& state) {
  c_SoundEngine engine;
  Prepare(engine, state.range(0) == 1);
  const String text = BuildSongText(engine);
  for (auto _ : state) ApplySongText(engine, text);
}
BENCHMARK(BM_ApplySongText)->Arg(0)->Arg(1)->ArgName("full")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

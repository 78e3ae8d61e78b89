// The offline renderer in this process: where rows start, the pitch of a note, how long a song
// plays and when the release ends, the cut-off of songs that take too long, and the reasons it
// gives when it cannot render.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/wav_output.h"
#include "tests/e2e/process.h"
#include "tests/render/song_files.h"
#include "tests/support/audio_analysis.h"
#include "tests/support/test_game.h"
#include "tracker/sound_engine.h"

namespace render_test {
namespace {

// Writes a note cell ("q812": key, volume, instrument, octave) at a row of the song's grid.
void Note(TrackerFixture& t, int channel, int pattern, int row, const std::string& cell) {
  t.WriteRow(channel, pattern * ROWS_PER_PATTERN + row, cell);
}

TEST(RenderTiming, EveryRowStartsExactlyOnItsTickAtEveryRate) {
  struct Case {
    int rate;
    int speed;
  };
  const std::vector<Case> cases = {{44100, 3}, {48000, 5}, {22050, 3}, {8000, 7}};
  // Rows of the song (pattern 0 at position 0, pattern 1 at position 1) that start a short note;
  // each note has died away before the next one starts.
  const std::vector<int> rows = {0, 4, 9, 15, 27, 32, 48};
  vexa_test::TempDir folder;
  for (const Case& c : cases) {
    SCOPED_TRACE("rate " + std::to_string(c.rate) + ", speed " + std::to_string(c.speed));
    const std::string song =
        SaveSong(folder.Path(), "grid" + std::to_string(c.speed), [&](TrackerFixture& t) {
          t.SetInstrument(1, SHORT_TRIANGLE);
          t.engine->songSpeed = c.speed;
          t.engine->songLengthRows = 2 * ROWS_PER_PATTERN;
          t.engine->orderList[1] = 1;
          for (int row : rows) Note(t, 1, row / 32, row % 32, "q812");
        });
    MemorySink sink;
    RenderSettings settings;
    settings.rate = c.rate;
    const RenderReport report = RenderInProcess(song, settings, sink);
    ASSERT_EQ(report.status, RenderStatus::DONE) << report.error;

    const std::vector<float> left = sink.Left();
    for (int row : rows) {
      const long long expected = TickStartFrame(static_cast<long long>(row) * c.speed, c.rate);
      // Silence up to the row's first frame, sound from it on.
      EXPECT_EQ(FirstSoundingFrame(left, expected - 64), expected) << "row " << row;
    }
    // Two positions of 32 rows, and no release: the last note ended long before.
    EXPECT_EQ(report.length.songTicks, 64 * c.speed);
    EXPECT_EQ(report.length.tailTicks, 0);
    EXPECT_EQ(static_cast<long long>(sink.Frames()), TickStartFrame(64 * c.speed, c.rate));
    EXPECT_EQ(report.frames, static_cast<long long>(sink.Frames()));
  }
}

TEST(RenderTiming, FirstNoteSoundsAtItsPitch) {
  // The waveforms are one cycle of 64 frames at the rate of their files.
  const std::optional<AudioClip> triangle =
      ReadWavClip(std::string(VEXA_SOURCE_DIR) + "/data/tri_64.wav");
  ASSERT_TRUE(triangle);
  ASSERT_EQ(triangle->Frames(), 64u);
  const double baseHz = triangle->rate / 64.0;

  struct Case {
    int wav;
    std::string cell;
    int semitone;
  };
  const std::vector<Case> cases = {
      {4, "y812", 0},   // C-2 on the triangle: the waveform's own rate
      {4, "q812", 12},  // C-3
      {4, "i812", 24},  // C-4
      {4, "z812", 21},
      {1, "q811", 0},   // ramp and saw together, no detune: one pitch
  };
  vexa_test::TempDir folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell + " on WAV " + std::to_string(c.wav));
    const std::string song = SaveSong(folder.Path(), "pitch", [&](TrackerFixture& t) {
      std::array<int, 8> instrument = LONG_TRIANGLE;
      instrument[0] = c.wav;
      t.SetInstrument(1, instrument);
      Note(t, 1, 0, 0, c.cell);
    });
    MemorySink sink;
    const RenderReport report = RenderInProcess(song, RenderSettings(), sink);
    ASSERT_EQ(report.status, RenderStatus::DONE) << report.error;
    const std::vector<float> left = sink.Left();
    const size_t from = 44100 / 20;
    ASSERT_GT(left.size(), from + 44100 / 2);
    const double hz = EstimateFrequency(left.data() + from, 44100 / 2, 44100);
    const double expected = baseHz * SemitoneRate(c.semitone);
    EXPECT_NEAR(hz, expected, expected * 0.001);
  }
}

TEST(RenderLength, SongPlaysUntilItHasComeBackToItsStartAsOftenAsAsked) {
  struct Case {
    std::string name;
    std::function<void(TrackerFixture&)> fill;
    int loops;
    int rowsPerLoop;  // rows played in one pass, counted from the song's layout
    int speed;        // ticks per row the tracker plays the song at
  };
  const auto onePosition = [](TrackerFixture& t) {
    t.SetInstrument(1, SHORT_TRIANGLE);
    Note(t, 1, 0, 0, "q812");
  };
  const auto threePositions = [](TrackerFixture& t) {
    t.SetInstrument(1, SHORT_TRIANGLE);
    t.engine->songSpeed = 2;
    t.engine->songLengthRows = 3 * ROWS_PER_PATTERN;
    t.engine->orderList[1] = 1;
    Note(t, 1, 0, 0, "q812");
    Note(t, 3, 1, 9, "-000");  // position 1 ends after its row 9
  };
  const std::vector<Case> cases = {
      {"one position", onePosition, 1, 32, 4},
      {"one position twice", onePosition, 2, 32, 4},
      {"one position three times", onePosition, 3, 32, 4},
      {"pattern end in the middle", threePositions, 2, 32 + 10 + 32, 2},
      {"pattern end on the first row",
       [](TrackerFixture& t) {
         t.engine->songSpeed = 6;
         Note(t, 2, 0, 0, "-000");
       },
       3, 1, 6},
      // A file's values are brought into range as the tracker does after loading: speed 20
      // plays at 16, a song length of 0 positions as 1 position.
      {"speed and length out of range",
       [](TrackerFixture& t) {
         t.engine->songSpeed = 20;
         t.engine->songLengthRows = 0;
       },
       1, 32, 16},
      // Speed 0 in a file loads as speed 5.
      {"speed 0",
       [](TrackerFixture& t) {
         t.engine->songSpeed = 0;
         t.engine->songLengthRows = 2 * ROWS_PER_PATTERN;
       },
       1, 64, 5},
  };
  vexa_test::TempDir folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string song = SaveSong(folder.Path(), "length", c.fill);
    MemorySink sink;
    RenderSettings settings;
    settings.loops = c.loops;
    const RenderReport report = RenderInProcess(song, settings, sink);
    ASSERT_EQ(report.status, RenderStatus::DONE) << report.error;
    EXPECT_EQ(report.songSpeed, c.speed);
    EXPECT_EQ(report.length.songTicks, static_cast<long long>(c.loops) * c.rowsPerLoop * c.speed);
    ASSERT_EQ(sink.rows.size(), static_cast<size_t>(c.loops * c.rowsPerLoop));
    EXPECT_EQ(sink.rows.front().position, 0);
    EXPECT_EQ(sink.rows.front().row, 0);
    EXPECT_EQ(sink.rows.back().loop, c.loops);
  }
}

TEST(RenderLength, ReleaseLastsUntilTheSoundHasDiedAwayAndAtMostTwoSeconds) {
  struct Case {
    std::string name;
    std::string cell;
    std::array<int, 8> instrument;
    int row;
    int speed;
    long long minTail, maxTail;
  };
  const std::vector<Case> cases = {
      // A note that rings for fifty seconds is cut after two.
      {"ringing note", "q812", LONG_TRIANGLE, 0, 1, MAX_TAIL_TICKS, MAX_TAIL_TICKS},
      // A volume digit above 8 never dies away completely.
      {"loud note", "q912", SHORT_TRIANGLE, 0, 4, MAX_TAIL_TICKS, MAX_TAIL_TICKS},
      // A short note on the last row still sounds for a few ticks after the song.
      {"short note on the last row", "q812", SHORT_TRIANGLE, 31, 1, 1, 12},
      // Nothing sounds at the end: no release.
      {"silent end", "q812", SHORT_TRIANGLE, 0, 4, 0, 0},
  };
  vexa_test::TempDir folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string song = SaveSong(folder.Path(), "tail", [&](TrackerFixture& t) {
      t.SetInstrument(1, c.instrument);
      t.engine->songSpeed = c.speed;
      Note(t, 1, 0, c.row, c.cell);
    });
    for (int loops : {1, 2}) {
      MemorySink sink;
      RenderSettings settings;
      settings.loops = loops;
      const RenderReport report = RenderInProcess(song, settings, sink);
      ASSERT_EQ(report.status, RenderStatus::DONE) << report.error;
      EXPECT_EQ(report.length.songTicks, loops * 32LL * c.speed);
      EXPECT_GE(report.length.tailTicks, c.minTail);
      EXPECT_LE(report.length.tailTicks, c.maxTail);
      EXPECT_EQ(static_cast<long long>(sink.Frames()),
                TickStartFrame(report.length.Ticks(), settings.rate));
      if (report.length.tailTicks > 0) {
        // The release ends with sound in its last tick: the next one would have been silent.
        const std::vector<float> left = sink.Left();
        const long long lastTick = TickStartFrame(report.length.Ticks() - 1, settings.rate);
        EXPECT_NE(FirstSoundingFrame(left, lastTick), -1);
      }
    }
  }
}

TEST(RenderLength, SongThatDoesNotComeBackInTimeIsCutOffAtTheLimitWithoutRelease) {
  vexa_test::TempDir folder;
  const std::string song = SaveSong(folder.Path(), "ringing", [](TrackerFixture& t) {
    t.SetInstrument(1, LONG_TRIANGLE);
    Note(t, 1, 0, 0, "q812");
  });
  MemorySink sink;
  RenderSettings settings;
  settings.loops = 2;  // 256 ticks
  settings.limitTicks = 200;
  const RenderReport report = RenderInProcess(song, settings, sink);
  EXPECT_EQ(report.status, RenderStatus::LIMIT_REACHED);
  EXPECT_EQ(report.length.songTicks, 200);
  EXPECT_EQ(report.length.tailTicks, 0);
  EXPECT_EQ(static_cast<long long>(sink.Frames()), TickStartFrame(200, settings.rate));
  // The ringing note still sounds where the output stops.
  EXPECT_NE(FirstSoundingFrame(sink.Left(), TickStartFrame(199, settings.rate)), -1);
}

TEST(RenderLength, ChannelsRenderedAloneTakeTheGivenLength) {
  vexa_test::TempDir folder;
  const std::string song = SaveSong(folder.Path(), "ringing", [](TrackerFixture& t) {
    t.SetInstrument(1, LONG_TRIANGLE);
    Note(t, 1, 0, 0, "q812");
  });
  MemorySink sink;
  RenderSettings settings;
  settings.soloChannel = 2;  // silent all through: the length does not come from the sound
  settings.fixedLength = RenderLength{100, 7};
  const RenderReport report = RenderInProcess(song, settings, sink);
  ASSERT_EQ(report.status, RenderStatus::DONE) << report.error;
  EXPECT_EQ(report.length.songTicks, 100);
  EXPECT_EQ(report.length.tailTicks, 7);
  EXPECT_EQ(static_cast<long long>(sink.Frames()), TickStartFrame(107, settings.rate));
  EXPECT_EQ(FirstSoundingFrame(sink.Left(), 0), -1);
}

TEST(RenderErrors, ReasonsNameTheFileAndNothingIsRendered) {
  vexa_test::TempDir folder;
  const std::string song = SaveSong(folder.Path(), "fine", [](TrackerFixture&) {});
  const std::string empty = folder.Path() + "/empty.dat";
  const std::string other = folder.Path() + "/other.dat";
  vexa_test::WriteFile(empty, "");
  vexa_test::WriteFile(other, "RIFF this is not a song");
  struct Case {
    std::string song;
    String programFolder;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {folder.Path() + "/missing.dat", RepoFolder(), "No such file or directory"},
      {folder.Path(), RepoFolder(), "it is a folder"},
      {empty, RepoFolder(), "is empty"},
      {other, RepoFolder(), "is not a song file"},
      // The waveforms are looked for in the data folder beside the program.
      {song, FromLatin1(folder.Path() + "/nowhere"), "cannot load the waveform"},
  };
  for (const Case& c : cases) {
    MemorySink sink;
    RenderSettings settings;
    settings.programFolder = c.programFolder;
    const RenderReport report = RenderSong(c.song, settings, sink);
    EXPECT_EQ(report.status, RenderStatus::FAILED) << c.song;
    EXPECT_NE(report.error.find(c.reason), std::string::npos) << report.error;
    EXPECT_TRUE(sink.samples.empty()) << c.song;
  }
}

TEST(RenderFiles, StemFilesAreNamedAfterTheOutput) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"song.wav", "song-3.wav"}, {"out/my.song.wav", "out/my.song-3.wav"},
      {"take", "take-3"},         {"a.b/take", "a.b/take-3"},
      {".hidden", ".hidden-3"},
  };
  for (const auto& [target, stem] : cases) EXPECT_EQ(StemPath(target, 3), stem) << target;
}

}  // namespace
}  // namespace render_test

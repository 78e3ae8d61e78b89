// A user composes a song on the real program and listens to it, then saves it, quits, starts the
// program again, loads the song and plays it once more.
//
// The song is laid out so that each property can be measured in the sound OpenAL Soft's wave
// writer records in real time: position 0 plays one note at a time (one channel after another,
// six rows apart), so onsets, pitches and the volume envelope of single notes can be read; position
// 1 (inserted in front of it and then refilled) first plays an arpeggio alone and then a long note
// on channel 2, which the channel mute (F6) silences at its next row with a volume digit, not
// before. Everything is done with keys and clicks: Space, note and volume keys, the spinners of
// two instruments and of the song values, Insert, F1, F6, the name box, F11 and the
// confirmation, the close request, F12 and the file chooser.
//
// The capture's clock is the sound device's and its onsets are quantised by the 51 Hz update loop
// and by OpenAL Soft's mixing period, so the checks compare intervals within one stretch of
// playback, with tolerances of a couple of updates, never absolute times.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>

#include "tests/e2e/capture_analysis.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/tracker_user.h"

namespace vexa_test {
namespace {

namespace fs = std::filesystem;

constexpr int SPEED = 6;  // ticks per row
constexpr double ROW_SECONDS = SPEED * TICK_SECONDS;
// Onsets and level changes land on the update loop's ticks and on the mixer's periods.
constexpr double TIMING_TOLERANCE = 2 * TICK_SECONDS;

// One cell as the user types it: the note key (German layout) into the channel's note column on
// the row, and a volume digit afterwards when it is not the "8" the editor writes with a note.
struct Cell {
  int pattern;
  int row;
  int channel;
  char key;
  char volume;
  char instrument;  // the current instrument when it is typed
};

// Instrument 1: triangle (WAV 4, no second voice), ENV 3: a note at volume digit 8 dies away
// in 30 ticks. Instrument 2: square (WAV 2), a slight pulse-width sweep (PWM 2, SWP 2), ENV 20
// (200 ticks), arpeggio +4 and +7 semitones (AMT 15), 4 ticks per step.
const std::vector<Cell> SONG = {
    // Position 1's pattern (typed first, at position 0, before the insert).
    {1, 0, 4, 'q', '8', '2'},   // C-3 arpeggio on channel 4 ...
    {1, 8, 4, '<', '8', '2'},   // ... ended by a note off
    {1, 8, 2, 'w', '8', '2'},   // channel 2: D-3
    {1, 16, 2, 'e', '0', '2'},  // E-3 without a volume digit: only re-pitched
    {1, 24, 2, 'r', '8', '2'},  // F-3 with a volume digit: restarted
    // Position 0's pattern: single notes of instrument 1.
    {0, 0, 1, 'q', '8', '1'},   // C-3
    {0, 6, 2, 'e', '8', '1'},   // E-3
    {0, 12, 3, 't', '8', '1'},  // G-3
    {0, 18, 4, 'i', '8', '1'},  // C-4
    {0, 24, 1, 'q', '4', '1'},  // C-3 at half volume
};

// The semitones (relative to "C-2") of the keys used, at the edit octave 2.
int Semitone(char key) {
  static const std::map<char, int> keys = {{'q', 12}, {'w', 14}, {'e', 16},
                                           {'r', 17}, {'t', 19}, {'i', 24}};
  return keys.at(key);
}

// The name the screen gives a cell ("C-382").
std::string CellText(const Cell* cell) {
  if (!cell) return "---00";
  if (cell->key == '<') return std::string("{|}") + cell->volume + cell->instrument;
  static const char* names[12] = {"C-", "C#", "D-", "D#", "E-", "F-",
                                  "F#", "G-", "G#", "A-", "A#", "B-"};
  const int index = Semitone(cell->key) + 24;
  return std::string(names[index % 12]) + std::to_string(index / 12) + cell->volume +
         cell->instrument;
}

const Cell* CellAt(int pattern, int row, int channel) {
  for (const Cell& cell : SONG) {
    if (cell.pattern == pattern && cell.row == row && cell.channel == channel) return &cell;
  }
  return nullptr;
}

// Screen row text of a row of a pattern.
std::string RowText(int pattern, int row) {
  static const char* hex = "0123456789ABCDEF";
  std::string text = {hex[row / 16], hex[row % 16], ':'};
  for (int c = 1; c <= 4; ++c) text += " " + CellText(CellAt(pattern, row, c));
  return text;
}

// The bytes the saved song must have: two positions at speed 6, patterns 0 and 1, the two
// instruments as the spinners shaped them, no descriptions.
std::string ExpectedSongFile() {
  std::string song = "QNT1";
  song += '\x02';  // positions
  song += static_cast<char>(SPEED);
  song += '\x02';  // patterns stored
  const auto column = [](int kind, int channel) {
    std::string cells;
    for (int pattern = 0; pattern < 2; ++pattern) {
      for (int row = 0; row < 32; ++row) {
        const Cell* cell = CellAt(pattern, row, channel);
        if (kind == 0) cells += cell ? cell->key : '.';
        if (kind == 1) cells += cell ? cell->volume : '0';
        if (kind == 2) cells += cell ? cell->instrument : '0';
        if (kind == 3) cells += cell ? '2' : '0';
      }
    }
    return cells;
  };
  for (int kind = 0; kind < 4; ++kind) {
    for (int channel = 1; channel <= 4; ++channel) song += column(kind, channel);
  }
  std::string order(256, '\0');
  order[1] = '\x01';
  song += order;
  std::string table(249, '\0');
  const int one[8] = {4, 0, 0, 0, 3, 0, 0, 0};
  const int two[8] = {2, 2, 0, 2 * 16 + 15, 20, 4, 4, 7};
  for (int k = 0; k < 8; ++k) {
    table[8 + k] = static_cast<char>(one[k]);
    table[16 + k] = static_cast<char>(two[k]);
  }
  song += table;
  song += std::string(31 * 21, ' ');
  return song;
}

// What one playback of the song's first pass sounds like, measured from its capture.
struct Playback {
  double start = 0;                     // the first row's onset in the capture
  std::vector<double> onsets;           // of the rows that start out of silence, relative to start
  std::vector<double> pitches;          // of the five single notes of position 0
  LevelLine loud, quiet;                // the level of the notes at volume digits 8 and 4
  std::vector<int> arpeggioSteps;       // classes 0, 1, 2 (base, +4, +7) in order
  std::vector<double> arpeggioChanges;  // times of the step changes, relative to start
  double channel2Before = 0;            // channel 2's level on position 1's rows 9 to 15
  double channel2Repitched = 0;         // ... on rows 17 to 23 (after the row without volume digit)
  double channel2Restarted = 0;         // ... on rows 25 to 27 (after the row with a volume digit)
  double repitchedHz = 0;               // the pitch of the first step after row 16
};

// Song rows (from the first row of position 0) at which the single notes and the arpeggio start.
const std::vector<int> ONSET_ROWS = {0, 6, 12, 18, 24, 32};

double RowTime(const Playback& p, double row) {
  return p.start + row * ROW_SECONDS;
}

Playback Measure(const Capture& capture, const Stretch& stretch, std::string* problems) {
  Playback p;
  const std::vector<double> onsets = OnsetsBetween(capture, stretch.start - 0.02, stretch.end);
  if (onsets.size() < ONSET_ROWS.size()) {
    *problems += "only " + std::to_string(onsets.size()) + " onsets: " + Join(onsets) + "\n";
    return p;
  }
  p.start = onsets[0];
  for (size_t k = 0; k < ONSET_ROWS.size(); ++k) p.onsets.push_back(onsets[k] - p.start);

  for (int k = 0; k < 5; ++k) {
    const double at = p.start + p.onsets[static_cast<size_t>(k)];
    p.pitches.push_back(PitchBetween(capture, at + 0.015, at + 0.115));
  }
  // Fit the straight decay away from its first and last ticks.
  const double loudAt = p.start + p.onsets[0];
  const double quietAt = p.start + p.onsets[4];
  p.loud = FitLevel(capture, loudAt + 0.01, loudAt + 0.45);
  p.quiet = FitLevel(capture, quietAt + 0.01, quietAt + 0.2);

  // The arpeggio: windows of 20 ms, 5 ms apart, each taken for the step whose pitch it has.
  const double arpeggioAt = p.start + p.onsets[5];
  const double steps[3] = {NoteHz(12), NoteHz(16), NoteHz(19)};
  double lastTime = 0;
  int lastClass = -1;
  for (double t = arpeggioAt + 0.005; t + 0.02 < arpeggioAt + 8 * ROW_SECONDS - 0.01; t += 0.005) {
    const double hz = PitchBetween(capture, t, t + 0.02, 300, 1500);
    int found = -1;
    for (int s = 0; s < 3; ++s) {
      if (std::fabs(hz - steps[s]) < steps[s] * 0.015) found = s;
    }
    if (found < 0) continue;
    const double centre = t + 0.01;
    if (found != lastClass) {
      if (lastClass >= 0) p.arpeggioChanges.push_back((lastTime + centre) / 2 - p.start);
      p.arpeggioSteps.push_back(found);
      lastClass = found;
    }
    lastTime = centre;
  }

  // Channel 2 on position 1 (song rows 32 + r), away from the rows' first and last ticks.
  const auto level = [&](double fromRow, double toRow) {
    return LevelBetween(capture, RowTime(p, 32 + fromRow) + TIMING_TOLERANCE,
                        RowTime(p, 32 + toRow) - TIMING_TOLERANCE);
  };
  p.channel2Before = level(9, 16);
  p.channel2Repitched = level(17, 24);
  p.channel2Restarted = level(25, 28);
  const double row16 = RowTime(p, 48);
  p.repitchedHz = PitchBetween(capture, row16 + 0.015, row16 + 0.07, 300, 1500);
  return p;
}

class ComposeJourney : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run through ./test.sh (needs DISPLAY)";
    ASSERT_FALSE(scratch.Path().empty());
    ASSERT_TRUE(reader.Ok());
  }

  TrackerOptions Options(const std::string& wav) {
    TrackerOptions options;
    // Small mixing periods: a change of gain or rate is heard within 5.8 ms.
    options.audioConfig =
        "[general]\ndrivers=wave\nfrequency=44100\nperiod_size=256\n[wave]\nfile=" + wav + "\n";
    options.appFolder = scratch.Path() + "/app";
    options.env = DesktopFoldersIn(scratch.Path() + "/home");
    return options;
  }

  // The window once the check holds on it; on a timeout the last capture is kept (VEXA_E2E_KEEP).
  std::optional<Image> See(TrackerSession& tracker, const std::function<bool(const Image&)>& check,
                           const std::string& what, double timeoutSeconds = 10) {
    std::optional<Image> seen = tracker.WaitForWindowImage(check, timeoutSeconds);
    if (!seen) {
      if (std::optional<Image> last = tracker.CaptureWindow()) {
        KeepImage(*last, "compose_journey_" + what + ".png");
      }
    }
    return seen;
  }

  // The song row and position the playback shows (the top row is the one playing).
  struct Place {
    int position = -1;
    int row = -1;
  };
  Place Playing(const Image& shot) {
    Place place;
    const std::optional<int> position = reader.HexValue(shot, 297 + 11, 12);
    const std::string row = reader.Text(shot, {TEXT_COLOUR, BEAT_COLOUR}, 0, 12, 2);
    if (position) place.position = *position;
    char* end = nullptr;
    const long value = std::strtol(row.c_str(), &end, 16);
    if (end && *end == '\0') place.row = static_cast<int>(value);
    return place;
  }
  // Waits until the playback reaches a row of position 1 in [fromRow, toRow].
  std::optional<Image> WaitForRow(TrackerSession& tracker, int fromRow, int toRow,
                                  const std::string& what) {
    return See(
        tracker,
        [&](const Image& s) {
          const Place place = Playing(s);
          return place.position == 1 && place.row >= fromRow && place.row <= toRow;
        },
        what, 15);
  }

  void TypeCells(TrackerSession& tracker, int pattern) {
    for (const Cell& cell : SONG) {
      if (cell.pattern != pattern) continue;
      ASSERT_TRUE(tracker.Keys(cursor.MovesTo(cell.row + 1, 2 * cell.channel - 1), 80));
      ASSERT_TRUE(tracker.TypeText(std::string(1, cell.key), 80));
      cursor.Typed();
      if (cell.volume != '8') {
        ASSERT_TRUE(tracker.Keys(cursor.MovesTo(cell.row + 1, 2 * cell.channel), 80));
        ASSERT_TRUE(tracker.TypeText(std::string(1, cell.volume), 80));
        cursor.Typed();
      }
    }
  }

  void ExpectPattern(TrackerSession& tracker, int pattern) {
    const auto shot = See(
        tracker,
        [&](const Image& s) {
          for (int row = 0; row < 32; ++row) {
            if (reader.Row(s, row) != RowText(pattern, row)) return false;
          }
          return true;
        },
        "pattern" + std::to_string(pattern));
    if (shot) return;
    const std::optional<Image> last = tracker.CaptureWindow();
    ASSERT_TRUE(last);
    for (int row = 0; row < 32; ++row) {
      EXPECT_EQ(reader.Row(*last, row), RowText(pattern, row)) << "pattern " << pattern;
    }
  }

  void Set(TrackerSession& tracker, const Spinner& spinner, int value) {
    std::string error;
    ASSERT_TRUE(SetSpinner(tracker, reader, spinner, value, &error)) << error;
  }

  TempDir scratch{"vexa-journey"};
  ScreenReader reader;
  EditorCursor cursor;
};

TEST_F(ComposeJourney, ComposePlayMuteSaveQuitRestartLoadAndPlayTheSameSong) {
  const std::string songName = "journey-" + std::to_string(getpid()) + ".dat";
  const std::string firstWav = scratch.Path() + "/first.wav";
  const std::string secondWav = scratch.Path() + "/second.wav";
  int muteRow = -1;
  // How long each run lasted, from the start to the end of the program, against its capture.
  double firstSession = 0, secondSession = 0;
  const auto seconds = [] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };

  {
    TrackerSession tracker(Options(firstWav));
    std::string error;
    firstSession = -seconds();
    ASSERT_TRUE(tracker.Start(&error)) << error;
    ASSERT_TRUE(tracker.Focus());
    ASSERT_TRUE(See(
        tracker, [&](const Image& s) { return reader.Status(s) == "Standby..."; }, "standby"));

    ASSERT_TRUE(tracker.Keys({"space"}));
    ASSERT_TRUE(See(
        tracker, [&](const Image& s) { return reader.Status(s) == "Editing..."; }, "editing"));

    // The song values, then the two instruments.
    Set(tracker, spinners::SPEED, SPEED);
    Set(tracker, spinners::LENGTH, 2);
    Set(tracker, spinners::WAV, 4);
    Set(tracker, spinners::ENV, 3);
    Set(tracker, spinners::INSTRUMENT, 2);
    Set(tracker, spinners::WAV, 2);
    Set(tracker, spinners::PWM, 2);
    Set(tracker, spinners::SWP, 2);
    Set(tracker, spinners::ENV, 20);
    Set(tracker, spinners::ARP1, 4);
    Set(tracker, spinners::ARP2, 7);
    Set(tracker, spinners::SPD, 4);
    Set(tracker, spinners::AMT, 15);
    if (HasFatalFailure()) return;

    // Position 0 plays pattern 1 for now: its notes are typed there. Insert then puts a new
    // position (pattern 0) in front of it.
    Set(tracker, spinners::ORDER, 1);
    TypeCells(tracker, 1);
    ExpectPattern(tracker, 1);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(tracker.Keys({"Insert"}));
    const auto inserted = See(
        tracker,
        [&](const Image& s) {
          return reader.Position(s, 0) == " 00: 00" && reader.Position(s, 1) == " 01: 01";
        },
        "insert");
    ASSERT_TRUE(inserted) << "the inserted position is not in the position list";
    Set(tracker, spinners::INSTRUMENT, 1);
    TypeCells(tracker, 0);
    ExpectPattern(tracker, 0);
    ASSERT_TRUE(tracker.Keys({"Next"}));  // Page Down: position 1 shows pattern 1
    ExpectPattern(tracker, 1);
    ASSERT_TRUE(tracker.Keys({"Prior"}));
    ExpectPattern(tracker, 0);
    if (HasFatalFailure()) return;

    // Standby silences the previews; then the first playback, from the start, once through.
    ASSERT_TRUE(tracker.Keys({"space"}));
    ASSERT_TRUE(See(
        tracker, [&](const Image& s) { return reader.Status(s) == "Standby..."; },
        "standby-again"));
    PauseMs(1500);
    ASSERT_TRUE(tracker.Keys({"F1"}));
    ASSERT_TRUE(See(
        tracker, [&](const Image& s) { return reader.Status(s) == "Playing..."; }, "playing"));
    ASSERT_TRUE(WaitForRow(tracker, 0x1C, 0x1F, "end-of-first-playback"))
        << "the playback did not reach the end of position 1";
    ASSERT_TRUE(tracker.Keys({"F1"}));
    ASSERT_TRUE(See(
        tracker, [&](const Image& s) { return reader.Status(s) == "Standby..."; }, "stopped"));
    PauseMs(1500);

    // The second playback: channel 2 is muted while its note of position 1 row 8 sounds.
    ASSERT_TRUE(tracker.Keys({"F1"}));
    ASSERT_TRUE(WaitForRow(tracker, 0x0A, 0x0D, "before-mute"));
    ASSERT_TRUE(tracker.Keys({"F6"}));
    const auto muted = See(
        tracker, [&](const Image& s) { return reader.ChannelSwitch(s, 2) == "off"; }, "mute");
    ASSERT_TRUE(muted) << "channel 2 does not show \"off\"";
    muteRow = Playing(*muted).row;
    // Rows 16 and 24 follow the mute: the note without volume digit, then the one with it.
    ASSERT_EQ(Playing(*muted).position, 1);
    ASSERT_LT(muteRow, 0x10) << "the mute came too late for the check (a slow machine?)";
    ASSERT_TRUE(WaitForRow(tracker, 0x1C, 0x1F, "end-of-second-playback"));
    ASSERT_TRUE(tracker.Keys({"F1", "F6"}));
    ASSERT_TRUE(See(
        tracker,
        [&](const Image& s) {
          return reader.Status(s) == "Standby..." && reader.ChannelSwitch(s, 2) == "on ";
        },
        "unmuted"));

    // The name, F11 and the confirmation.
    ASSERT_TRUE(tracker.Click(100, 450));
    ASSERT_TRUE(tracker.TypeText(songName, 200));
    ASSERT_TRUE(tracker.Keys({"Return"}));
    ASSERT_TRUE(See(
        tracker, [&](const Image& s) { return reader.SongName(s) == songName; }, "name"));
    ASSERT_TRUE(tracker.Keys({"F11"}));
    DialogUser user;
    ASSERT_TRUE(user.Confirm(&error)) << error;
    ASSERT_TRUE(tracker.Focus());
    ASSERT_TRUE(See(
        tracker, [&](const Image& s) { return reader.Status(s) == "File Saved..."; }, "saved"));
    const std::optional<std::string> saved = ReadFile(tracker.DataFolder() + "/songs/" + songName);
    ASSERT_TRUE(saved);
    EXPECT_TRUE(*saved == ExpectedSongFile()) << "the saved file differs from the composed song";

    ASSERT_TRUE(tracker.RequestClose());
    ASSERT_TRUE(tracker.WaitForExit(20));
    firstSession += seconds();
    EXPECT_EQ(tracker.ExitStatus(), 0);
  }

  // The same program folder again: the song is where the first run saved it.
  {
    TrackerSession tracker(Options(secondWav));
    std::string error;
    secondSession = -seconds();
    ASSERT_TRUE(tracker.Start(&error)) << error;
    ASSERT_TRUE(tracker.Focus());
    ASSERT_TRUE(tracker.Keys({"F12"}));
    DialogUser user;
    ASSERT_TRUE(user.ChooseFile(tracker.DataFolder() + "/songs/" + songName, &error)) << error;
    ASSERT_TRUE(tracker.Focus());
    ASSERT_TRUE(See(
        tracker, [&](const Image& s) { return reader.Status(s) == "File Loaded..."; }, "loaded"));
    ExpectPattern(tracker, 0);
    const auto values = tracker.CaptureWindow();
    ASSERT_TRUE(values);
    EXPECT_EQ(SpinnerValue(reader, *values, spinners::SPEED), SPEED);
    EXPECT_EQ(SpinnerValue(reader, *values, spinners::LENGTH), 2);
    EXPECT_EQ(SpinnerValue(reader, *values, spinners::ENV), 3);
    EXPECT_EQ(reader.Position(*values, 1), " 01: 01");
    PauseMs(500);
    ASSERT_TRUE(tracker.Keys({"F1"}));
    ASSERT_TRUE(WaitForRow(tracker, 0x1C, 0x1F, "end-of-loaded-playback"));
    ASSERT_TRUE(tracker.Keys({"F1"}));
    ASSERT_TRUE(See(
        tracker, [&](const Image& s) { return reader.Status(s) == "Standby..."; },
        "loaded-stopped"));
    ASSERT_TRUE(tracker.RequestClose());
    ASSERT_TRUE(tracker.WaitForExit(20));
    secondSession += seconds();
    EXPECT_EQ(tracker.ExitStatus(), 0);
  }

  KeepFile(firstWav, "compose_journey_first.wav");
  KeepFile(secondWav, "compose_journey_second.wav");

  // The first run: the previews of the typing, then the two playbacks, a silence of 1.5 s
  // before each. Position 0 ends 5.5 rows before position 1 starts, the longest silence inside
  // the song.
  Capture first, second;
  ASSERT_TRUE(LoadCapture(firstWav, &first));
  ASSERT_TRUE(LoadCapture(secondWav, &second));
  // The wave writer runs from the opening of the sound device to the end of the program: all
  // of a run but its first moments, dialogs included.
  std::cout << "first run " << firstSession << " s, captured " << first.Seconds()
            << " s; second run " << secondSession << " s, captured " << second.Seconds() << " s\n";
  const std::vector<Stretch> firstStretches = SoundStretches(first, 1.0);
  ASSERT_GE(firstStretches.size(), 2u);
  std::string problems;
  const Playback played = Measure(first, firstStretches[firstStretches.size() - 2], &problems);
  const Playback mutedPlay = Measure(first, firstStretches.back(), &problems);
  const std::vector<Stretch> secondStretches = SoundStretches(second, 1.0);
  ASSERT_EQ(secondStretches.size(), 1u) << "the second run played the song once, nothing else";
  const Playback replayed = Measure(second, secondStretches[0], &problems);
  ASSERT_EQ(problems, "");

  // Row spacing: every onset on its row, rows of songSpeed ticks of 1/51 s.
  for (size_t k = 1; k < ONSET_ROWS.size(); ++k) {
    const double expected = (ONSET_ROWS[k] - ONSET_ROWS[k - 1]) * ROW_SECONDS;
    const double interval = played.onsets[k] - played.onsets[k - 1];
    std::cout << "rows " << ONSET_ROWS[k - 1] << " to " << ONSET_ROWS[k] << ": " << interval * 1000
              << " ms (expected " << expected * 1000 << ")\n";
    EXPECT_NEAR(interval, expected, TIMING_TOLERANCE) << "onset of row " << ONSET_ROWS[k];
  }
  // Over 32 rows the quantisation shares out: the row length to within 1.5 ms.
  EXPECT_NEAR(played.onsets.back() / 32, ROW_SECONDS, TIMING_TOLERANCE / 32 + 0.0003);

  // Pitches of the single notes, one per channel.
  const int semitones[5] = {12, 16, 19, 24, 12};
  for (int k = 0; k < 5; ++k) {
    const double hz = played.pitches[static_cast<size_t>(k)];
    std::cout << "note " << k << ": " << hz << " Hz (expected " << NoteHz(semitones[k]) << ")\n";
    EXPECT_NEAR(hz, NoteHz(semitones[k]), NoteHz(semitones[k]) * 0.003) << "note " << k;
  }

  // The envelope: the level falls in a straight line to silence, 0.1 / ENV of the volume per
  // tick. At volume digit 8 the last audible tick is the 29th after the note's (0.1 / 3 per
  // tick from 1.0); at digit 4 the 14th, starting from half the level.
  std::cout << "decay to silence: " << played.loud.ZeroAfter() + 0.01 << " s at digit 8, "
            << played.quiet.ZeroAfter() + 0.01 << " s at digit 4\n";
  EXPECT_NEAR(played.loud.ZeroAfter() + 0.01, 29.5 * TICK_SECONDS, TIMING_TOLERANCE);
  EXPECT_NEAR(played.quiet.ZeroAfter() + 0.01, 14.5 * TICK_SECONDS, TIMING_TOLERANCE);
  EXPECT_NEAR(played.quiet.intercept / played.loud.intercept, 0.49, 0.05);
  EXPECT_NEAR(played.quiet.slope / played.loud.slope, 1.0, 0.15);

  // The arpeggio: base, +4, +7, ... four ticks each, from the note's start to its note off
  // (48 ticks: twelve steps).
  std::cout << "arpeggio steps:";
  for (int s : played.arpeggioSteps) std::cout << " " << s;
  std::cout << "\nstep changes at " << Join(played.arpeggioChanges) << "\n";
  ASSERT_GE(played.arpeggioSteps.size(), 11u);
  EXPECT_LE(played.arpeggioSteps.size(), 12u);
  for (size_t k = 0; k < played.arpeggioSteps.size(); ++k) {
    EXPECT_EQ(played.arpeggioSteps[k], static_cast<int>(k % 3)) << "step " << k;
  }
  const double arpeggioStart = played.onsets[5];
  ASSERT_FALSE(played.arpeggioChanges.empty());
  EXPECT_NEAR(played.arpeggioChanges[0] - arpeggioStart, 4 * TICK_SECONDS, TIMING_TOLERANCE);
  for (size_t k = 1; k < played.arpeggioChanges.size(); ++k) {
    EXPECT_NEAR(played.arpeggioChanges[k] - played.arpeggioChanges[k - 1], 4 * TICK_SECONDS,
                TIMING_TOLERANCE)
        << "step change " << k;
  }

  // Channel 2 on position 1: sounding throughout; the row without volume digit re-pitches it
  // to E-3 and starts its envelope again; the row with one restarts it.
  std::cout << "channel 2 levels: " << played.channel2Before << " " << played.channel2Repitched
            << " " << played.channel2Restarted << "; after row 16: " << played.repitchedHz
            << " Hz\n";
  EXPECT_GT(played.channel2Before, 0.02);
  EXPECT_GT(played.channel2Repitched, 0.02);
  EXPECT_GT(played.channel2Restarted, 0.02);
  EXPECT_NEAR(played.repitchedHz, NoteHz(16), NoteHz(16) * 0.01);

  // The mute, pressed on row muteRow of position 1: the sounding note goes on, the row without
  // volume digit keeps it audible, and the row with one silences it.
  std::cout << "muted on row " << muteRow << "; channel 2 levels: " << mutedPlay.channel2Before
            << " " << mutedPlay.channel2Repitched << " " << mutedPlay.channel2Restarted << "\n";
  EXPECT_GT(mutedPlay.channel2Before, 0.8 * played.channel2Before);
  EXPECT_GT(mutedPlay.channel2Repitched, 0.8 * played.channel2Repitched);
  EXPECT_LT(mutedPlay.channel2Restarted, 0.02 * played.channel2Restarted);

  // The song loaded in the second run sounds like the one played in the first.
  ASSERT_EQ(replayed.onsets.size(), played.onsets.size());
  for (size_t k = 1; k < played.onsets.size(); ++k) {
    EXPECT_NEAR(replayed.onsets[k], played.onsets[k], TIMING_TOLERANCE) << "onset " << k;
  }
  for (size_t k = 0; k < played.pitches.size(); ++k) {
    EXPECT_NEAR(replayed.pitches[k], played.pitches[k], played.pitches[k] * 0.003) << "note " << k;
  }
  EXPECT_EQ(replayed.arpeggioSteps, played.arpeggioSteps);
  EXPECT_NEAR(replayed.loud.ZeroAfter(), played.loud.ZeroAfter(), TIMING_TOLERANCE);
  EXPECT_NEAR(replayed.loud.intercept / played.loud.intercept, 1.0, 0.1);
  EXPECT_NEAR(replayed.channel2Restarted / played.channel2Restarted, 1.0, 0.2);
  EXPECT_NEAR(replayed.repitchedHz, played.repitchedHz, played.repitchedHz * 0.01);
}

}  // namespace
}  // namespace vexa_test

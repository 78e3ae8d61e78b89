// An input storm against the whole tracker in every mode, with frames on the real renderer:
//
// - a sweep that clicks every point of a grid over the whole window (and a little past its
//   edges) once in each mode: standby, editing, playing, song name entry and description entry;
// - random phases, one per mode, that mostly keep the tracker in that mode and throw keys (any
//   code, held or tapped), characters (any code point), clicks, drags and mouse moves at it, with
//   long runs of updates while the song plays;
// - the file dialogs answered at random: saves confirmed or refused, loads of the songs the storm
//   saved itself, of names that do not exist, or cancelled.
//
// After every update the song must keep its 8192 cells per column, the cursor, the position and
// the values shown must stay in their ranges, and the sound device must only have been given
// finite gains and rates on the tracker's eight channels; the sanitizer build catches any
// read or write outside the tracker's arrays. VEXA_SOAK=long runs a denser sweep and longer
// phases.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <random>
#include <set>

#include "host/dialogs/requester.h"
#include "host/dialogs/utf8_text.h"
#include "host/input/key_codes.h"
#include "tests/soak/soak.h"
#include "tests/soak/soak_tracker.h"

namespace {

namespace fs = std::filesystem;

enum class Mode { kStandby, kEditing, kPlaying, kNameEntry, kDescriptionEntry };
const Mode MODES[] = {Mode::kStandby, Mode::kEditing, Mode::kPlaying, Mode::kNameEntry,
                      Mode::kDescriptionEntry};

const char* Name(Mode mode) {
  switch (mode) {
    case Mode::kStandby:
      return "standby";
    case Mode::kEditing:
      return "editing";
    case Mode::kPlaying:
      return "playing";
    case Mode::kNameEntry:
      return "name entry";
    case Mode::kDescriptionEntry:
      return "description entry";
  }
  return "?";
}

// Play and stop work in every mode, also while a text entry is on: the song then plays with the
// entry left on, and the entry goes on once the song stops.
Mode ModeOf(const c_SoundEngine& e) {
  if (e.engineMode == MODE_PLAYING) return Mode::kPlaying;
  if (e.nameEntry) return Mode::kNameEntry;
  if (e.descriptionEntry) return Mode::kDescriptionEntry;
  if (e.engineMode == MODE_EDITING) return Mode::kEditing;
  return Mode::kStandby;
}

// Answers the dialogs at random: most saves confirmed, loads of a song in the songs folder, of a
// name that does not exist, or cancelled.
class StormRequester : public Requester {
 public:
  StormRequester(std::mt19937& rng, std::string songs) : rng(rng), songs(std::move(songs)) {
    previous = CurrentRequester();
    SetRequester(this);
  }
  ~StormRequester() override { SetRequester(previous); }

  String RequestFile(const String&, const String&, bool, const String&) override {
    ++files;
    switch (rng() % 4) {
      case 0:
        return String();
      case 1:
        return FromLatin1(songs + "no such song.dat");
      default: {
        std::vector<std::string> saved;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(songs, ec)) {
          if (entry.is_regular_file()) saved.push_back(entry.path().string());
        }
        if (saved.empty()) return String();
        ++loads;
        // File names are UTF-8 on disk; the desktop's chooser hands them over decoded.
        const String path = FromUtf8Output(saved[rng() % saved.size()]);
        longestName = std::max(longestName, path.size() - path.rfind(u'/') - 1);
        return path;
      }
    }
  }
  bool ConfirmDialog(const String&, const String&, bool) override {
    ++confirms;
    return rng() % 4 != 0;
  }

  long files = 0, loads = 0, confirms = 0;
  // The name entry takes at most 32 characters; a song chosen in the chooser brings its own name,
  // which may be longer.
  size_t longestName = 32;

 private:
  std::mt19937& rng;
  std::string songs;
  Requester* previous = nullptr;
};

// What must hold after every update; empty when it does.
std::string Inconsistency(SoakTracker& t, size_t longestName) {
  const c_SoundEngine& e = t.Engine();
  if (t.Audio().badCalls != 0) return "the sound device was given " + t.Audio().firstBadCall;
  for (int c = 1; c <= 4; ++c) {
    for (const String* column :
         {&e.trackNotes[c], &e.trackVolumes[c], &e.trackInstruments[c], &e.trackOctaves[c]}) {
      if (column->size() != static_cast<size_t>(COLUMN_CELLS)) {
        return "a column of channel " + std::to_string(c) + " has " +
               std::to_string(column->size()) + " cells";
      }
    }
  }
  // A note or volume written on row 32 leaves the cursor on 33 until the next pass wraps it.
  if (e.cursorColumn < 1 || e.cursorColumn > 8)
    return "cursor column " + std::to_string(e.cursorColumn);
  if (e.cursorRow < 1 || e.cursorRow > 33) return "cursor row " + std::to_string(e.cursorRow);
  if (e.songPosition < 0 || e.songPosition > 255) {
    return "song position " + std::to_string(e.songPosition);
  }
  if (e.rowOffset < 0 || e.rowOffset > 31) return "row offset " + std::to_string(e.rowOffset);
  if (e.engineMode != MODE_EDITING && e.engineMode != MODE_PLAYING &&
      e.engineMode != MODE_STANDBY) {
    return "mode " + std::to_string(e.engineMode);
  }
  if (e.undoIndex < 0 || e.undoIndex > 31) return "undo index " + std::to_string(e.undoIndex);
  if (e.editOctave < 0 || e.editOctave > 3) return "edit octave " + std::to_string(e.editOctave);
  if (e.songSpeed < 1 || e.songSpeed > 16) return "speed " + std::to_string(e.songSpeed);
  if (e.songLengthRows < 32 || e.songLengthRows > 99 * 32 || e.songLengthRows % 32 != 0) {
    return "song length " + std::to_string(e.songLengthRows);
  }
  if (e.currentInstrument < 1 || e.currentInstrument > 15) {
    return "instrument " + std::to_string(e.currentInstrument);
  }
  for (int entry : e.orderList) {
    if (entry < 0 || entry > 255) return "order entry " + std::to_string(entry);
  }
  for (int c = 1; c <= 4; ++c) {
    if (e.channelEnabled[c] != 0.0f && e.channelEnabled[c] != 1.0f) return "channel switch";
  }
  if (e.songFileName.size() > longestName) {
    return "a song name of " + std::to_string(e.songFileName.size());
  }
  for (const String& description : e.instrumentDescriptions) {
    if (description.size() > 21) return "a description of " + std::to_string(description.size());
  }
  return std::string();
}

class Storm {
 public:
  Storm(SoakTracker& t, unsigned seed, std::string songs)
      : t(t), rng(seed), requester(rng, std::move(songs)) {}

  // One update, a frame now and then, and the checks.
  void Step() {
    t.Update();
    ++updates[static_cast<size_t>(ModeOf(t.Engine()))];
    if (++sinceFrame >= 16) {
      t.Render();
      ++frames;
      sinceFrame = 0;
    }
    const std::string problem = Inconsistency(t, requester.longestName);
    ASSERT_EQ(problem, "") << "after " << total << " events";
  }

  // Brings the tracker into the mode with the keys and clicks a user would use.
  void Enter(Mode mode) {
    for (int attempt = 0; attempt < 6 && ModeOf(t.Engine()) != mode; ++attempt) {
      const c_SoundEngine& e = t.Engine();
      if (e.engineMode == MODE_PLAYING) {
        Tap(KEY_SPACE);  // to standby; a text entry that was on goes on
      } else if (mode == Mode::kPlaying) {
        Tap(KEY_F2);
      } else if (e.nameEntry || e.descriptionEntry) {
        Tap(KEY_ENTER);
      } else if (mode == Mode::kNameEntry) {
        t.ClickAt(100, 450);
        Step();
      } else if (mode == Mode::kDescriptionEntry) {
        t.ClickAt(450, 130);
        Step();
      } else {
        Tap(KEY_SPACE);  // standby and editing toggle
      }
      if (::testing::Test::HasFatalFailure()) return;
    }
    const c_SoundEngine& e = t.Engine();
    ASSERT_STREQ(Name(ModeOf(e)), Name(mode))
        << "after " << total << " events: engine mode " << e.engineMode << ", name entry "
        << e.nameEntry << ", description entry " << e.descriptionEntry << ", mouse at "
        << t.Input().MouseX() << ", " << t.Input().MouseY();
  }

  // Clicks every point of the grid, in the mode each time.
  void Sweep(Mode mode, int step) {
    for (int y = -step / 2; y < 475 + step; y += step) {
      for (int x = -step / 2; x < 640 + step; x += step) {
        Enter(mode);
        if (::testing::Test::HasFatalFailure()) return;
        t.ClickAt(static_cast<float>(x), static_cast<float>(y));
        ++total;
        Step();
        if (::testing::Test::HasFatalFailure()) return;
      }
    }
  }

  // Random input that mostly keeps the tracker in the mode.
  void Phase(Mode mode, int events) {
    for (int n = 0; n < events; ++n) {
      if (Pick(5) != 0) Enter(mode);
      if (::testing::Test::HasFatalFailure()) return;
      Event(mode);
      ++total;
      if (::testing::Test::HasFatalFailure()) return;
    }
  }

  void Report() const {
    std::cout << total << " events, " << frames << " frames; updates by mode:";
    for (Mode mode : MODES) std::cout << " " << Name(mode) << " " << updates[size_t(mode)];
    std::cout << "; dialogs: " << requester.files << " file choices (" << requester.loads
              << " loads), " << requester.confirms << " confirmations\n";
  }

  std::array<long, 5> updates{};

 private:
  int Pick(size_t n) { return static_cast<int>(rng() % n); }

  void Tap(int key) {
    t.PressKey(key);
    Step();
    t.ReleaseKey(key);
  }

  void Event(Mode mode) {
    static const std::vector<int> kKeys = {
        KEY_TAB,      KEY_RIGHT,  KEY_LEFT,      KEY_UP,     KEY_DOWN,  KEY_PAGEUP,
        KEY_PAGEDOWN, KEY_INSERT, KEY_BACKSPACE, KEY_DELETE, KEY_ENTER, KEY_F5,
        KEY_F6,       KEY_F7,     KEY_F8,        KEY_F9,     KEY_F10,   KEY_F11,
        KEY_F12,      KEY_SPACE,  KEY_F1,        KEY_F2,     KEY_HOME,  KEY_ESCAPE};
    static const std::string kTyped =
        "ysxdcvgbhnjmq2w3er5t6z7ui9o0p<+#-.abcdefABCDEFYZ !&()[]_,;:=?~\x7f";
    switch (Pick(12)) {
      case 0:
      case 1: {  // a key tapped, sometimes any code at all
        int key = kKeys[static_cast<size_t>(Pick(kKeys.size()))];
        if (Pick(10) == 0) key = 1 + Pick(511);
        t.PressKey(key);
        Step();
        t.ReleaseKey(key);
        break;
      }
      case 2: {  // Up or Down held long enough to repeat
        const int key = Pick(2) ? KEY_UP : KEY_DOWN;
        t.PressKey(key);
        for (int u = 1 + Pick(30); u > 0 && !::testing::Test::HasFatalFailure(); --u) Step();
        t.ReleaseKey(key);
        break;
      }
      case 3:
      case 4: {  // a character, sometimes several in one update
        for (int k = Pick(4) == 0 ? 3 : 1; k > 0; --k) {
          int ch;
          switch (Pick(4)) {
            case 0:
              ch = 1 + Pick(0x10FFFF);
              break;
            case 1:
              ch = Pick(256);
              break;
            default:
              ch = static_cast<unsigned char>(kTyped[static_cast<size_t>(Pick(kTyped.size()))]);
          }
          // No "/" in song names: a name is a path below the songs folder, and random ones must
          // not reach outside the test's folder.
          if (ch == '/') ch = '-';
          t.TypeChar(ch);
        }
        Step();
        break;
      }
      case 5: {  // a click anywhere, also a little outside the window
        t.ClickAt(static_cast<float>(Pick(720)) - 40, static_cast<float>(Pick(555)) - 40);
        Step();
        break;
      }
      case 6: {  // a drag: pressed, moved over several updates, released
        t.MoveMouse(static_cast<float>(Pick(640)), static_cast<float>(Pick(475)));
        t.Input().PutKeyHit(KEY_LMB);
        for (int u = 1 + Pick(5); u > 0 && !::testing::Test::HasFatalFailure(); --u) {
          Step();
          t.MoveMouse(static_cast<float>(Pick(640)), static_cast<float>(Pick(475)));
        }
        t.Input().PutKeyRelease(KEY_LMB);
        break;
      }
      case 7:
        t.MoveMouse(static_cast<float>(Pick(640)), static_cast<float>(Pick(475)));
        break;
      default: {  // updates: long runs while playing
        const int runs = mode == Mode::kPlaying ? 1 + Pick(200) : 1 + Pick(4);
        for (int u = 0; u < runs && !::testing::Test::HasFatalFailure(); ++u) Step();
        break;
      }
    }
  }

  SoakTracker& t;
  std::mt19937 rng;
  StormRequester requester;
  long total = 0;
  long frames = 0;
  int sinceFrame = 0;
};

TEST(InputStorm, EveryAreaClickedInEveryModeAndRandomInputKeepTheTrackerConsistent) {
  ProgramFolder program;
  // A song the user put there under a name longer than the name entry takes: the empty song.
  std::string emptySong = std::string("QNT1\x01\x04\x01", 7) + std::string(4 * 32, '.') +
                          std::string(12 * 32, '0') + std::string(256 + 249, '\0') +
                          std::string(31 * 21, ' ');
  program.folder.Write("data/songs/a song with a name longer than the name box takes.dat",
                       std::vector<unsigned char>(emptySong.begin(), emptySong.end()));
  SoakTracker t(program.folder.PathText(), SoakTracker::Screen::kRealRenderer);
  ASSERT_TRUE(t.Ready()) << "no window for the real renderer (needs DISPLAY)";
  Storm storm(t, 20240611u, program.SongsPath());
  const int step = SoakAmount(20, 4);
  const int events = SoakAmount(2000, 100000);
  for (Mode mode : MODES) {
    SCOPED_TRACE(Name(mode));
    storm.Sweep(mode, step);
    if (HasFatalFailure()) return;
  }
  for (Mode mode : MODES) {
    SCOPED_TRACE(Name(mode));
    storm.Phase(mode, events);
    if (HasFatalFailure()) return;
  }
  storm.Report();
  // Every mode had its share of the updates.
  long all = 0;
  for (long n : storm.updates) all += n;
  for (Mode mode : MODES) {
    EXPECT_GT(storm.updates[static_cast<size_t>(mode)], all / 20) << Name(mode);
  }
}

}  // namespace

// A user edits and watches the screen: notes typed and undone with the undo button, a volume
// digit, a track copied with F9 and pasted with the "pastetrck" caption into another channel and
// with F10 into another pattern, an undo that also takes back those unrecorded changes, the
// instrument description typed into its box, the song name typed into the name box. Each step is
// read back off the screen through the font's glyph shapes; at the end the whole window must
// equal, pixel for pixel, the frame the tracker draws for the state the user expects, rendered by
// the test itself.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <iostream>

#include "tests/e2e/harness.h"
#include "tests/e2e/reference_frame.h"
#include "tests/e2e/tracker_user.h"

namespace vexa_test {
namespace {

const char* const EMPTY_ROW_CELLS = " ---00 ---00 ---00 ---00";

class EditJourney : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run through ./test.sh (needs DISPLAY)";
    ASSERT_TRUE(reader.Ok());
  }

  // Waits until the screen shows what the check wants; keeps the last capture on a timeout.
  std::optional<Image> See(const std::function<bool(const Image&)>& check,
                           const std::string& what) {
    std::optional<Image> seen = tracker.WaitForWindowImage(check, 10);
    if (!seen) {
      if (auto last = tracker.CaptureWindow()) KeepImage(*last, "edit_" + what + ".png");
    }
    return seen;
  }
  // The screen rows 0 to rows.size() - 1 read as given.
  bool SeeRows(const std::vector<std::string>& rows, const std::string& what) {
    const auto shot = See(
        [&](const Image& s) {
          for (size_t i = 0; i < rows.size(); ++i) {
            if (reader.Row(s, static_cast<int>(i)) != rows[i]) return false;
          }
          return true;
        },
        what);
    if (!shot) {
      if (const auto last = tracker.CaptureWindow()) {
        for (size_t i = 0; i < rows.size(); ++i) {
          ADD_FAILURE() << what << ": row " << i << " reads \""
                        << reader.Row(*last, static_cast<int>(i)) << "\", expected \"" << rows[i]
                        << "\"";
        }
      }
    }
    return shot.has_value();
  }
  void Move(int row, int column) { ASSERT_TRUE(tracker.Keys(cursor.MovesTo(row, column), 80)); }

  ScreenReader reader;
  TrackerSession tracker;
  EditorCursor cursor;
};

TEST_F(EditJourney, UndoCopyPasteDescriptionAndNameAppearOnScreen) {
  std::string error;
  ASSERT_TRUE(tracker.Start(&error)) << error;
  ASSERT_TRUE(tracker.Focus());
  ASSERT_TRUE(tracker.Keys({"space"}));
  ASSERT_TRUE(See([&](const Image& s) { return s.At(300, 20) == EDIT_BAR_COLOUR; }, "editing"))
      << "no bar behind the cursor row";

  // Down held for a second: one row at once, then after 12 updates one row per update. The
  // keyboard's own repeat adds nothing (a held key is one hit), so the cursor moves
  // 1 + (updates held - 12) rows, about 40 at 51 updates a second.
  const auto heldFor = [] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  };
  double held = -heldFor();
  ASSERT_TRUE(tracker.KeyDown("Down"));
  PauseMs(1000);
  ASSERT_TRUE(tracker.KeyUp("Down"));
  held += heldFor();
  PauseMs(200);
  const std::optional<Image> afterHold = tracker.CaptureWindow();
  ASSERT_TRUE(afterHold);
  int barRow = 0;
  for (int row = 1; row <= 32 && barRow == 0; ++row) {
    if (afterHold->At(300, 12 * row + 6) == EDIT_BAR_COLOUR) barRow = row;
  }
  ASSERT_GT(barRow, 0) << "no bar behind the cursor row";
  // The rows moved: of the counts that leave the cursor there, the one nearest to the expected.
  const double updates = held * UPDATE_RATE;
  int moved = barRow - 1;
  while (std::fabs(moved + 32 - (updates - 11)) < std::fabs(moved - (updates - 11))) moved += 32;
  std::cout << "Down held " << held << " s (" << updates << " updates): " << moved << " rows\n";
  EXPECT_LE(moved, 1 + (updates + 2) - 12) << "the held key moved the cursor too far";
  // A loaded machine may drop updates (at most four run back to back), never add them.
  EXPECT_GE(moved, 1 + 0.7 * updates - 12) << "the held key hardly moved the cursor";
  cursor.row = barRow;
  Move(1, 1);

  // Three notes, then two undos: the last note goes, then the one before.
  ASSERT_TRUE(tracker.TypeText("qwe", 150));
  for (int i = 0; i < 3; ++i) cursor.Typed();
  ASSERT_TRUE(SeeRows({"00: C-381" + std::string(EMPTY_ROW_CELLS).substr(6),
                       "01: D-381 ---00 ---00 ---00", "02: E-381 ---00 ---00 ---00"},
                      "typed"));
  ASSERT_TRUE(tracker.Click(597, 346));  // "undo"
  ASSERT_TRUE(SeeRows(
      {"00: C-381 ---00 ---00 ---00", "01: D-381 ---00 ---00 ---00", "02: ---00 ---00 ---00 ---00"},
      "first-undo"));
  ASSERT_TRUE(tracker.Click(597, 346));
  ASSERT_TRUE(
      SeeRows({"00: C-381 ---00 ---00 ---00", "01: ---00 ---00 ---00 ---00"}, "second-undo"));

  // A volume digit on row 0: "c" is written as "C".
  Move(1, 2);
  ASSERT_TRUE(tracker.TypeText("c", 80));
  cursor.Typed();
  ASSERT_TRUE(SeeRows({"00: C-3C1 ---00 ---00 ---00"}, "volume"));

  // F9 copies channel 1's track; the "pastetrck" caption pastes it into channel 3.
  ASSERT_TRUE(tracker.Keys({"F9"}));
  Move(cursor.row, 6);
  ASSERT_TRUE(tracker.Click(540, 389));
  ASSERT_TRUE(SeeRows({"00: C-3C1 ---00 C-3C1 ---00", "01: ---00 ---00 ---00 ---00"}, "paste"));

  // Position 1 gets pattern 1 with the order spinner; F10 pastes the track there too.
  ASSERT_TRUE(tracker.Keys({"Next"}));
  ASSERT_TRUE(SetSpinner(tracker, reader, spinners::ORDER, 1, &error)) << error;
  ASSERT_TRUE(SeeRows({"00:" + std::string(EMPTY_ROW_CELLS)}, "pattern-1"));
  ASSERT_TRUE(tracker.Keys({"F10"}));
  const auto pasted = See(
      [&](const Image& s) {
        return reader.Row(s, 0) == "00: ---00 ---00 C-3C1 ---00" &&
               reader.Position(s, 0) == " 01: 01";
      },
      "paste-pattern-1");
  ASSERT_TRUE(pasted) << "the track is not in pattern 1 at position 1";
  ASSERT_TRUE(tracker.Keys({"Prior"}));
  ASSERT_TRUE(SeeRows({"00: C-3C1 ---00 C-3C1 ---00"}, "back-to-0"));

  // The undo before the first note: the volume digit and both pastes go with the note.
  ASSERT_TRUE(tracker.Click(597, 346));
  ASSERT_TRUE(SeeRows({"00:" + std::string(EMPTY_ROW_CELLS), "01:" + std::string(EMPTY_ROW_CELLS)},
                      "undo-all"));
  ASSERT_TRUE(tracker.Keys({"Next"}));
  ASSERT_TRUE(SeeRows({"00:" + std::string(EMPTY_ROW_CELLS)}, "undo-all-pattern-1"));
  ASSERT_TRUE(tracker.Keys({"Prior"}));
  // The clipboard is not part of the undo history: F10 pastes the track again.
  ASSERT_TRUE(tracker.Keys({"F10"}));
  ASSERT_TRUE(SeeRows({"00: ---00 ---00 C-3C1 ---00"}, "paste-again"));

  // The description: the box empties at the click, takes lower-case letters, digits and a few
  // signs but no capitals, and is padded when Enter ends it. Typing stops editing.
  ASSERT_TRUE(tracker.Click(450, 130));
  ASSERT_TRUE(tracker.TypeText("lead-1 (soXft)", 150));
  ASSERT_TRUE(
      See([&](const Image& s) { return reader.Description(s) == "lead-1 (soft)"; }, "description"))
      << "the description is not in its box";
  ASSERT_TRUE(tracker.Keys({"Return"}));
  ASSERT_TRUE(SetSpinner(tracker, reader, spinners::INSTRUMENT, 2, &error)) << error;
  ASSERT_TRUE(See([&](const Image& s) { return reader.Description(s).empty(); }, "description-2"))
      << "instrument 2 shows a description";
  ASSERT_TRUE(SetSpinner(tracker, reader, spinners::INSTRUMENT, 1, &error)) << error;
  ASSERT_TRUE(See([&](const Image& s) { return reader.Description(s) == "lead-1 (soft)"; },
                  "description-back"));

  // The song name.
  ASSERT_TRUE(tracker.Click(100, 450));
  ASSERT_TRUE(tracker.TypeText("tune.dat", 150));
  ASSERT_TRUE(tracker.Keys({"Return"}));
  ASSERT_TRUE(See([&](const Image& s) { return reader.SongName(s) == "tune.dat"; }, "name"));

  PauseMs(300);
  const std::optional<Image> final = tracker.CaptureWindow();
  ASSERT_TRUE(final);
  ASSERT_TRUE(tracker.RequestClose());
  ASSERT_TRUE(tracker.WaitForExit(20));
  EXPECT_EQ(tracker.ExitStatus(), 0);

  // The frame of the state the user expects: channel 3's pasted cell in pattern 0, pattern 1
  // at position 1, instruments 1 and 2 clamped to WAV 1 and ENV 1 when they were shown, the
  // description and the name; the text entries leave the tracker in standby with the status
  // line as it was, the cursor on channel 3's volume column.
  const int cursorRow = cursor.row;
  const std::optional<Image> expected = RenderReferenceFrame([&](c_SoundEngine& e) {
    WriteCell(e.trackNotes[3], 0, u'q');
    WriteCell(e.trackVolumes[3], 0, u'C');
    WriteCell(e.trackInstruments[3], 0, u'1');
    WriteCell(e.trackOctaves[3], 0, u'2');
    e.orderList[1] = 1;
    for (int i : {1, 2}) {
      e.instrumentTable[static_cast<size_t>(8 * i)] = 1;
      e.instrumentTable[static_cast<size_t>(8 * i + 4)] = 1;
    }
    e.instrumentDescriptions[1] = u"lead-1 (soft)        ";
    e.songFileName = u"tune.dat";
    e.engineMode = MODE_STANDBY;
    e.statusText = u"Editing...";
    e.cursorRow = cursorRow;
    e.cursorColumn = 6;
  });
  ASSERT_TRUE(expected) << "cannot render the reference frame";
  const int differing = DifferingPixels(*final, *expected);
  if (differing != 0) {
    KeepImage(*final, "edit_final.png");
    KeepImage(*expected, "edit_expected.png");
  }
  EXPECT_EQ(differing, 0) << "the window differs from the expected frame";
}

}  // namespace
}  // namespace vexa_test

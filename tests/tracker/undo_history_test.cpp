#include <gtest/gtest.h>

#include "tests/support/tracker_fixture.h"

namespace {

class UndoHistory : public ::testing::Test {
 protected:
  TrackerFixture t;
  c_SoundEngine& e = *t.engine;

  // Writes a note the way note entry leaves it in the song, then records it.
  void EnterNote(int index, char note) {
    t.WriteRow(1, index, std::string(1, note) + "812");
    e.PushUndoSnapshot();
  }
  String Notes() const { return e.trackNotes[1].substr(0, 4); }
};

TEST_F(UndoHistory, ThreeNotesThreeUndosGiveTheEmptySongAndAFourthStaysAtSlotZero) {
  EnterNote(0, 'q');
  EnterNote(1, 'w');
  EnterNote(2, 'e');
  EXPECT_EQ(e.undoIndex, 3);
  EXPECT_EQ(Notes(), u"qwe.");

  const String expected[] = {u"qw..", u"q...", u"....", u"...."};
  for (const String& notes : expected) {
    e.RestoreUndoSnapshot();
    EXPECT_EQ(Notes(), notes);
  }
  EXPECT_EQ(e.undoIndex, 0);
  EXPECT_EQ(e.trackVolumes[1][0], u'0');
  EXPECT_EQ(e.trackOctaves[1][0], u'0');
}

TEST_F(UndoHistory, UnrecordedChangesAfterTheLastNoteAreUndoneWithIt) {
  EnterNote(0, 'q');
  WriteCell(e.trackVolumes[2], 5, u'F');  // a volume digit takes no snapshot
  e.RestoreUndoSnapshot();
  EXPECT_EQ(e.trackVolumes[2][5], u'0');
  EXPECT_EQ(Notes(), u"....");
}

TEST_F(UndoHistory, RingWrapsFromSlot31ToSlot0) {
  for (int i = 0; i < 31; ++i) e.PushUndoSnapshot();
  EXPECT_EQ(e.undoIndex, 31);
  EnterNote(0, 'p');  // the 32nd push overwrites slot 0
  EXPECT_EQ(e.undoIndex, 0);
  EXPECT_EQ(e.undoHistory[0].notes[1][0], u'p');

  t.WriteRow(1, 0, ".000");
  e.RestoreUndoSnapshot();  // never below 0: slot 0 again, now holding the "p"
  EXPECT_EQ(e.undoIndex, 0);
  EXPECT_EQ(Notes(), u"p...");
}

TEST_F(UndoHistory, SnapshotsHoldOnlyTheColumns) {
  e.orderList[1] = 5;
  e.instrumentTable[8] = 3;
  e.RestoreUndoSnapshot();
  EXPECT_EQ(e.orderList[1], 5);
  EXPECT_EQ(e.instrumentTable[8], 3);
}

TEST_F(UndoHistory, ShortColumnsComeBackAsShortAsTheyWere) {
  e.trackNotes[3].resize(40);
  e.PushUndoSnapshot();
  e.trackNotes[3].assign(COLUMN_CELLS, u'.');
  e.PushUndoSnapshot();
  e.RestoreUndoSnapshot();
  EXPECT_EQ(e.trackNotes[3].size(), 40u);
}

}  // namespace

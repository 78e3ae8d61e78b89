#include "tracker/song_model.h"

#include <gtest/gtest.h>

#include "tests/support/tracker_fixture.h"

namespace {

TEST(SongModel, NoteCellCodes) {
  const String keys = u"ysxdcvgbhnjmq2w3er5t6z7ui9o0p";
  for (size_t k = 0; k < keys.size(); ++k) {
    EXPECT_EQ(DecodeNoteCell(keys, static_cast<int>(k)), static_cast<int>(k)) << char(keys[k]);
  }
  struct Case {
    String column;
    int index;
    int code;
  };
  const Case cases[] = {
      {u"+", 0, 127},   {u"<", 0, 128}, {u"#", 0, 129}, {u"-", 0, 130},
      {u".", 0, 255},   {u"a", 0, 0},  // unrecognised character reads as the key "y"
      {u"Q", 0, 0},                    // capitals are not keys
      {u"..", 2, 0},                   // past the end of the column
      {u"..", -1, 0},                  // before its start
      {String(), 0, 0},                // an empty column
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeNoteCell(c.column, c.index), c.code) << "index " << c.index;
  }
}

TEST(SongModel, DigitCells) {
  struct Case {
    char16_t cell;
    int hex;
    int decimal;
  };
  const Case cases[] = {{u'0', 0, 0},  {u'7', 7, 7},  {u'9', 9, 9},   {u'a', 10, 0}, {u'A', 10, 0},
                        {u'f', 15, 0}, {u'F', 15, 0}, {u'g', 0, 0},   {u'G', 0, 0},  {u'.', 0, 0},
                        {u' ', 0, 0},  {u'<', 0, 0},  {u'\xC8', 0, 0}};
  for (const Case& c : cases) {
    const String column(1, c.cell);
    EXPECT_EQ(HexCellValue(column, 0), c.hex) << int(c.cell);
    EXPECT_EQ(DecimalCellValue(column, 0), c.decimal) << int(c.cell);
  }
  EXPECT_EQ(HexCellValue(u"F", 1), 0);
  EXPECT_EQ(DecimalCellValue(u"3", 1), 0);
  EXPECT_EQ(CellAt(u"ab", 1), u"b");
  EXPECT_EQ(CellAt(u"ab", 2), u"");
  EXPECT_EQ(CellAt(u"ab", -1), u"");
}

TEST(SongModel, WriteCellReplacesOneCharacterAndKeepsTheLength) {
  String column = u"....";
  WriteCell(column, 1, u'q');
  EXPECT_EQ(column, u".q..");
  for (int index : {4, 5, -1, 1 << 30}) {
    WriteCell(column, index, u'x');
    EXPECT_EQ(column, u".q..") << index;
  }
}

TEST(SongModel, BoundsSafeReaders) {
  TrackerFixture t;
  c_SoundEngine& e = *t.engine;
  e.instrumentTable[254] = 7;
  e.instrumentTable[8] = 3;
  EXPECT_EQ(e.InstrumentParam(1, 0), 3);
  EXPECT_EQ(e.InstrumentParam(31, 6), 7);  // element 254, the last one
  EXPECT_EQ(e.InstrumentParam(31, 7), 0);  // element 255 does not exist
  EXPECT_EQ(e.InstrumentParam(-1, 0), 0);
  EXPECT_EQ(e.InstrumentParam(1 << 29, 0), 0);

  e.orderList[255] = 9;
  EXPECT_EQ(e.OrderAt(255), 9);
  EXPECT_EQ(e.OrderAt(256), 0);
  EXPECT_EQ(e.OrderAt(-1), 0);
  e.orderList[3] = 200;
  EXPECT_EQ(e.PatternBaseAt(3), 6400);
  e.orderList[3] = 2000000000;  // far past the columns, and no overflow
  EXPECT_GE(e.PatternBaseAt(3), COLUMN_CELLS);
}

TEST(SongModel, StateBeforeTheCreateHook) {
  const c_SoundEngine e;
  EXPECT_EQ(e.engineMode, MODE_STANDBY);
  EXPECT_EQ(e.songSpeed, 4);
  EXPECT_EQ(e.songLengthRows, 32);
  EXPECT_EQ(e.currentInstrument, 1);
  EXPECT_EQ(e.editOctave, 2);
  EXPECT_EQ(e.keyboardLayout, u"DE");
  EXPECT_EQ(e.cursorRow, 0);
  EXPECT_EQ(e.cursorColumn, 0);
  EXPECT_EQ(e.undoIndex, 0);
  EXPECT_EQ(e.tickCounter, 0);
  EXPECT_TRUE(e.statusText.empty());
  EXPECT_TRUE(e.songFileName.empty());
  for (int c = 1; c <= 4; ++c) {
    EXPECT_EQ(e.channelEnabled[c], 1.0f);
    EXPECT_TRUE(e.trackNotes[c].empty());
    EXPECT_EQ(e.voices[c].volume, 0.0f);
    EXPECT_EQ(e.voices[c].sweepDirection, 0);
    EXPECT_EQ(e.voices[c].primarySound, nullptr);
  }
  for (int v : e.instrumentTable) EXPECT_EQ(v, 0);
  for (int v : e.orderList) EXPECT_EQ(v, 0);
  for (const String& d : e.instrumentDescriptions) EXPECT_TRUE(d.empty());
}

}  // namespace

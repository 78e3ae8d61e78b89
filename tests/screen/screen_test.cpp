// The tracker screen as drawn through a recording graphics device: the frame is read back as
// rectangles, texts (decoded from the tracker font's glyph rectangles) and images.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "graphics/drawing.h"
#include "tests/support/screen_text.h"
#include "tests/support/tracker_fixture.h"

namespace {

class Screen : public ::testing::Test {
 protected:
  TrackerFixture t;
  c_SoundEngine& e = *t.engine;

  void SetUp() override { ASSERT_TRUE(e.trackerFont && e.buttonImage); }

  // One frame of DrawScreen, decoded.
  std::vector<ScreenItem> Frame() {
    t.graphics.Clear();
    BeginDrawing();
    e.DrawScreen();
    EndDrawing();
    return ScreenItems(t.graphics.calls, e.trackerFont->pages[0]->surface.get());
  }

  std::vector<std::string> FrameLines() {
    std::vector<std::string> lines;
    for (const ScreenItem& item : Frame()) lines.push_back(Describe(item));
    return lines;
  }

  // The text of pattern row i (0-31) in a frame.
  static std::string RowText(const std::vector<ScreenItem>& items, int i) {
    const ScreenItem* row = TextAt(items, 0, 12.0f * (i + 1));
    return row ? row->text : "(none)";
  }

  static int Count(const std::vector<std::string>& lines, const std::string& prefix) {
    int n = 0;
    for (const std::string& line : lines) n += line.rfind(prefix, 0) == 0;
    return n;
  }
};

std::string Hex2(int value) {
  static const char digits[] = "0123456789ABCDEF";
  return {digits[(value >> 4) & 15], digits[value & 15]};
}

TEST(ScreenText, HexByteGivesTheLowEightBitsAsTwoUppercaseDigits) {
  const std::vector<std::pair<int, std::string>> cases = {{0, "00"},   {9, "09"},    {31, "1F"},
                                                          {171, "AB"}, {255, "FF"},  {256, "00"},
                                                          {-1, "FF"},  {0x1AB, "AB"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(HexByte(value), FromLatin1(text)) << value;
}

TEST(ScreenText, NoteCellNameOfEveryKindOfCell) {
  struct Case {
    String notes;
    String octaves;
    int index;
    String name;
  };
  const std::vector<Case> cases = {
      {u"y", u"0", 0, u"C-0"},
      {u"s", u"0", 0, u"C#0"},
      {u"m", u"0", 0, u"B-0"},
      {u"q", u"2", 0, u"C-3"},
      {u"2", u"1", 0, u"C#2"},  // key 13 at octave 1: index 25
      {u"z", u"1", 0, u"A-2"},
      {u"p", u"3", 0, u"E-5"},  // the highest note: index 64
      {u"<", u"0", 0, u"{|}"},
      {u".", u"1", 0, u"---"},
      {u"+", u"2", 0, u"-dn"},
      {u"#", u"3", 0, u"-up"},
      {u"-", u"0", 0, u"End"},
      {u"a", u"2", 0, u"???"},
      {String(1, u'\x7f'), u"2", 0, u"???"},
      {u"Y", u"0", 0, u"???"},
      // An octave digit outside 0-3 gives no name at all, whatever the note.
      {u"q", u"4", 0, u""},
      {u".", u"9", 0, u""},
      {u"q", u"a", 0, u""},
      // Past the end of the octave column, or of the note column.
      {u"q", u"", 0, u""},
      {u"", u"2", 0, u""},
      {u"qq", u"22", 2, u""},
      {u"..", u"22", 1, u"---"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NoteCellName(c.notes, c.index, c.octaves), c.name)
        << EncodeUtf8(c.notes) << " octave " << EncodeUtf8(c.octaves) << " at " << c.index;
  }
}

// Every step of a frame in its order, with its colours, positions and texts.
TEST_F(Screen, AFrameInEditingModePaintsEveryStepInOrder) {
  e.engineMode = MODE_EDITING;
  e.statusText = u"Editing...";
  e.cursorRow = 3;
  e.cursorColumn = 4;
  e.currentInstrument = 2;
  t.SetInstrument(2, {3, 0x0C, 5, 0x5A, 0x80, 2, 4, 7});
  e.instrumentDescriptions[2] = u"lead";
  e.songFileName = u"tune";
  e.editOctave = 1;
  e.songSpeed = 6;
  e.songLengthRows = 64;
  e.keyboardLayout = u"US";
  e.channelEnabled[3] = 0.0f;
  e.orderList[1] = 5;
  t.WriteRow(1, 0, "q812");
  t.WriteRow(4, 5, "<F00");

  std::vector<std::string> expected = {
      "rect 86,60,106 0,0,640,475",
      "rect 38,38,38 2,0,640,14",
      "rect 0,0,0 2,14,380,385",
      "rect 86,60,106 303,14,2,387",
      "rect 71,53,85 305,14,77,12",
      "text 148,144,164 391,441 load save",
      "text 148,144,164 520,323 play home",
      "text 148,144,164 520,343 edit undo",
      "text 148,144,164 520,363 copytrack",
      "text 148,144,164 520,383 pastetrck",
      "text 148,144,164 425,40 [ [ [[[ [ [  [ ",
      "text 148,144,164 425,52 [ [ [   [ [ [ [",
      "text 148,144,164 425,64 [ [ [[[  [  [ [",
      "text 148,144,164 425,76 [ [ [   [ [ [[[",
      "text 148,144,164 425,88  [  [[[ [ [ [ [",
      "text 148,144,164 442,106 Description:",
      "rect 0,0,0 394,122,236,18",
      "rect 0,0,0 4,440,385,18",
      "text 128,128,128 396,123 lead",
      "text 128,128,128 0,-1 POS CHN1  CHN2  CHN3  CHN4  POS ## Status: ",
      "text 171.6,37.2,104.4 0,-1 " + std::string(43, ' ') + "Editing...",
      "text 148,144,164 385,144   INSTRUMENT:02",
      "text 148,144,164 385,360  OCT:01",
      "text 148,144,164 385,168          WAV:03",
      "text 148,144,164 385,180          PWM:0C",
      "text 148,144,164 385,192          SWP:05",
      "text 148,144,164 385,204          ENV:80",
      "text 148,144,164 385,216          E2P:05",
      "text 148,144,164 385,228          ARP:47",
      "text 148,144,164 385,240          SPD:02",
      "text 148,144,164 385,252          AMT:0A",
      "text 148,144,164 385,372  SPD:06",
      "text 148,144,164 385,384  Len:02",
      "text 148,144,164 520,440 Layout US",
      "rect 82,72,74 0,38,303,12",
      "text 143,31,87 132,36  [",
  };
  for (int i = 0; i < 32; ++i) {
    const std::string y = std::to_string(12 * (i + 1));
    const std::string colour = i % 4 == 0 ? "113.846,110.769,126.154" : "148,144,164";
    std::string cells = "---00 ---00 ---00 ---00";
    if (i == 0) cells = "C-381 ---00 ---00 ---00";
    if (i == 5) cells = "---00 ---00 ---00 {|}F0";
    expected.push_back("text " + colour + " 0," + y + " " + Hex2(i) + ": " + cells);
    expected.push_back("text 148,144,164 297," + y + "  " + Hex2(i) + ": " +
                       (i == 1 ? "05" : "00"));
  }
  for (const char* image :
       {"561,144", "473,360", "561,168", "561,180", "561,192", "561,204", "561,228", "593,228",
        "561,240", "561,252", "561,216", "473,372", "473,384", "385,12"}) {
    expected.push_back(std::string("image 255,255,255 ") + image);
  }
  expected.push_back("text 148,144,164 0,408     on    on    off   on  ");
  expected.push_back("text 148,144,164 0,441  tune");
  for (const char* x : {"407", "429", "451", "473"}) {
    expected.push_back(std::string("rect 81,93,149 ") + x + ",348,16,-2");
  }

  const std::vector<std::string> lines = FrameLines();
  EXPECT_EQ(lines.size(), expected.size());
  for (size_t i = 0; i < std::min(lines.size(), expected.size()); ++i) {
    EXPECT_EQ(lines[i], expected[i]) << "item " << i;
  }
}

TEST(ScreenRows, UnusualCellsChangeTheRowText) {
  struct Case {
    const char* what;
    std::function<void(TrackerFixture&)> setUp;
    std::string row0;
  };
  const std::vector<Case> cases = {
      {"octave digit 4: no note name, the rest moves left",
       [](TrackerFixture& f) { f.WriteRow(1, 0, "q814"); }, "00: 81 ---00 ---00 ---00"},
      {"octave letter", [](TrackerFixture& f) { f.WriteRow(2, 0, ".00x"); },
       "00: ---00 00 ---00 ---00"},
      {"note outside the keys", [](TrackerFixture& f) { f.WriteRow(1, 0, "a812"); },
       "00: ???81 ---00 ---00 ---00"},
      {"commands",
       [](TrackerFixture& f) {
         f.WriteRow(1, 0, "<000");
         f.WriteRow(2, 0, "+400");
         f.WriteRow(3, 0, "#F00");
         f.WriteRow(4, 0, "-000");
       },
       "00: {|}00 -dn40 -upF0 End00"},
      {"highest note and hexadecimal digits", [](TrackerFixture& f) { f.WriteRow(3, 0, "pAF3"); },
       "00: ---00 ---00 E-5AF ---00"},
      {"channel 2's columns end before the row: an empty cell",
       [](TrackerFixture& f) {
         for (String* column : {&f.engine->trackNotes[2], &f.engine->trackVolumes[2],
                                &f.engine->trackInstruments[2], &f.engine->trackOctaves[2]}) {
           column->clear();
         }
       },
       "00: ---00  ---00 ---00"},
      {"only the note column ends: the octave digit reads, the name stays empty",
       [](TrackerFixture& f) { f.engine->trackNotes[1].clear(); }, "00: 00 ---00 ---00 ---00"},
  };
  for (const Case& c : cases) {
    TrackerFixture f;
    c.setUp(f);
    f.graphics.Clear();
    BeginDrawing();
    f.engine->DrawScreen();
    EndDrawing();
    const auto items =
        ScreenItems(f.graphics.calls, f.engine->trackerFont->pages[0]->surface.get());
    const ScreenItem* row = TextAt(items, 0, 12);
    ASSERT_NE(row, nullptr) << c.what;
    EXPECT_EQ(row->text, c.row0) << c.what;
  }
}

TEST_F(Screen, ModesChangeThePlayCaptionAndTheCursorBar) {
  struct Case {
    int mode;
    const char* caption;
    bool bar;
  };
  for (const Case& c :
       {Case{MODE_EDITING, "play home", true}, Case{MODE_PLAYING, "stop home", false},
        Case{MODE_STANDBY, "play home", false}}) {
    e.engineMode = c.mode;
    e.cursorRow = 7;
    const std::vector<std::string> lines = FrameLines();
    EXPECT_EQ(Count(lines, std::string("text 148,144,164 520,323 ") + c.caption), 1) << c.mode;
    EXPECT_EQ(Count(lines, "rect 82,72,74 0,86,303,12"), c.bar ? 1 : 0) << c.mode;
    EXPECT_EQ(Count(lines, "text 143,31,87 33,84  ["), 1) << "the cursor is drawn in every mode";
  }
}

TEST_F(Screen, TheCursorFollowsTheNameOrTheDescriptionWhileTheyAreTyped) {
  e.songFileName = u"abc";
  e.instrumentDescriptions[1] = u"hello";
  e.cursorColumn = 8;
  e.cursorRow = 32;
  struct Case {
    bool name, description;
    std::string cursor;
  };
  const std::vector<Case> cases = {
      {true, false, "33,441"},    // 11 x 3 characters of the name
      {true, true, "33,441"},     // the name entry wins
      {false, true, "440,123"},   // 385 + 11 x 5 characters of the description
      {false, false, "264,384"},  // column 8, row 32: channel 4's volume cell
  };
  for (const Case& c : cases) {
    e.nameEntry = c.name;
    e.descriptionEntry = c.description;
    EXPECT_EQ(Count(FrameLines(), "text 143,31,87 " + c.cursor + "  ["), 1) << c.cursor;
  }
  // A character without a glyph counts for the cursor but leaves a gap before it.
  e.nameEntry = true;
  e.songFileName = u"a\u00fcb";
  const std::vector<ScreenItem> items = Frame();
  EXPECT_EQ(Count(FrameLines(), "text 143,31,87 33,441  ["), 1);
  // The name's glyphs end at x = 33, the "[" stands at 44: one empty cell between them.
  ASSERT_NE(TextAt(items, 0, 441), nullptr);
  EXPECT_EQ(TextAt(items, 0, 441)->text, " ab");
}

TEST_F(Screen, AChannelIsOnOnlyWhenItsValueIsExactlyOne) {
  const std::vector<std::pair<float, std::string>> cases = {{1.0f, "on  "}, {0.0f, "off "},
                                                            {0.5f, "off "}, {-1.0f, "off "},
                                                            {2.0f, "off "}, {0.99999994f, "off "}};
  for (const auto& [value, word] : cases) {
    e.channelEnabled = {1.0f, 1.0f, value, 1.0f, 1.0f};
    EXPECT_EQ(TextAt(Frame(), 0, 408)->text, "    on    " + word + "  on    on  ") << value;
  }
}

TEST_F(Screen, BeatRowsAndRowNumbersOfTheShownPattern) {
  e.orderList[2] = 3;
  e.songPosition = 2;
  e.patternBase = 3 * 32;
  t.WriteRow(2, 3 * 32 + 31, "e112");
  const std::vector<ScreenItem> items = Frame();
  for (int i = 0; i < 32; ++i) {
    const ScreenItem* row = TextAt(items, 0, 12.0f * (i + 1));
    ASSERT_NE(row, nullptr) << i;
    EXPECT_EQ(row->text.substr(0, 4), Hex2(i) + ": ");
    const bool beat = i % 4 == 0;
    EXPECT_FLOAT_EQ(row->r, beat ? 113.846f : 148.0f) << i;
    EXPECT_FLOAT_EQ(row->b, beat ? 126.154f : 164.0f) << i;
  }
  EXPECT_EQ(RowText(items, 31), "1F: ---00 E-311 ---00 ---00");
  // The current position is the top entry of the list.
  EXPECT_EQ(TextAt(items, 297, 12)->text, " 02: 03");
  EXPECT_EQ(TextAt(items, 297, 24)->text, " 03: 00");
}

TEST_F(Screen, PositionsPastTheEndOfTheOrderListAreBlank) {
  e.songPosition = 250;
  e.orderList[251] = 300;  // a loaded value outside 0-255 shows its low eight bits
  e.orderList[255] = 7;
  const std::vector<ScreenItem> items = Frame();
  EXPECT_EQ(TextAt(items, 297, 12)->text, " FA: 00");
  EXPECT_EQ(TextAt(items, 297, 24)->text, " FB: 2C");
  EXPECT_EQ(TextAt(items, 297, 72)->text, " FF: 07");
  for (int i = 6; i < 32; ++i) {
    EXPECT_EQ(TextAt(items, 297, 12.0f * (i + 1)), nullptr) << "row " << i;
  }
  // The pattern rows are drawn all the same.
  EXPECT_EQ(RowText(items, 31), "1F: ---00 ---00 ---00 ---00");
}

TEST_F(Screen, LevelBarsRiseWithPlayedNotesAndFallTwoPixelsAFrame) {
  // The level bar rectangles of a frame, channels 1 to 4.
  const auto bars = [this] {
    std::vector<std::string> found;
    for (const ScreenItem& item : Frame()) {
      if (item.kind == ScreenItem::kRect && item.y == 348) found.push_back(Describe(item));
    }
    return found;
  };
  t.WriteRow(1, 0, "q812");
  t.WriteRow(2, 0, "q912");
  t.WriteRow(3, 0, "qA12");  // a letter reads 0 as a decimal digit
  t.WriteRow(4, 0, "q812");
  e.channelEnabled[4] = 0.0f;  // muted: not raised

  // Not playing: every bar rests at 2 pixels.
  e.engineMode = MODE_EDITING;
  const std::vector<std::string> resting = {
      "rect 81,93,149 407,348,16,-2", "rect 81,93,149 429,348,16,-2",
      "rect 81,93,149 451,348,16,-2", "rect 81,93,149 473,348,16,-2"};
  EXPECT_EQ(bars(), resting);

  e.engineMode = MODE_PLAYING;
  // Volume x 8, less 2 at once; colour (old + 77, 97 - old, 153 - old).
  EXPECT_EQ(bars(), std::vector<std::string>(
                        {"rect 141,33,89 407,348,16,-62", "rect 149,25,81 429,348,16,-70",
                         "rect 81,93,149 451,348,16,-2", "rect 81,93,149 473,348,16,-2"}));
  EXPECT_EQ(e.vuLevel[1], 62);

  // Rows without a note: 2 pixels less every frame, down to the resting height.
  t.WriteRow(1, 0, ".000");
  EXPECT_EQ(bars()[0], "rect 139,35,91 407,348,16,-60");
  for (int frame = 0; frame < 28; ++frame) bars();
  EXPECT_EQ(e.vuLevel[1], 4);
  EXPECT_EQ(bars()[0], "rect 81,93,149 407,348,16,-2");  // old 4: the formula meets the rest
  EXPECT_EQ(bars()[0], "rect 81,93,149 407,348,16,-2");
  EXPECT_EQ(e.vuLevel[1], 2);
  // Channel 2 still plays its note: it stays up.
  EXPECT_EQ(bars()[1], "rect 149,25,81 429,348,16,-70");
}

}  // namespace

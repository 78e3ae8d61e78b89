// The editor's commands: track copy and paste, inserting and deleting positions, undo, the song
// name and description entries, home, and saving and loading through scripted dialogs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/editor/editor_test_util.h"
#include "tests/support/scripted_requester.h"
#include "tests/support/temp_folder.h"

namespace {

using EditorCommands = EditorTest;

// Fills channel 1 of pattern 0 with a different cell on every row, and row 0 of pattern 1.
void FillChannel1(TrackerFixture& t) {
  const std::string keys = "ysxdcvgbhnjmq2w3er5t6z7ui9o0p<+#";
  const std::string hex = "0123456789ABCDEF";
  for (int row = 0; row < 32; ++row) {
    t.WriteRow(
        1, row,
        std::string{keys[static_cast<size_t>(row)], hex[static_cast<size_t>(row % 16)],
                    hex[static_cast<size_t>((row + 3) % 16)], static_cast<char>('0' + row % 4)});
  }
  t.WriteRow(1, 32, "q812");
}

TEST_F(EditorCommands, CopyFromColumn2AndPasteInColumn7CopiesChannel1IntoChannel4) {
  FillChannel1(t);
  const Columns before = Song();
  e.cursorColumn = 2;
  t.TapKey(KEY_F9);
  EXPECT_EQ(Song(), before) << "copying changes nothing";
  e.cursorColumn = 7;
  t.TapKey(KEY_F10);
  for (int row = 0; row < 32; ++row) EXPECT_EQ(Row(4, row), Row(1, row)) << "row " << row;
  EXPECT_EQ(Row(4, 32), ".000") << "only the shown pattern";
  EXPECT_EQ(e.trackNotes[1], before.notes[1]);
  for (int c = 1; c <= 4; ++c) EXPECT_EQ(e.trackNotes[c].size(), size_t(COLUMN_CELLS));

  // Into another pattern: move to a position that plays pattern 2, paste into channel 2.
  e.orderList[1] = 2;
  t.TapKey(KEY_PAGEDOWN);
  e.cursorColumn = 3;
  t.TapKey(KEY_F10);
  for (int row = 0; row < 32; ++row) EXPECT_EQ(Row(2, 64 + row), Row(1, row)) << "row " << row;
  EXPECT_EQ(Row(2, 0), ".000");
}

TEST(EditorCaptions, BothHalvesOfTheCaptionsCopyAndPaste) {
  struct Case {
    float copyX, pasteX;
    bool pasted;
  };
  const std::vector<Case> cases = {{540, 540, true},  {600, 600, true},  {517, 623, true},
                                   {570, 600, false}, {600, 570, false}, {516, 600, false},
                                   {600, 624, false}};
  for (const Case& c : cases) {
    TrackerFixture f;
    f.Update();
    f.WriteRow(1, 7, "e9A3");
    f.engine->cursorColumn = 1;
    f.ClickAndUpdate(c.copyX, 369);  // "copytrack": 361 < y < 377
    f.engine->cursorColumn = 8;
    f.ClickAndUpdate(c.pasteX, 389);  // "pastetrck": 381 < y < 397
    EXPECT_EQ(CellAt(f.engine->trackNotes[4], 7), c.pasted ? u"e" : u".")
        << "copy at x " << c.copyX << ", paste at x " << c.pasteX;
  }
}

TEST_F(EditorCommands, PasteWithNothingCopiedChangesNothing) {
  FillChannel1(t);
  const Columns before = Song();
  for (int column = 1; column <= 8; ++column) {
    e.cursorColumn = column;
    t.TapKey(KEY_F10);
  }
  EXPECT_EQ(Song(), before);
}

TEST_F(EditorCommands, InsertAndDeleteAtPosition3) {
  for (int k = 0; k < 256; ++k) e.orderList[k] = (k * 7) % 256;
  const std::array<int, 256> original = e.orderList;
  for (int k = 0; k < 3; ++k) t.TapKey(KEY_PAGEDOWN);
  ASSERT_EQ(e.songPosition, 3);

  t.TapKey(KEY_INSERT);
  EXPECT_EQ(e.orderList[2], original[2]);
  EXPECT_EQ(e.orderList[3], 0);
  EXPECT_EQ(e.orderList[4], original[3]);
  EXPECT_EQ(e.orderList[255], original[254]) << "the old last entry is lost";
  EXPECT_EQ(e.patternBase, original[3] * 32) << "the shown pattern follows at the next update";
  t.Update();
  EXPECT_EQ(e.patternBase, 0);

  t.TapKey(KEY_BACKSPACE);
  for (int k = 0; k < 255; ++k) EXPECT_EQ(e.orderList[k], original[k]) << k;
  EXPECT_EQ(e.orderList[255], 0) << "the freed last entry";
  EXPECT_EQ(e.songPosition, 3);

  // At the last position.
  e.songPosition = 255;
  e.orderList[255] = 9;
  t.TapKey(KEY_INSERT);
  EXPECT_EQ(e.orderList[255], 0);
  e.orderList[255] = 9;
  t.TapKey(KEY_BACKSPACE);
  EXPECT_EQ(e.orderList[255], 0);
}

TEST_F(EditorCommands, ThreeNotesAreUndoneByThreeUndosAndAFourthRestoresSlot0Again) {
  const Columns empty = Song();
  EnterEditing();
  Type('q');
  const Columns one = Song();
  Type('w');
  const Columns two = Song();
  Type('e');
  EXPECT_EQ(e.undoIndex, 3);

  const auto undo = [this] { t.ClickAndUpdate(590, 346); };  // the "undo" caption
  undo();
  EXPECT_EQ(Song(), two);
  undo();
  EXPECT_EQ(Song(), one);
  undo();
  EXPECT_EQ(Song(), empty);
  EXPECT_EQ(e.undoIndex, 0);

  // A fourth undo restores slot 0 again, also over a change no snapshot holds.
  e.cursorColumn = 2;
  Type('7');
  ASSERT_FALSE(Song() == empty);
  undo();
  EXPECT_EQ(Song(), empty);
  EXPECT_EQ(e.undoIndex, 0);
}

TEST_F(EditorCommands, SongNameEntry) {
  e.orderList[0] = 5;
  e.orderList[1] = 6;
  EnterEditing();
  e.statusText = u"Editing...";
  t.audio.Clear();
  t.ClickAndUpdate(100, 450);
  EXPECT_TRUE(e.nameEntry);
  EXPECT_EQ(e.engineMode, MODE_STANDBY);
  EXPECT_EQ(e.statusText, u"Editing...") << "the status line is not changed";
  EXPECT_EQ(t.audio.Only(AudioOp::Stop), StopAll());

  TypeEach("my Song_1.dat!");
  EXPECT_EQ(e.songFileName, u"my ong_1.dat!") << "capital letters are not accepted";
  Type(0xFC);  // "ü"
  EXPECT_EQ(e.songFileName, u"my ong_1.dat!\u00fc");
  TypeEach("*:\\?~");
  EXPECT_EQ(e.songFileName.size(), 14u) << "characters outside the set add nothing";

  t.TapKey(KEY_BACKSPACE);
  EXPECT_EQ(e.songFileName, u"my ong_1.dat!");
  t.TapKey(KEY_DELETE);
  EXPECT_EQ(e.songFileName, u"my ong_1.dat");
  EXPECT_EQ(e.orderList[0], 5) << "Backspace deleted no position";

  TypeEach(std::string(40, 'x'));
  EXPECT_EQ(e.songFileName.size(), 32u) << "a 33rd character adds nothing";

  // Insert inserts no position during the entry.
  t.TapKey(KEY_INSERT);
  EXPECT_EQ(e.orderList[0], 5);

  t.TapKey(KEY_ENTER);
  EXPECT_FALSE(e.nameEntry);
  const String name = e.songFileName;
  Type('q');
  EXPECT_EQ(e.songFileName, name) << "after Enter characters are notes again";

  // Emptying the name, and more.
  t.ClickAndUpdate(2, 444);
  ASSERT_TRUE(e.nameEntry);
  for (int k = 0; k < 40; ++k) t.TapKey(KEY_BACKSPACE);
  EXPECT_TRUE(e.songFileName.empty());
  // Outside the box: 0 < x < 380 and 443 < y < 457.
  t.TapKey(KEY_ENTER);
  for (auto [x, y] :
       {std::pair{0.0f, 450.0f}, {380.0f, 450.0f}, {100.0f, 443.0f}, {100.0f, 457.0f}}) {
    t.ClickAndUpdate(x, y);
    EXPECT_FALSE(e.nameEntry) << x << ", " << y;
  }
}

TEST_F(EditorCommands, DescriptionEntry) {
  e.currentInstrument = 3;
  e.instrumentDescriptions[3] = u"old description      ";
  t.ClickAt(400, 130);
  t.Update();
  EXPECT_TRUE(e.descriptionEntry);
  EXPECT_TRUE(e.instrumentDescriptions[3].empty()) << "the click clears it at once";

  TypeEach("abcd");
  t.TapKey(KEY_ENTER);
  EXPECT_FALSE(e.descriptionEntry);
  EXPECT_EQ(e.instrumentDescriptions[3], u"abcd" + String(17, u' '));

  // Backspace and Delete clear the whole description.
  for (int key : {KEY_BACKSPACE, KEY_DELETE}) {
    t.ClickAndUpdate(700, 124);  // the click area reaches past the window's edge
    ASSERT_TRUE(e.descriptionEntry);
    TypeEach("xy");
    EXPECT_EQ(e.instrumentDescriptions[3], u"xy");
    t.TapKey(key);
    EXPECT_TRUE(e.instrumentDescriptions[3].empty()) << key;
    t.TapKey(KEY_ENTER);
    EXPECT_EQ(e.instrumentDescriptions[3], String(21, u' '));
  }

  t.ClickAndUpdate(500, 130);
  TypeEach("a very long description");
  EXPECT_EQ(e.instrumentDescriptions[3], u"a very long descripti");
  TypeEach("Q");
  t.TapKey(KEY_ENTER);
  EXPECT_EQ(e.instrumentDescriptions[3], u"a very long descripti");
  EXPECT_EQ(e.instrumentDescriptions[1], u"") << "only the current instrument's";

  // The box's edges.
  for (auto [x, y] : {std::pair{396.0f, 130.0f}, {500.0f, 122.0f}, {500.0f, 136.0f}}) {
    t.ClickAndUpdate(x, y);
    EXPECT_FALSE(e.descriptionEntry) << x << ", " << y;
  }
}

TEST_F(EditorCommands, TextEntriesKeepStandbyAndSilenceOnEveryPass) {
  EnterEditing();
  t.ClickAt(100, 450);
  t.Update();
  t.ClickAt(400, 130);
  t.Update();
  ASSERT_TRUE(e.nameEntry && e.descriptionEntry);

  // Both on: the name takes the first character of a pass, the description the next.
  t.TypeChar('a');
  t.TypeChar('b');
  t.TypeChar('c');
  t.audio.Clear();
  t.Update();
  EXPECT_EQ(e.songFileName, u"a");
  EXPECT_EQ(e.instrumentDescriptions[1], u"b");
  std::vector<AudioCall> stops = StopAll();
  stops.insert(stops.end(), StopAll().begin(), StopAll().end());
  EXPECT_EQ(t.audio.Only(AudioOp::Stop), stops);
  EXPECT_TRUE(t.audio.Only(AudioOp::Play).empty());

  // Space toggles the edit mode in the update, and the entry sets standby again; the space
  // character goes into the name.
  t.PressKey(KEY_SPACE);
  t.TypeChar(' ');
  t.Update();
  t.ReleaseKey(KEY_SPACE);
  EXPECT_EQ(e.engineMode, MODE_STANDBY);
  EXPECT_EQ(e.songFileName, u"a ");
  EXPECT_EQ(Row(1, 0), ".000");
}

TEST_F(EditorCommands, HomeReturnsToTheStartExceptWhilePlaying) {
  t.TapKey(KEY_PAGEDOWN);
  t.TapKey(KEY_PAGEDOWN);
  ASSERT_EQ(e.songPosition, 2);
  e.rowOffset = 0;
  t.ClickAndUpdate(600, 328);  // "home": 570 < x < 624, 320 < y < 336
  EXPECT_EQ(e.songPosition, 0);

  e.songSpeed = 16;
  e.songPosition = 2;
  t.TapKey(KEY_F2);
  ASSERT_EQ(e.engineMode, MODE_PLAYING);
  t.ClickAndUpdate(600, 328);
  EXPECT_EQ(e.songPosition, 2);
}

class EditorFiles : public ::testing::Test {
 protected:
  EditorFiles() { folder.MakeFolder("data/songs"); }
  TempFolder folder;
  TrackerFixture t{folder.PathText()};
  c_SoundEngine& e = *t.engine;
  ScriptedRequester requester;

  std::string SongPath(const std::string& name) { return folder.Path() + "/data/songs/" + name; }
  size_t ConfirmCalls() const {
    size_t n = 0;
    for (const auto& call : requester.calls)
      n += call.kind == ScriptedRequester::Call::kConfirmDialog;
    return n;
  }
};

TEST_F(EditorFiles, SaveWithF11OrTheSaveCaption) {
  t.Update();
  t.TapKey(KEY_F11);
  EXPECT_EQ(e.statusText, u"Enter a Name...");
  EXPECT_TRUE(requester.calls.empty());

  e.songFileName = u"tune.dat";
  requester.AnswerConfirm(true);
  t.TapKey(KEY_F11);
  EXPECT_EQ(e.statusText, u"File Saved...");
  EXPECT_EQ(std::filesystem::file_size(SongPath("tune.dat")), 1675u);

  requester.AnswerConfirm(false);
  t.ClickAndUpdate(460, 450);  // "save": 441 < x < 495, 442 < y < 458
  EXPECT_EQ(e.statusText, u"Save Failed...");

  // Key and caption in one update: one save.
  requester.AnswerConfirm(true);
  requester.AnswerConfirm(true);
  t.PressKey(KEY_F11);
  t.ClickAndUpdate(460, 450);
  t.ReleaseKey(KEY_F11);
  EXPECT_EQ(ConfirmCalls(), 3u);
  EXPECT_EQ(e.statusText, u"File Saved...");
}

TEST_F(EditorFiles, LoadWithF12OrTheLoadCaptionReturnsToTheStart) {
  t.Update();
  t.WriteRow(1, 0, "q812");
  e.songFileName = u"tune.dat";
  requester.AnswerConfirm(true);
  t.TapKey(KEY_F11);
  ASSERT_EQ(e.statusText, u"File Saved...");

  t.WriteRow(1, 0, ".000");
  e.songFileName = u"other";
  t.TapKey(KEY_PAGEDOWN);
  requester.AnswerFile(FromLatin1(SongPath("tune.dat")));
  t.TapKey(KEY_F12);
  EXPECT_EQ(e.statusText, u"File Loaded...");
  EXPECT_EQ(e.songFileName, u"tune.dat");
  EXPECT_EQ(e.songPosition, 0);
  EXPECT_EQ(e.rowOffset, 0);
  EXPECT_EQ(CellAt(e.trackNotes[1], 0), u"q");

  t.TapKey(KEY_PAGEDOWN);
  t.ClickAndUpdate(400, 450);  // "load", cancelled: no answer left
  EXPECT_EQ(e.statusText, u"Loading Failed!");
  EXPECT_EQ(e.songFileName, u"");
  EXPECT_EQ(e.songPosition, 0);
  ASSERT_FALSE(requester.calls.empty());
  EXPECT_EQ(requester.calls.back().title, u"Select a File from DATA/SONGS/ to Load!");
}

}  // namespace

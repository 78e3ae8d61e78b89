// The editor's navigation, note and volume entry and its note preview, driven through the real
// input device as the window delivers keys and characters.
#include <gtest/gtest.h>

#include "tests/editor/editor_test_util.h"

namespace {

using EditorInput = EditorTest;

TEST_F(EditorInput, ColumnsWrapAroundAndEveryColumnMoveSilencesAllVoices) {
  struct Case {
    int from;
    std::vector<int> keys;  // pressed within one update
    int to;
  };
  const std::vector<Case> cases = {
      {1, {KEY_TAB}, 3},
      {6, {KEY_TAB}, 8},
      {7, {KEY_TAB}, 1},
      {8, {KEY_TAB}, 1},
      {1, {KEY_LEFT}, 8},
      {8, {KEY_RIGHT}, 1},
      {3, {KEY_RIGHT}, 4},
      {4, {KEY_LEFT}, 3},
      {7, {KEY_TAB, KEY_RIGHT, KEY_LEFT}, 1},
      {1, {KEY_RIGHT, KEY_LEFT}, 1},
  };
  for (const Case& c : cases) {
    e.cursorColumn = c.from;
    t.audio.Clear();
    for (int key : c.keys) t.PressKey(key);
    t.Update();
    for (int key : c.keys) t.ReleaseKey(key);
    EXPECT_EQ(e.cursorColumn, c.to) << "from " << c.from;
    std::vector<AudioCall> stops;
    for (size_t k = 0; k < c.keys.size(); ++k) {
      stops.insert(stops.end(), StopAll().begin(), StopAll().end());
    }
    EXPECT_EQ(t.audio.Only(AudioOp::Stop), stops) << "from " << c.from;
  }
}

TEST_F(EditorInput, HeldDownRepeatsFromTheThirteenthUpdateAndStartsAgainAfterRelease) {
  t.PressKey(KEY_DOWN);
  t.Update(20);
  EXPECT_EQ(e.cursorRow, 1 + 1 + 8);
  t.ReleaseKey(KEY_DOWN);
  t.Update();
  EXPECT_EQ(e.downHoldFrames, 0);

  t.PressKey(KEY_DOWN);
  t.Update(12);
  EXPECT_EQ(e.cursorRow, 11) << "only the press moved the cursor";
  t.Update();
  EXPECT_EQ(e.cursorRow, 12);
  t.ReleaseKey(KEY_DOWN);

  // Holding Up the same way, across the top of the pattern.
  e.cursorRow = 3;
  t.PressKey(KEY_UP);
  t.Update(15);  // the press, then 3 repeats
  t.ReleaseKey(KEY_UP);
  EXPECT_EQ(e.cursorRow, 31);
}

TEST_F(EditorInput, RowsWrapWithinThePatternWithoutChangingThePosition) {
  e.orderList[0] = 2;
  t.Update();
  t.TapKey(KEY_UP);
  EXPECT_EQ(e.cursorRow, 32);
  EXPECT_EQ(e.songPosition, 0);
  EXPECT_EQ(e.patternBase, 64);
  t.TapKey(KEY_DOWN);
  EXPECT_EQ(e.cursorRow, 1);
  EXPECT_EQ(e.songPosition, 0);
}

TEST_F(EditorInput, PagesChangeThePositionAndTheShownPatternAtOnce) {
  e.orderList[1] = 4;
  e.orderList[2] = 9;
  e.orderList[255] = 6;
  t.TapKey(KEY_PAGEUP);
  EXPECT_EQ(e.songPosition, 0) << "no position before the first";

  t.TapKey(KEY_PAGEDOWN);
  EXPECT_EQ(e.songPosition, 1);
  EXPECT_EQ(e.patternBase, 4 * 32) << "the frame after the key shows the new pattern";
  t.TapKey(KEY_PAGEDOWN);
  EXPECT_EQ(e.patternBase, 9 * 32);
  t.TapKey(KEY_PAGEUP);
  EXPECT_EQ(e.songPosition, 1);
  EXPECT_EQ(e.patternBase, 4 * 32);

  // Notes land in the shown pattern.
  EnterEditing();
  Type('q');
  EXPECT_EQ(Row(1, 4 * 32), "q812");
  EXPECT_EQ(Row(1, 0), ".000");

  // Page Down stops at the last position of the order list.
  e.songPosition = 254;
  t.TapKey(KEY_PAGEDOWN);
  EXPECT_EQ(e.songPosition, 255);
  t.TapKey(KEY_PAGEDOWN);
  EXPECT_EQ(e.songPosition, 255);
  EXPECT_EQ(e.patternBase, 6 * 32);
}

TEST_F(EditorInput, NotesAreWrittenWithInstrumentOctaveAndVolume) {
  EnterEditing();
  e.currentInstrument = 12;
  t.SetInstrument(12, {1, 0, 0, 0, 1, 0, 0, 0});
  e.editOctave = 1;
  WriteCell(e.trackVolumes[1], 1, u'5');
  Type('q');
  EXPECT_EQ(Row(1, 0), "q8C1") << "volume 0 becomes 8, the instrument is one hex digit";
  Type('w');
  EXPECT_EQ(Row(1, 1), "w5C1") << "a volume digit stays";
  EXPECT_EQ(e.cursorRow, 3);
  EXPECT_EQ(e.undoIndex, 2);
  EXPECT_EQ(e.lastPreviewKey, u"w");

  // "." empties the note and the instrument and octave digits, keeps the volume, moves down and
  // takes no snapshot.
  t.TapKey(KEY_UP);
  t.TapKey(KEY_UP);
  Type('.');
  EXPECT_EQ(Row(1, 0), ".800");
  EXPECT_EQ(e.cursorRow, 2);
  EXPECT_EQ(e.undoIndex, 2);
  EXPECT_EQ(e.lastPreviewKey, u"w") << "commands are not previewed keys";
}

TEST_F(EditorInput, NoteColumnsAcceptTheirCharactersOnly) {
  struct Case {
    int ch;
    std::string row;  // the cell afterwards; ".000" when the character was refused
    bool snapshot;
  };
  const std::vector<Case> cases = {
      {'y', "y812", true},
      {'p', "p812", true},
      {'a', "a812", true},
      {'~', "~812", true},
      {127,
       "\x7f"
       "812",
       true},
      {'<', "<812", true},
      {'0', "0812", true},
      {';', ";812", true},
      {'-', "-000", false},
      {'.', ".000", false},
      {'+', "+000", false},
      {'#', "#000", false},
      {'A', ".000", false},
      {'Z', ".000", false},
      {' ', ".000", false},
      {',', ".000", false},
      {'=', ".000", false},
      {'`', ".000", false},
      {128, ".000", false},
      {0xFC, ".000", false},
      {0x263A, ".000", false},
      {65536 + 'q', ".000", false},
  };
  EnterEditing();
  for (const Case& c : cases) {
    const int undo = e.undoIndex;
    e.cursorRow = 5;
    Type(c.ch);
    EXPECT_EQ(Row(1, 4), c.row) << "character " << c.ch;
    const bool written = c.row != ".000" || c.ch == '.';
    EXPECT_EQ(e.cursorRow, written ? 6 : 5) << "character " << c.ch;
    EXPECT_EQ(e.undoIndex, c.snapshot ? undo + 1 : undo) << "character " << c.ch;
    for (String* column :
         {&e.trackNotes[1], &e.trackVolumes[1], &e.trackInstruments[1], &e.trackOctaves[1]}) {
      EXPECT_EQ(column->size(), static_cast<size_t>(COLUMN_CELLS));
      WriteCell(*column, 4, column == &e.trackNotes[1] ? u'.' : u'0');
    }
  }
}

TEST_F(EditorInput, DeleteKeyEntersCharacter127) {
  EnterEditing();
  t.TapKey(KEY_DELETE);
  EXPECT_EQ(Row(1, 0),
            "\x7f"
            "812");
  EXPECT_EQ(e.lastPreviewKey, String(1, u'\x7f'));
}

TEST_F(EditorInput, VolumeColumnsTakeHexDigitsInEditingModeOnly) {
  struct Case {
    int ch;
    std::string volume;  // "0" when refused
  };
  const std::vector<Case> cases = {{'0', "0"}, {'7', "7"}, {'9', "9"},   {'a', "A"},
                                   {'b', "B"}, {'f', "F"}, {'g', "0"},   {'B', "0"},
                                   {'q', "0"}, {' ', "0"}, {0x0661, "0"}};
  EnterEditing();
  e.cursorColumn = 4;  // channel 2's volumes
  for (const Case& c : cases) {
    e.cursorRow = 9;
    t.audio.Clear();
    Type(c.ch);
    EXPECT_EQ(Cell(e.trackVolumes[2], 8), c.volume) << "character " << c.ch;
    const bool written = c.ch == '0' || c.volume != "0";
    EXPECT_EQ(e.cursorRow, written ? 10 : 9) << "character " << c.ch;
    EXPECT_TRUE(t.audio.Only(AudioOp::Play).empty()) << "nothing is previewed";
    WriteCell(e.trackVolumes[2], 8, u'0');
  }
  EXPECT_EQ(e.undoIndex, 0);

  // Standby ignores every character in a volume column.
  t.TapKey(KEY_SPACE);
  ASSERT_EQ(e.engineMode, MODE_STANDBY);
  e.cursorRow = 9;
  for (int ch : {'5', 'a', 'q'}) Type(ch);
  EXPECT_EQ(Cell(e.trackVolumes[2], 8), "0");
  EXPECT_EQ(e.cursorRow, 9);
}

TEST_F(EditorInput, TheUsLayoutSwapsYAndZ) {
  struct Case {
    const char16_t* layout;
    int ch;
    std::string note;  // "." when refused
  };
  const std::vector<Case> cases = {
      {u"DE", 'z', "z"}, {u"DE", 'y', "y"}, {u"DE", 'Z', "."}, {u"DE", 'Y', "."}, {u"US", 'z', "y"},
      {u"US", 'Z', "y"}, {u"US", 'y', "z"}, {u"US", 'Y', "z"}, {u"US", 'x', "x"}, {u"US", ':', ":"},
  };
  EnterEditing();
  for (const Case& c : cases) {
    e.keyboardLayout = c.layout;
    e.cursorRow = 1;
    Type(c.ch);
    EXPECT_EQ(Cell(e.trackNotes[1], 0), c.note) << EncodeUtf8(c.layout) << " " << char(c.ch);
    WriteCell(e.trackNotes[1], 0, u'.');
  }
}

TEST_F(EditorInput, OnlyOneCharacterIsUsedPerUpdate) {
  EnterEditing();
  t.TypeChar('q');
  t.TypeChar('w');
  t.TypeChar('e');
  t.Update();
  EXPECT_EQ(Row(1, 0), "q812");
  EXPECT_EQ(e.cursorRow, 2);
  t.Update();
  EXPECT_EQ(Row(1, 1), ".000") << "the other characters are gone with the update";
  EXPECT_EQ(e.cursorRow, 2);
}

TEST_F(EditorInput, APreviewStartsTheCurrentInstrumentOnTheCursorsChannel) {
  t.SetInstrument(1, {3, 8, 0, 0, 2, 0, 0, 0});  // ramp and saw, PWM 8, ENV 2
  e.cursorColumn = 3;                            // channel 2
  for (int mode : {MODE_STANDBY, MODE_EDITING}) {
    e.engineMode = mode;
    t.audio.Clear();
    Type('q');
    const float rate = NoteRate(12);  // "q" at octave 2: C-3
    const float gain = 1.0f - 0.1f / 2.0f;
    std::vector<AudioCall> expected = {PitchCall(2, rate), PitchCall(6, rate + 8.0f / 800.0f),
                                       StopCall(6), PlayCall(2, "ramp_64.wav"),
                                       PlayCall(6, "saw_64.wav")};
    for (int c = 1; c <= 8; ++c) expected.push_back(GainCall(c, gain));
    for (int c = 1; c <= 4; ++c) {
      expected.push_back(PitchCall(c, rate));
      expected.push_back(PitchCall(c + 4, rate + 8.0f / 800.0f));
    }
    EXPECT_EQ(t.audio.calls, expected) << "mode " << mode;
  }
  EXPECT_EQ(Row(2, 0), "q812") << "written only in editing mode";

  // A note off stops the channel's two voices and starts nothing.
  t.audio.Clear();
  Type('<');
  std::vector<AudioCall> stops = t.audio.Only(AudioOp::Stop);
  EXPECT_EQ(stops, std::vector<AudioCall>({StopCall(2), StopCall(6)}));
  EXPECT_TRUE(t.audio.Only(AudioOp::Play).empty());

  // Commands and "." start nothing; WAV 4-7 leave voice B silent.
  for (int ch : {'.', '+', '#', '-'}) {
    t.audio.Clear();
    Type(ch);
    EXPECT_TRUE(t.audio.Only(AudioOp::Play).empty()) << char(ch);
    EXPECT_TRUE(t.audio.Only(AudioOp::Stop).empty()) << char(ch);
  }
  t.SetInstrument(1, {4, 8, 0, 0, 2, 0, 0, 0});
  t.audio.Clear();
  Type('y');
  EXPECT_EQ(t.audio.Only(AudioOp::Play), std::vector<AudioCall>{PlayCall(2, "tri_64.wav")});
}

TEST_F(EditorInput, WithoutAWaveformChoiceThePreviewKeepsTheLastOne) {
  t.SetInstrument(1, {6, 0, 0, 0, 2, 0, 0, 0});
  Type('y');
  // Instrument 2 has WAV 0 for the one pass before the spinners clamp it; that pass keeps the
  // waveform of instrument 1.
  e.currentInstrument = 2;
  t.audio.Clear();
  Type('x');
  EXPECT_EQ(t.audio.Only(AudioOp::Play), std::vector<AudioCall>{PlayCall(1, "fx2b.wav")});
}

TEST_F(EditorInput, ThePreviewTickShapesAllEightVoicesWithTheCurrentInstrument) {
  // WAV 1, PWM 8, E2P 2, SWP 2 and AMT 15, ENV 4, SPD 1, ARP 4 and 7.
  t.SetInstrument(1, {1, 8, 2, 0x2F, 4, 1, 4, 7});
  struct Tick {
    float gain, rateA, rateB;
  };
  // Envelope 0.025 a tick; the pitch drops by 2 x the envelope; the arpeggio steps 0, +4, +7
  // semitones one tick each; voice B is detuned by +0.01 for two ticks, then by -0.01.
  const std::vector<Tick> ticks = {
      {0.975f, 1.0f - 0.05f, 1.01f - 0.05f},          {0.95f, 1.259921f - 0.1f, 1.269921f - 0.1f},
      {0.925f, 1.498307f - 0.15f, 1.488307f - 0.15f}, {0.9f, 1.0f - 0.2f, 0.99f - 0.2f},
      {0.875f, 1.259921f - 0.25f, 1.269921f - 0.25f},
  };
  t.audio.Clear();
  Type('y');  // C-2: rate 1.0
  for (size_t k = 0; k < ticks.size(); ++k) {
    if (k > 0) {
      t.audio.Clear();
      t.Update();
    }
    const std::vector<AudioCall> gains = t.audio.Only(AudioOp::Gain);
    const std::vector<AudioCall> rates = t.audio.Only(AudioOp::Pitch);
    ASSERT_EQ(gains.size(), 8u);
    ASSERT_GE(rates.size(), 8u);
    const std::vector<int> order = {1, 5, 2, 6, 3, 7, 4, 8};
    for (int c = 1; c <= 8; ++c) {
      EXPECT_EQ(gains[c - 1].channel, c);
      EXPECT_NEAR(gains[c - 1].value, ticks[k].gain, 1e-5) << "tick " << k + 1;
      const AudioCall& rate = rates[rates.size() - 8 + static_cast<size_t>(c - 1)];
      EXPECT_EQ(rate.channel, order[c - 1]);
      EXPECT_NEAR(rate.value, rate.channel <= 4 ? ticks[k].rateA : ticks[k].rateB, 1e-5)
          << "tick " << k + 1 << " channel " << rate.channel;
    }
  }
  // The envelope ends at silence and stays there.
  t.Update(40);
  t.audio.Clear();
  t.Update();
  for (const AudioCall& gain : t.audio.Only(AudioOp::Gain)) EXPECT_EQ(gain.value, 0.0f);
}

TEST_F(EditorInput, ThePreviewTickHandsOnlyFiniteValuesToTheSoundDevice) {
  // Parameters a loaded song can hold for an instrument before the spinners clamp them: an
  // arpeggio of 65535 semitones (a rate beyond any float), an envelope of 0.
  t.SetInstrument(1, {1, 65535, 65535, 0x0F, 0, 1, 65535, 65535});
  e.lastPreviewKey = u"p";
  t.audio.Clear();
  for (int tick = 0; tick < 4; ++tick) e.PreviewTick();
  ASSERT_FALSE(t.audio.Only(AudioOp::Pitch).empty());
  for (const AudioCall& call : t.audio.calls) EXPECT_TRUE(std::isfinite(call.value)) << call;
}

TEST_F(EditorInput, TextEntryKeepsTheTrackerSilentEvenForASecondCharacter) {
  t.SetInstrument(1, {3, 0, 0, 0, 2, 0, 0, 0});
  t.ClickAt(100, 450);  // the name box
  t.TypeChar('a');
  t.TypeChar('q');  // a second character in the same update
  t.audio.Clear();
  t.Update();
  EXPECT_EQ(e.songFileName, u"a");
  EXPECT_TRUE(e.nameEntry);
  EXPECT_TRUE(t.audio.Only(AudioOp::Play).empty());
  EXPECT_TRUE(e.lastPreviewKey.empty());
  EXPECT_EQ(Row(1, 0), ".000");
}

}  // namespace

#include <gtest/gtest.h>

#include <functional>

#include "tests/tracker/player_test_util.h"

namespace {

using Sequencer = PlayerTest;

TEST_F(Sequencer, RowWithQAtOctave2AndInstrument1) {
  t.SetInstrument(1, {1, 8, 0, 0, 255, 0, 0, 0});  // ramp B and saw, PWM 8
  t.WriteRow(1, 0, "q812");
  const std::vector<AudioCall> calls = StartAndPlayFirstRow();

  const float p = Rate(12);
  ASSERT_NEAR(p, 2.0f, 2e-6);
  const std::vector<AudioCall> row = {PitchCall(1, p), PitchCall(5, p + 8 / 800.0f), StopCall(5),
                                      PlayCall(1, "ramp_b_64.wav"), PlayCall(5, "saw_64.wav")};
  EXPECT_EQ(RowCalls(calls), row);

  // Then the tick effects: gains, then rates, each in the order 1, 5, 2, 6, 3, 7, 4, 8.
  const float g = 1.0f - 0.1f / 255;
  const float q = Rate(-24);  // silent channels: note 0 at octave 0
  std::vector<AudioCall> effects = {GainCall(1, g),  GainCall(5, g),
                                    GainCall(2, 0),  GainCall(6, 0),
                                    GainCall(3, 0),  GainCall(7, 0),
                                    GainCall(4, 0),  GainCall(8, 0),
                                    PitchCall(1, p), PitchCall(5, p + 8 / 800.0f),
                                    PitchCall(2, q), PitchCall(6, q),
                                    PitchCall(3, q), PitchCall(7, q),
                                    PitchCall(4, q), PitchCall(8, q)};
  EXPECT_EQ(std::vector<AudioCall>(calls.begin() + static_cast<long>(row.size()), calls.end()),
            effects);
  EXPECT_EQ(e.voices[1].instrument, 1);
  EXPECT_EQ(e.voices[1].octave, 2);
  EXPECT_EQ(e.voices[1].volume, 1.0f);
  EXPECT_EQ(e.rowOffset, 1);
}

TEST(SequencerTiming, FirstRowOnUpdateSongSpeedPlusOne) {
  for (int speed : {1, 2, 4, 7, 16}) {
    SCOPED_TRACE(speed);
    TrackerFixture t;
    t.SetInstrument(1, {4, 0, 0, 0, 255, 0, 0, 0});
    for (int row = 0; row < 3; ++row) t.WriteRow(1, row, "q812");
    t.engine->songSpeed = speed;
    t.TapKey(KEY_F2);
    std::vector<int> rowUpdates;
    for (int update = 1; update <= 3 * speed + 1; ++update) {
      t.audio.Clear();
      t.Update();
      if (!t.audio.Only(AudioOp::Play).empty()) rowUpdates.push_back(update);
      EXPECT_EQ(t.audio.Only(AudioOp::Gain).size(), 8u);  // the effects run on every update
    }
    EXPECT_EQ(rowUpdates, std::vector<int>({speed + 1, 2 * speed + 1, 3 * speed + 1}));
  }
}

TEST_F(Sequencer, NoteWithoutVolumeDigitOnlyRepitches) {
  t.SetInstrument(1, {1, 8, 0, 0, 255, 0, 0, 0});
  t.WriteRow(1, 0, "q812");
  t.WriteRow(1, 1, "w012");
  StartAndPlayFirstRow();
  for (int i = 1; i < e.songSpeed; ++i) Tick();
  const std::vector<AudioCall> row = RowCalls(Tick());
  EXPECT_EQ(row, std::vector<AudioCall>({PitchCall(1, Rate(14)), PitchCall(5, Rate(14) + 0.01f)}));
}

TEST_F(Sequencer, NoteWithoutVolumeDigitStartsNothingOnASilentChannel) {
  t.SetInstrument(1, {1, 8, 0, 0, 255, 0, 0, 0});
  t.WriteRow(1, 0, "q812");
  t.WriteRow(1, 1, "<000");
  t.WriteRow(1, 2, "e012");
  e.songSpeed = 1;
  Start();
  Tick();
  Tick();                                                                           // row 0
  EXPECT_EQ(RowCalls(Tick()), std::vector<AudioCall>({StopCall(1), StopCall(5)}));  // row 1
  const std::vector<AudioCall> row2 = Tick();
  EXPECT_TRUE(t.audio.Only(AudioOp::Play).empty());
  EXPECT_EQ(RowCalls(row2).size(), 2u);  // the two rates only
}

TEST(SequencerNoteOff, StopsBothVoicesAtAnyOctave) {
  for (char octave : {'0', '2', '3', '9'}) {
    SCOPED_TRACE(octave);
    TrackerFixture t;
    t.SetInstrument(1, {1, 8, 0, 0, 255, 0, 0, 0});
    t.WriteRow(2, 0, "q812");
    t.WriteRow(2, 1, std::string("<00") + octave);
    t.engine->songSpeed = 1;
    t.TapKey(KEY_F2);
    t.Update(2);
    t.audio.Clear();
    t.Update();
    EXPECT_EQ(PlayerTest::RowCalls(t.audio.calls),
              std::vector<AudioCall>({StopCall(2), StopCall(6)}));
  }
}

TEST(SequencerWaveforms, FollowTheRowsInstrument) {
  struct Case {
    int wav;
    std::vector<AudioCall> plays;
  };
  const Case cases[] = {
      {1, {PlayCall(1, "ramp_b_64.wav"), PlayCall(5, "saw_64.wav")}},
      {2, {PlayCall(1, "ramp_c_64.wav"), PlayCall(5, "saw_64.wav")}},
      {3, {PlayCall(1, "ramp_64.wav"), PlayCall(5, "saw_64.wav")}},
      {4, {PlayCall(1, "tri_64.wav")}},
      {5, {PlayCall(1, "ramp_b_64.wav")}},
      {6, {PlayCall(1, "fx2b.wav")}},
      {7, {PlayCall(1, "hnoise.wav")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wav);
    TrackerFixture t;
    t.SetInstrument(3, {c.wav, 8, 0, 0, 255, 0, 0, 0});
    t.WriteRow(1, 0, "q832");
    t.engine->songSpeed = 1;
    t.TapKey(KEY_F2);
    t.Update();
    t.audio.Clear();
    t.Update();
    EXPECT_EQ(t.audio.Only(AudioOp::Play), c.plays);
    // Voice B is always stopped before the start, so it stays silent for WAV 4 to 7.
    EXPECT_EQ(t.audio.Only(AudioOp::Stop), std::vector<AudioCall>{StopCall(5)});
  }
}

TEST_F(Sequencer, InstrumentWithoutAWaveformChoiceKeepsTheWaveforms) {
  t.SetInstrument(1, {6, 0, 0, 0, 255, 0, 0, 0});   // fx2b
  t.SetInstrument(2, {0, 3, 0, 0, 255, 0, 0, 0});   // WAV 0
  t.SetInstrument(3, {12, 0, 0, 0, 255, 0, 0, 0});  // WAV out of range
  t.WriteRow(1, 0, "q812");
  t.WriteRow(1, 1, "w822");
  t.WriteRow(1, 2, "e832");
  t.WriteRow(1, 3, "r802");  // no instrument digit: instrument 0, WAV 0
  e.songSpeed = 1;
  Start();
  Tick();
  for (int row = 0; row < 4; ++row) {
    Tick();
    EXPECT_EQ(t.audio.Only(AudioOp::Play), std::vector<AudioCall>{PlayCall(1, "fx2b.wav")}) << row;
  }
  EXPECT_EQ(e.voices[1].pwmDetune, 0.0f);  // instrument 3's PWM; the row of instrument 0 kept it
  EXPECT_EQ(e.voices[1].instrument, 3);
}

TEST_F(Sequencer, TriggerUsesTheRowsOctaveEffectsTheOctaveInEffect) {
  t.SetInstrument(1, {4, 0, 0, 0, 255, 0, 0, 0});
  t.WriteRow(1, 0, "q812");
  t.WriteRow(1, 1, "q803");  // octave 3 but no instrument digit
  e.songSpeed = 1;
  Start();
  Tick();
  Tick();
  const std::vector<AudioCall> calls = Tick();
  EXPECT_EQ(RowCalls(calls)[0], PitchCall(1, Rate(24)));  // the trigger: octave 3
  EXPECT_EQ(Value(calls, AudioOp::Pitch, 1), Rate(12));   // the effects: octave 2 in effect
  EXPECT_EQ(e.voices[1].octave, 2);
  EXPECT_EQ(e.voices[1].rowOctave, 3);
}

TEST(SequencerPatternEnd, NextPositionFollows) {
  struct Case {
    const char* name;
    int channel, row;  // where the "-" is; row -1: none
    int rowsToNextPosition;
  };
  const Case cases[] = {{"no end mark", 0, -1, 32},
                        {"in row 31", 1, 31, 32},
                        {"in channel 3, row 0", 3, 0, 1},
                        {"in channel 4, row 5", 4, 5, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackerFixture t;
    c_SoundEngine& e = *t.engine;
    e.songLengthRows = 3 * 32;
    e.orderList[1] = 7;
    if (c.row >= 0) t.WriteRow(c.channel, c.row, "-000");
    t.SetInstrument(1, {4, 0, 0, 0, 255, 0, 0, 0});
    t.WriteRow(2, 7 * 32, "q812");  // row 0 of the pattern at position 1
    e.songSpeed = 1;
    t.TapKey(KEY_F2);
    t.Update();
    for (int row = 0; row < c.rowsToNextPosition; ++row) {
      EXPECT_EQ(e.songPosition, 0);
      t.Update();
    }
    EXPECT_EQ(e.songPosition, 1);
    EXPECT_EQ(e.rowOffset, 0);
    t.audio.Clear();
    t.Update();
    EXPECT_EQ(t.audio.Only(AudioOp::Play), std::vector<AudioCall>{PlayCall(2, "tri_64.wav")});
    EXPECT_EQ(e.rowOffset, 1);
  }
}

// Plays rows at speed 1 and returns the position reached after each pattern.
std::vector<int> PositionsAfterPatterns(TrackerFixture& t, int patterns) {
  std::vector<int> positions;
  for (int p = 0; p < patterns; ++p) {
    t.Update(32);
    positions.push_back(t.engine->songPosition);
  }
  return positions;
}

TEST(SequencerPositions, WrapAtTheSongLengthAndAt256) {
  struct Case {
    const char* name;
    int length;  // songLengthRows, set once playback runs (not clamped by the spinners then)
    int start;
    int patterns;
    std::vector<int> positions;
  };
  const Case cases[] = {
      {"one position repeats", 32, 0, 3, {0, 0, 0}},
      {"three positions", 96, 0, 4, {1, 2, 0, 1}},
      {"started past the song length", 64, 253, 4, {254, 255, 0, 1}},
      {"started at the last position", 96, 2, 2, {0, 1}},
      {"length 0 wraps at 256", 0, 254, 3, {255, 0, 1}},
      {"length above 99 positions wraps at 256", 200 * 32, 254, 3, {255, 0, 1}},
      {"length not a multiple of 32", 70, 0, 3, {1, 0, 1}},
      {"started outside the order list", 32, 300, 2, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackerFixture t;
    t.engine->songSpeed = 1;
    t.engine->songPosition = c.start;
    t.TapKey(KEY_F2);
    t.engine->songLengthRows = c.length;
    t.Update();  // tick 1: no row yet
    EXPECT_EQ(PositionsAfterPatterns(t, c.patterns), c.positions);
  }
}

TEST_F(Sequencer, PositionChangeReachesThePatternAtTheNextRow) {
  e.songLengthRows = 2 * 32;
  e.orderList[0] = 3;
  e.orderList[1] = 250;
  t.SetInstrument(1, {5, 0, 0, 0, 255, 0, 0, 0});
  t.WriteRow(4, 3 * 32 + 31, "q812");
  t.WriteRow(4, 250 * 32, "w812");
  e.songSpeed = 1;
  Start();
  t.Update(32);  // rows 0 to 30 of pattern 3
  EXPECT_EQ(e.patternBase, 3 * 32);
  Tick();  // row 31
  EXPECT_EQ(t.audio.Only(AudioOp::Play), std::vector<AudioCall>{PlayCall(4, "ramp_b_64.wav")});
  EXPECT_EQ(e.patternBase, 250 * 32);
  const std::vector<AudioCall> calls = Tick();
  EXPECT_EQ(RowCalls(calls)[0], PitchCall(4, Rate(14)));
}

TEST_F(Sequencer, MuteTakesEffectAtTheNextRowWithAVolumeDigit) {
  t.SetInstrument(1, {4, 0, 0, 0, 255, 0, 0, 0});
  t.WriteRow(1, 0, "q812");
  t.WriteRow(1, 2, ".800");  // a volume digit without a note
  t.WriteRow(1, 4, "w812");  // a new note, muted
  e.songSpeed = 1;
  Start();
  Tick();
  const float first = Value(Tick(), AudioOp::Gain, 1);  // row 0
  EXPECT_GT(first, 0.99f);
  t.PressKey(KEY_F5);
  t.ReleaseKey(KEY_F5);
  // Row 1 has no volume digit, and the mute is read after the player ran: still audible.
  const std::vector<AudioCall> row1 = Tick();
  EXPECT_EQ(e.channelEnabled[1], 0.0f);
  EXPECT_GT(Value(row1, AudioOp::Gain, 1), 0.99f);
  const std::vector<AudioCall> row2 = Tick();
  EXPECT_EQ(Value(row2, AudioOp::Gain, 1), 0.0f);
  EXPECT_EQ(Value(row2, AudioOp::Gain, 5), 0.0f);
  Tick();
  const std::vector<AudioCall> row4 = Tick();
  EXPECT_EQ(t.audio.Only(AudioOp::Play), std::vector<AudioCall>{PlayCall(1, "tri_64.wav")});
  EXPECT_EQ(Value(row4, AudioOp::Gain, 1), 0.0f);  // started, but at volume 0
}

TEST_F(Sequencer, StoppingKeepsTheVoiceStatesForTheNextStart) {
  t.SetInstrument(2, {2, 5, 0, 0, 255, 0, 0, 0});
  t.WriteRow(3, 0, "q922");
  StartAndPlayFirstRow();
  t.TapKey(KEY_F2);  // stop
  EXPECT_EQ(e.engineMode, MODE_STANDBY);
  EXPECT_EQ(e.voices[3].instrument, 2);
  EXPECT_EQ(e.voices[3].volume, 9 * 0.125f);
  EXPECT_EQ(e.voices[3].pwmDetune, 5.0f);
  EXPECT_EQ(e.voices[3].primarySound, e.sampleRampC.get());
}

// Values a loaded song can leave in the state (nothing in a song file is range-checked): the
// player stays inside the columns, the order list and the instrument table, and hands the sound
// device only finite values.
TEST(SequencerBadInput, PlaysOnSafely) {
  struct Case {
    const char* name;
    std::function<void(c_SoundEngine&)> setUp;  // applied once playback runs
  };
  const Case cases[] = {
      {"order entries above 255",
       [](c_SoundEngine& e) {
         e.orderList[0] = 300;
         e.orderList[1] = 65535;
         e.orderList[2] = 2000000000;
         e.orderList[3] = -7;
         e.songLengthRows = 5 * 32;
       }},
      {"speed 0", [](c_SoundEngine& e) { e.songSpeed = 0; }},
      {"speed 65535", [](c_SoundEngine& e) { e.songSpeed = 65535; }},
      {"short columns",
       [](c_SoundEngine& e) {
         e.trackNotes[1].resize(40);
         e.trackVolumes[2].resize(3);
         e.trackInstruments[3].clear();
         e.trackOctaves[4].resize(33);
       }},
      {"wild instruments",
       [](c_SoundEngine& e) {
         for (int k = 0; k < INSTRUMENT_TABLE_SIZE; ++k) e.instrumentTable[k] = 65535 - k * 97;
       }},
      {"instrument 0 with parameters",
       [](c_SoundEngine& e) {
         for (int k = 0; k < 8; ++k) e.instrumentTable[k] = 65535;
       }},
      {"row offset far past the pattern", [](c_SoundEngine& e) { e.rowOffset = 2147483647; }},
      {"negative row offset", [](c_SoundEngine& e) { e.rowOffset = -2147483600; }},
      {"position outside the order list", [](c_SoundEngine& e) { e.songPosition = 2147483647; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackerFixture t;
    c_SoundEngine& e = *t.engine;
    // Every digit and command in every channel and row of pattern 0 and 1.
    const std::string notes = "yq<+#-.p9a";
    const std::string digits = "0123456789abcdefF";
    for (int i = 0; i < 64; ++i) {
      for (int ch = 1; ch <= 4; ++ch) {
        std::string cell = {notes[(i + ch) % notes.size()], digits[(i * 3 + ch) % digits.size()],
                            digits[(i * 5 + ch) % digits.size()], digits[(i * 7) % 10]};
        t.WriteRow(ch, i, cell);
      }
    }
    for (int i = 1; i <= 15; ++i) t.SetInstrument(i, {i % 8, 15, 15, 0xFF, 1, 1, 12, 12});
    e.songLengthRows = 2 * 32;
    t.TapKey(KEY_F2);
    c.setUp(e);
    t.Update(400);
    for (const AudioCall& call : t.audio.calls) {
      ASSERT_TRUE(std::isfinite(call.value)) << call;
      ASSERT_GE(call.channel, 1) << call;
      ASSERT_LE(call.channel, 8) << call;
    }
    EXPECT_GE(e.songPosition, 0);
    EXPECT_LT(e.songPosition, ORDER_LIST_SIZE);
    EXPECT_FALSE(t.audio.Only(AudioOp::Gain).empty());
  }
}

TEST(SequencerBadInput, SpeedZeroProcessesOneRowThenHolds) {
  TrackerFixture t;
  t.engine->songSpeed = 1;
  t.TapKey(KEY_F2);
  t.engine->songSpeed = 0;
  t.Update(100);
  EXPECT_EQ(t.engine->rowOffset, 1);
  EXPECT_EQ(t.engine->tickCounter, 100);
}

TEST(SequencerBadInput, RowsPastTheEndOfAColumnReadAsKeyZeroWithoutVolume) {
  TrackerFixture t;
  c_SoundEngine& e = *t.engine;
  t.SetInstrument(1, {4, 0, 0, 0, 255, 0, 0, 0});
  t.WriteRow(1, 0, "q812");
  e.orderList[0] = 400;  // past the columns
  e.songSpeed = 1;
  t.TapKey(KEY_F2);
  t.Update();
  t.audio.Clear();
  t.Update();
  // The empty text decodes as the key "y" at octave 0: a re-pitch to semitone -24, no start.
  EXPECT_EQ(PlayerTest::RowCalls(t.audio.calls),
            std::vector<AudioCall>({PitchCall(1, Rate(-24)), PitchCall(5, Rate(-24)),
                                    PitchCall(2, Rate(-24)), PitchCall(6, Rate(-24)),
                                    PitchCall(3, Rate(-24)), PitchCall(7, Rate(-24)),
                                    PitchCall(4, Rate(-24)), PitchCall(8, Rate(-24))}));
  EXPECT_EQ(e.patternBase, 400 * 32);
}

}  // namespace

#include <gtest/gtest.h>

#include <functional>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "graphics/font.h"
#include "host/input/key_codes.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tracker_fixture.h"

namespace {

const std::vector<AudioCall> STOP_ALL = {StopCall(1), StopCall(2), StopCall(3), StopCall(4),
                                         StopCall(6), StopCall(5), StopCall(8), StopCall(7)};

std::vector<unsigned char> Png(int width, int height) {
  std::vector<unsigned char> pixels(static_cast<size_t>(width * height * 4), 255);
  std::vector<unsigned char> file;
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<unsigned char>*>(context);
        const auto* bytes = static_cast<const unsigned char*>(data);
        out->insert(out->end(), bytes, bytes + size);
      },
      &file, width, height, 4, pixels.data(), width * 4);
  return file;
}

TEST(Lifecycle, CreateLoadsTheResourcesInOrderAndBuildsTheEmptySong) {
  TempFolder folder;
  folder.Write("data/vumofont.png", Png(96 * 11, 12));
  folder.Write("data/button1.png", Png(32, 16));
  TrackerFixture t(folder.PathText());
  const c_SoundEngine& e = *t.engine;

  ASSERT_NE(e.trackerFont, nullptr);
  EXPECT_EQ(GetDrawFont(), e.trackerFont);
  ASSERT_NE(e.buttonImage, nullptr);
  EXPECT_EQ(e.buttonImage->width, 32);

  std::vector<std::string> loaded;
  for (const AudioCall& call : t.createCalls) {
    if (call.op == AudioOp::Load) loaded.push_back(call.name);
  }
  const std::vector<std::string> order = {"ramp_64.wav", "ramp_b_64.wav", "ramp_c_64.wav",
                                          "saw_64.wav",  "fx2b.wav",      "tri_64.wav",
                                          "hnoise.wav"};
  EXPECT_EQ(loaded, order);
  EXPECT_EQ(t.audio.NameOf(e.sampleRamp->sample.get()), "ramp_64.wav");
  EXPECT_EQ(t.audio.NameOf(e.sampleNoise->sample.get()), "hnoise.wav");

  for (int c = 1; c <= 4; ++c) {
    EXPECT_EQ(e.trackNotes[c], String(COLUMN_CELLS, u'.'));
    EXPECT_EQ(e.trackVolumes[c], String(COLUMN_CELLS, u'0'));
    EXPECT_EQ(e.trackInstruments[c], String(COLUMN_CELLS, u'0'));
    EXPECT_EQ(e.trackOctaves[c], String(COLUMN_CELLS, u'0'));
  }
  for (int slot = 0; slot < UNDO_SLOTS; ++slot) {
    const bool filled = slot < 16;
    for (int c = 1; c <= 4; ++c) {
      EXPECT_EQ(e.undoHistory[slot].notes[c] == e.trackNotes[c], filled) << slot;
      EXPECT_EQ(e.undoHistory[slot].octaves[c] == e.trackOctaves[c], filled) << slot;
      if (!filled) {
        EXPECT_TRUE(e.undoHistory[slot].volumes[c].empty());
      }
    }
  }
  EXPECT_EQ(t.game.UpdateRate(), 51);
  EXPECT_EQ(e.cursorRow, 1);
  EXPECT_EQ(e.cursorColumn, 1);
  EXPECT_EQ(e.statusText, u"Standby...");
}

TEST(Lifecycle, MissingResourcesLeaveEmptyReferencesAndSilentVoices) {
  TempFolder folder;  // no pictures at all
  TrackerFixture t(folder.PathText(), {"ramp_b_64.wav", "saw_64.wav"});
  c_SoundEngine& e = *t.engine;
  EXPECT_EQ(e.trackerFont, nullptr);
  EXPECT_EQ(e.buttonImage, nullptr);
  EXPECT_EQ(e.sampleRampB, nullptr);
  EXPECT_EQ(e.sampleSaw, nullptr);
  ASSERT_NE(e.sampleTriangle, nullptr);

  t.SetInstrument(1, {1, 8, 0, 0, 255, 0, 0, 0});  // ramp B and saw: both missing
  t.SetInstrument(2, {4, 0, 0, 0, 255, 0, 0, 0});  // triangle
  t.WriteRow(1, 0, "q812");
  t.WriteRow(2, 0, "q822");
  e.songSpeed = 1;
  t.TapKey(KEY_F2);
  t.audio.Clear();
  t.Update(2);  // the first row comes with the second update at speed 1
  EXPECT_EQ(t.audio.Only(AudioOp::Play), std::vector<AudioCall>{PlayCall(2, "tri_64.wav")});
  EXPECT_EQ(t.audio.Only(AudioOp::Stop), std::vector<AudioCall>({StopCall(5), StopCall(6)}));
  t.Render();  // the screen is drawn without its font and picture
}

TEST(Lifecycle, RenderClearsToBlackFirst) {
  TrackerFixture t;
  t.Render();
  bool cleared = false;
  for (const GraphicsCall& call : t.graphics.calls) {
    if (call.op != GraphicsOp::Clear) continue;
    EXPECT_EQ(call.x, 0);
    EXPECT_EQ(call.y, 0);
    EXPECT_EQ(call.w, 0);
    cleared = true;
    break;
  }
  EXPECT_TRUE(cleared);
  // Nothing is drawn before the clear.
  for (const GraphicsCall& call : t.graphics.calls) {
    if (call.op == GraphicsOp::Clear) break;
    EXPECT_NE(call.op, GraphicsOp::Rect);
    EXPECT_NE(call.op, GraphicsOp::SurfaceRect);
    EXPECT_NE(call.op, GraphicsOp::Surface);
  }
}

enum class Toggle { Space, EditButton, F1, F2, PlayButton };

void Perform(TrackerFixture& t, Toggle toggle) {
  switch (toggle) {
    case Toggle::Space:
      t.TapKey(KEY_SPACE);
      break;
    case Toggle::EditButton:
      t.ClickAndUpdate(540, 346);
      break;
    case Toggle::F1:
      t.TapKey(KEY_F1);
      break;
    case Toggle::F2:
      t.TapKey(KEY_F2);
      break;
    case Toggle::PlayButton:
      t.ClickAndUpdate(540, 328);
      break;
  }
}

void Reach(TrackerFixture& t, int mode) {
  if (mode == MODE_EDITING) t.TapKey(KEY_SPACE);
  if (mode == MODE_PLAYING) {
    t.TapKey(KEY_F2);
    t.Update();
  }
  ASSERT_EQ(t.engine->engineMode, mode);
}

TEST(Lifecycle, ModeTransitionsStopAllEightChannels) {
  struct Case {
    int from;
    Toggle toggle;
    int to;
    String status;  // one update after the toggle
  };
  const Case cases[] = {
      {MODE_STANDBY, Toggle::Space, MODE_EDITING, u"Editing..."},
      {MODE_STANDBY, Toggle::EditButton, MODE_EDITING, u"Editing..."},
      {MODE_STANDBY, Toggle::F1, MODE_PLAYING, u"Playing..."},
      {MODE_STANDBY, Toggle::F2, MODE_PLAYING, u"Playing..."},
      {MODE_STANDBY, Toggle::PlayButton, MODE_PLAYING, u"Playing..."},
      {MODE_EDITING, Toggle::Space, MODE_STANDBY, u"Standby..."},
      {MODE_EDITING, Toggle::EditButton, MODE_STANDBY, u"Standby..."},
      {MODE_EDITING, Toggle::F1, MODE_PLAYING, u"Playing..."},
      {MODE_EDITING, Toggle::F2, MODE_PLAYING, u"Playing..."},
      {MODE_EDITING, Toggle::PlayButton, MODE_PLAYING, u"Playing..."},
      {MODE_PLAYING, Toggle::Space, MODE_STANDBY, u"Standby..."},
      {MODE_PLAYING, Toggle::EditButton, MODE_STANDBY, u"Standby..."},
      {MODE_PLAYING, Toggle::F1, MODE_STANDBY, u"Standby..."},
      {MODE_PLAYING, Toggle::F2, MODE_STANDBY, u"Standby..."},
      {MODE_PLAYING, Toggle::PlayButton, MODE_STANDBY, u"Standby..."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "from " << c.from << " toggle " << int(c.toggle));
    TrackerFixture t;
    Reach(t, c.from);
    t.engine->rowOffset = 7;
    t.engine->cursorRow = 9;
    t.audio.Clear();
    Perform(t, c.toggle);
    EXPECT_EQ(t.engine->engineMode, c.to);
    EXPECT_EQ(t.audio.Only(AudioOp::Stop), STOP_ALL);
    if (c.to == MODE_EDITING) {
      EXPECT_EQ(t.engine->statusText, u"Editing...");
    }
    if (c.to == MODE_STANDBY) {
      EXPECT_EQ(t.engine->statusText, u"Standby...");
    }
    EXPECT_EQ(t.engine->rowOffset, 0);
    const bool playToggle =
        c.toggle == Toggle::F1 || c.toggle == Toggle::F2 || c.toggle == Toggle::PlayButton;
    if (playToggle) {
      EXPECT_EQ(t.engine->cursorRow, 1);
    }
    t.Update();
    EXPECT_EQ(t.engine->statusText, c.status);
  }
}

TEST(Lifecycle, F1PlaysFromTheStartF2FromTheCurrentPosition) {
  for (int key : {KEY_F1, KEY_F2}) {
    TrackerFixture t;
    t.engine->songLengthRows = 10 * 32;
    t.engine->songPosition = 5;
    t.TapKey(key);
    EXPECT_EQ(t.engine->songPosition, key == KEY_F1 ? 0 : 5);
    t.engine->songPosition = 3;
    t.TapKey(key);  // stops playback; F1 also goes back to the start
    EXPECT_EQ(t.engine->engineMode, MODE_STANDBY);
    EXPECT_EQ(t.engine->songPosition, key == KEY_F1 ? 0 : 3);
  }
}

TEST(Lifecycle, ChannelMutesByKeyAndLabel) {
  struct Case {
    const char* name;
    std::function<void(TrackerFixture&)> input;
    int channel;  // 0: no channel changes
  };
  const auto key = [](int code) {
    return [code](TrackerFixture& t) {
      t.PressKey(code);
      t.ReleaseKey(code);
    };
  };
  const auto click = [](float x, float y) {
    return [x, y](TrackerFixture& t) { t.ClickAt(x, y); };
  };
  const Case cases[] = {
      {"F5", key(KEY_F5), 1},
      {"F6", key(KEY_F6), 2},
      {"F7", key(KEY_F7), 3},
      {"F8", key(KEY_F8), 4},
      {"label 1", click(71, 418), 1},
      {"label 2", click(137, 418), 2},
      {"label 3", click(203, 418), 3},
      {"label 4", click(269, 418), 4},
      {"left edge of label 1", click(44, 418), 0},
      {"right edge of label 1", click(98, 418), 0},
      {"gap between labels 1 and 2", click(104, 418), 0},
      {"top edge", click(71, 410), 0},
      {"bottom edge", click(71, 426), 0},
      {"pointer over a label without a click", [](TrackerFixture& t) { t.MoveMouse(71, 418); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackerFixture t;
    c.input(t);
    t.Update();
    for (int ch = 1; ch <= 4; ++ch) {
      EXPECT_EQ(t.engine->channelEnabled[ch], ch == c.channel ? 0.0f : 1.0f) << "channel " << ch;
    }
    c.input(t);
    t.Update();
    for (int ch = 1; ch <= 4; ++ch) EXPECT_EQ(t.engine->channelEnabled[ch], 1.0f);
  }
}

TEST(Lifecycle, MuteToggleOfAnOddValueSubtractsOne) {
  TrackerFixture t;
  t.engine->channelEnabled[2] = 0.5f;
  t.TapKey(KEY_F6);
  EXPECT_EQ(t.engine->channelEnabled[2], -0.5f);
}

TEST(Lifecycle, LayoutToggle) {
  struct Case {
    float x, y;
    bool toggles;
  };
  const Case cases[] = {{540, 450, true},  {600, 450, true},   {570, 450, false},
                        {516, 450, false}, {624, 450, false},  {540, 442, false},
                        {540, 458, false}, {569.5f, 450, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    TrackerFixture t;
    t.ClickAndUpdate(c.x, c.y);
    EXPECT_EQ(t.engine->keyboardLayout, c.toggles ? u"US" : u"DE");
    t.ClickAndUpdate(c.x, c.y);
    EXPECT_EQ(t.engine->keyboardLayout, u"DE");
  }
}

TEST(Lifecycle, UndoButtonRestoresTheSnapshotInEveryMode) {
  for (int mode : {MODE_STANDBY, MODE_EDITING, MODE_PLAYING}) {
    SCOPED_TRACE(mode);
    TrackerFixture t;
    Reach(t, mode);
    c_SoundEngine& e = *t.engine;
    t.WriteRow(2, 40, "q812");
    e.PushUndoSnapshot();
    t.WriteRow(2, 41, "w812");
    t.ClickAndUpdate(600, 346);
    EXPECT_EQ(e.undoIndex, 0);
    EXPECT_EQ(e.trackNotes[2][40], u'.');
    EXPECT_EQ(e.trackNotes[2][41], u'.');
    t.ClickAndUpdate(600, 346);  // again at slot 0: slot 0 once more
    EXPECT_EQ(e.undoIndex, 0);
    EXPECT_EQ(e.trackNotes[2][40], u'.');
  }
}

// A field the spinners edit, as a reference into the engine.
using Field = std::function<int&(c_SoundEngine&)>;

Field Param(int k) {
  return [k](c_SoundEngine& e) -> int& { return e.instrumentTable[8 * e.currentInstrument + k]; };
}

TEST(Lifecycle, SpinnerClicks) {
  const Field octave = [](c_SoundEngine& e) -> int& { return e.editOctave; };
  const Field speed = [](c_SoundEngine& e) -> int& { return e.songSpeed; };
  const Field length = [](c_SoundEngine& e) -> int& { return e.songLengthRows; };
  const Field instrument = [](c_SoundEngine& e) -> int& { return e.currentInstrument; };
  const Field order = [](c_SoundEngine& e) -> int& { return e.orderList[e.songPosition]; };
  struct Case {
    const char* name;
    int x, y;  // spinner position
    float dx;  // click offset inside the spinner
    Field field;
    int before, after;
  };
  const Case cases[] = {
      {"OCT up", 473, 360, 24, octave, 1, 2},
      {"OCT up at the top", 473, 360, 24, octave, 3, 3},
      {"OCT down at the bottom", 473, 360, 8, octave, 0, 0},
      {"SPD down", 473, 372, 8, speed, 4, 3},
      {"SPD up at 16", 473, 372, 24, speed, 16, 16},
      {"SPD down at 1", 473, 372, 8, speed, 1, 1},
      {"Len up", 473, 384, 24, length, 32, 64},
      {"Len up at 99", 473, 384, 24, length, 99 * 32, 99 * 32},
      {"Len down at 1", 473, 384, 8, length, 32, 32},
      {"INSTRUMENT up", 561, 144, 24, instrument, 1, 2},
      {"INSTRUMENT up at 15", 561, 144, 24, instrument, 15, 15},
      {"WAV up", 561, 168, 24, Param(0), 1, 2},
      {"WAV up at 7", 561, 168, 24, Param(0), 7, 7},
      {"PWM up at 15", 561, 180, 24, Param(1), 15, 15},
      {"E2P up", 561, 216, 24, Param(2), 3, 4},
      {"ENV up at 255", 561, 204, 24, Param(4), 255, 255},
      {"ENV down at 1", 561, 204, 8, Param(4), 1, 1},
      {"ENV down", 561, 204, 8, Param(4), 10, 9},
      {"first ARP up at 12", 561, 228, 24, Param(6), 12, 12},
      {"second ARP up", 593, 228, 24, Param(7), 11, 12},
      {"SPD (arpeggio) down at 0", 561, 240, 8, Param(5), 0, 0},
      {"SPD (arpeggio) up", 561, 240, 24, Param(5), 0, 1},
      {"SWP up keeps AMT", 561, 192, 24, Param(3), 0x2F, 0x3F},
      {"SWP up at 15", 561, 192, 24, Param(3), 0xF3, 0xF3},
      {"AMT down keeps SWP", 561, 252, 8, Param(3), 0x25, 0x24},
      {"AMT up at 15", 561, 252, 24, Param(3), 0x2F, 0x2F},
      {"order entry up", 385, 12, 24, order, 7, 8},
      {"order entry up at 255", 385, 12, 24, order, 255, 255},
      {"order entry down at 0", 385, 12, 8, order, 0, 0},
      {"between the halves", 473, 372, 16, speed, 4, 4},
      {"left edge", 473, 372, 0, speed, 4, 4},
      {"right edge", 473, 372, 32, speed, 4, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackerFixture t;
    c_SoundEngine& e = *t.engine;
    e.instrumentTable[8] = 1;  // a valid WAV and ENV for the current instrument
    e.instrumentTable[12] = 1;
    e.songPosition = 4;
    c.field(e) = c.before;
    t.ClickAndUpdate(static_cast<float>(c.x) + c.dx, static_cast<float>(c.y) + 8);
    EXPECT_EQ(c.field(e), c.after);
  }
  // The band is 2 to 14 pixels below the spinner's top, exclusive.
  for (float dy : {2.0f, 14.0f, 3.0f, 13.0f}) {
    TrackerFixture t;
    t.ClickAndUpdate(473 + 8, 372 + dy);
    EXPECT_EQ(t.engine->songSpeed, (dy == 2 || dy == 14) ? 4 : 3) << dy;
  }
}

TEST(Lifecycle, SpinnersForceValuesIntoRangeWithoutAClick) {
  struct Case {
    const char* name;
    Field field;
    int before, after;
  };
  const Field octave = [](c_SoundEngine& e) -> int& { return e.editOctave; };
  const Field speed = [](c_SoundEngine& e) -> int& { return e.songSpeed; };
  const Field length = [](c_SoundEngine& e) -> int& { return e.songLengthRows; };
  const Field order = [](c_SoundEngine& e) -> int& { return e.orderList[e.songPosition]; };
  const Case cases[] = {
      {"speed 0", speed, 0, 1},
      {"speed 40", speed, 40, 16},
      {"length of 0 positions", length, 0, 32},
      {"length 200 positions", length, 200 * 32, 99 * 32},
      {"length not a multiple of 32", length, 70, 64},
      {"octave 9", octave, 9, 3},
      {"octave -3", octave, -3, 0},
      {"WAV 0", Param(0), 0, 1},
      {"WAV 9", Param(0), 9, 7},
      {"ENV 0", Param(4), 0, 1},
      {"ENV 300", Param(4), 300, 255},
      {"ARP 40", Param(6), 40, 12},
      {"PWM 200", Param(1), 200, 15},
      {"SWP/AMT 0x1FF", Param(3), 0x1FF, 0xFF},
      {"order entry 300", order, 300, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackerFixture t;
    t.engine->songPosition = 2;
    c.field(*t.engine) = c.before;
    t.Update();
    EXPECT_EQ(c.field(*t.engine), c.after);
  }
  TrackerFixture t;
  t.engine->currentInstrument = 0;
  t.Update();
  EXPECT_EQ(t.engine->currentInstrument, 1);
  t.engine->currentInstrument = 40;
  t.Update();
  EXPECT_EQ(t.engine->currentInstrument, 15);
  // Nothing to store for a position outside the order list, and nothing read from there.
  t.engine->songPosition = 300;
  t.Update();
  for (int entry : t.engine->orderList) EXPECT_EQ(entry, 0);
}

TEST(Lifecycle, SpinnersAndEditorRestWhilePlaying) {
  TrackerFixture t;
  t.TapKey(KEY_F2);
  t.engine->songSpeed = 40;
  t.engine->tickCounter = 0;
  t.ClickAndUpdate(473 + 8, 372 + 8);
  EXPECT_EQ(t.engine->songSpeed, 40);
  EXPECT_EQ(t.engine->tickCounter, 1);  // the player counts; the editor would hold it at 0
}

TEST(Lifecycle, RowOffsetIsKeptInRangeWhileNotPlaying) {
  struct Case {
    int length, before, after;
  };
  const Case cases[] = {{32, 31, 31}, {32, 32, 0},  {32, 10000, 0}, {32, -1, 0},
                        {96, -1, 64}, {96, 95, 95}, {96, -5, 64}};
  for (const Case& c : cases) {
    TrackerFixture t;
    t.engine->songLengthRows = c.length;
    t.engine->rowOffset = c.before;
    t.Update();
    EXPECT_EQ(t.engine->rowOffset, c.after) << c.length << " " << c.before;
  }
}

}  // namespace

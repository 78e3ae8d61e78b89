#include "tests/support/tracker_fixture.h"

#include "graphics/drawing.h"
#include "host/input/key_translation.h"

TrackerFixture::TrackerFixture(const String& folder, const std::set<std::string>& failingSamples)
    : game(folder) {
  game.manualClock = true;
  audio.failingNames = failingSamples;
  InstallGraphicsDevice(&graphics);
  SetAudioDevice(&audio);
  SetInputDevice(&input);
  engine = std::make_unique<c_SoundEngine>();
  engine->OnCreate();
  createCalls = audio.calls;
  audio.Clear();
  graphics.Clear();
}

TrackerFixture::~TrackerFixture() {
  engine.reset();
  SetDrawFont(nullptr);
  if (InputDevice() == &input) SetInputDevice(nullptr);
  if (InstalledGraphicsDevice() == &graphics) InstallGraphicsDevice(nullptr);
}

void TrackerFixture::Update(int count) {
  for (int i = 0; i < count; ++i) {
    engine->OnUpdate();
    input.EndUpdate();
  }
}

void TrackerFixture::Render() {
  BeginDrawing();
  engine->OnRender();
  EndDrawing();
}

void TrackerFixture::PressKey(int code) {
  input.PutKeyHit(code);
  const int ch = KeyPressCharacter(code);
  if (ch != 0) input.PutChar(ch);
}

void TrackerFixture::ReleaseKey(int code) {
  input.PutKeyRelease(code);
}

void TrackerFixture::TypeChar(int ch) {
  input.PutChar(ch);
}

void TrackerFixture::MoveMouse(float x, float y) {
  input.SetMouse(x, y, 0);
}

void TrackerFixture::ClickAt(float x, float y) {
  input.SetMouse(x, y, 0);
  input.PutKeyHit(1);
  input.SetMouse(x, y, 0);
  input.PutKeyRelease(1);
}

void TrackerFixture::TapKey(int code) {
  PressKey(code);
  Update();
  ReleaseKey(code);
}

void TrackerFixture::ClickAndUpdate(float x, float y) {
  ClickAt(x, y);
  Update();
}

void TrackerFixture::WriteRow(int channel, int index, const std::string& cell) {
  WriteCell(engine->trackNotes[channel], index, static_cast<char16_t>(cell.at(0)));
  WriteCell(engine->trackVolumes[channel], index, static_cast<char16_t>(cell.at(1)));
  WriteCell(engine->trackInstruments[channel], index, static_cast<char16_t>(cell.at(2)));
  WriteCell(engine->trackOctaves[channel], index, static_cast<char16_t>(cell.at(3)));
}

void TrackerFixture::SetInstrument(int i, const std::array<int, 8>& params) {
  for (int k = 0; k < 8; ++k) {
    if (8 * i + k < INSTRUMENT_TABLE_SIZE) engine->instrumentTable[8 * i + k] = params[k];
  }
}

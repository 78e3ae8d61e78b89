// The application hooks: loading the resources and building the empty song, the update that
// runs the player and the global controls before handing over to the editor, and the render.
#include "graphics/drawing.h"
#include "host/app.h"
#include "host/input/input_device.h"
#include "host/input/key_codes.h"
#include "tracker/sound_engine.h"

int c_SoundEngine::OnCreate() {
  trackerFont = LoadCellFont(u"vumofont.png", false);
  SetDrawFont(trackerFont);
  buttonImage = LoadImageResource(u"button1.png", defaultImageFlags);

  sampleRamp = LoadSoundResource(u"ramp_64.wav");
  sampleRampB = LoadSoundResource(u"ramp_b_64.wav");
  sampleRampC = LoadSoundResource(u"ramp_c_64.wav");
  sampleSaw = LoadSoundResource(u"saw_64.wav");
  sampleFx2b = LoadSoundResource(u"fx2b.wav");
  sampleTriangle = LoadSoundResource(u"tri_64.wav");
  sampleNoise = LoadSoundResource(u"hnoise.wav");

  for (int c = 1; c <= 4; ++c) {
    trackNotes[c].assign(COLUMN_CELLS, u'.');
    trackVolumes[c].assign(COLUMN_CELLS, u'0');
    trackInstruments[c].assign(COLUMN_CELLS, u'0');
    trackOctaves[c].assign(COLUMN_CELLS, u'0');
  }
  for (int slot = 0; slot < 16; ++slot) {
    undoHistory[slot].notes = trackNotes;
    undoHistory[slot].volumes = trackVolumes;
    undoHistory[slot].instruments = trackInstruments;
    undoHistory[slot].octaves = trackOctaves;
  }

  SetUpdateRate(51);
  cursorColumn = 1;
  cursorRow = 1;
  orderList.fill(0);
  statusText = u"Standby...";
  return 0;
}

int c_SoundEngine::OnUpdate() {
  if (engineMode == MODE_PLAYING) {
    statusText = u"Playing...";
    PlayerUpdate();
  }
  patternBase = PatternBaseAt(songPosition);

  ApplyChannelMutes();

  const bool clicked = MouseHitCount(0) > 0;
  const float mx = MouseX();
  const float my = MouseY();

  // Keyboard layout: the caption area right of the name box, split at x = 570.
  if (clicked && mx > 516 && mx < 624 && mx != 570 && my > 442 && my < 458) {
    keyboardLayout = keyboardLayout == u"DE" ? u"US" : u"DE";
  }

  // Edit toggle: standby -> editing, editing -> standby, playing -> standby.
  if (KeyHitCount(KEY_SPACE) > 0 || (clicked && mx > 516 && mx < 570 && my > 338 && my < 354)) {
    engineMode -= 2;
    rowOffset = 0;
    StopAllChannels();
    if (engineMode == MODE_EDITING) statusText = u"Editing...";
    if (engineMode < 0) {
      engineMode = MODE_STANDBY;
      statusText = u"Standby...";
    }
  }

  // Undo button.
  if (clicked && mx > 570 && mx < 624 && my > 338 && my < 354) RestoreUndoSnapshot();

  // Play toggle: F1 plays from the start, F2 and the play button from the current position.
  const bool fromStart = KeyHitCount(KEY_F1) > 0;
  if (fromStart || KeyHitCount(KEY_F2) > 0 || ButtonHit(516, 318, 1) == 1) {
    StopAllChannels();
    tickCounter = 0;
    if (fromStart) songPosition = 0;
    cursorRow = 1;
    rowOffset = 0;
    engineMode += 1;
    if (engineMode > MODE_STANDBY) {
      engineMode = MODE_PLAYING;
      return 0;
    }
    if (engineMode == MODE_STANDBY) statusText = u"Standby...";
  }

  if (engineMode == MODE_PLAYING) return 0;

  tickCounter = 0;
  EditorInput();
  if (rowOffset >= songLengthRows) rowOffset = 0;
  if (rowOffset < 0) rowOffset = songLengthRows - ROWS_PER_PATTERN;

  ApplySpinners();
  return 0;
}

int c_SoundEngine::OnRender() {
  ClearScreen(0, 0, 0);
  DrawScreen();
  return 0;
}

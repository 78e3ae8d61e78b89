// The editor: one pass per update while the song is not playing. It handles the text boxes and
// commands, moves the cursor over the pattern and the positions, reads one typed character and
// writes it as a note or a volume digit (editing mode) or only previews it (standby).
#include "host/input/input_device.h"
#include "host/input/key_codes.h"
#include "tracker/sound_engine.h"

namespace {

// Updates an Up or Down key holds before the cursor starts repeating, one row per update.
constexpr int kHoldDelay = 12;

bool IsCommandCharacter(int ch) {
  return ch == '-' || ch == '.' || ch == '#' || ch == '+';
}

// A note column accepts "#", "+", the characters "-" to "<" and "a" to code 127.
bool IsNoteColumnCharacter(int ch) {
  return ch == '#' || ch == '+' || (ch >= '-' && ch <= '<') || (ch >= 'a' && ch <= 127);
}

char16_t HexDigit(int value) {
  return u"0123456789ABCDEF"[value & 15];
}

}  // namespace

void c_SoundEngine::EditorInput() {
  SongNameEntry();
  DescriptionEntry();
  FileCommands();

  // The preview plays the current instrument's waveforms; other "WAV" values keep the last ones.
  WaveformsFor(*this, InstrumentParam(currentInstrument, 0), &previewPrimary, &previewSecondary);
  previewDetune = static_cast<float>(InstrumentParam(currentInstrument, 1));

  if (!nameEntry && !descriptionEntry) PositionCommands();

  MoveCursor();

  int ch = NextChar();
  if (keyboardLayout == u"US") {
    // Keyboards with Y and Z exchanged: the same physical keys give the same notes.
    if ((ch & ~32) == 'Y') {
      ch = 'z';
    } else if ((ch & ~32) == 'Z') {
      ch = 'y';
    }
  }
  VolumeEntry(ch);
  TrackCommands();
  NoteEntry(ch);
  PreviewTick();
}

void c_SoundEngine::MoveCursor() {
  // Columns: Tab jumps to the next channel; every column move silences all voices.
  if (KeyHitCount(KEY_TAB)) {
    cursorColumn += 2;
    StopAllChannels();
  }
  if (KeyHitCount(KEY_RIGHT)) {
    cursorColumn += 1;
    StopAllChannels();
  }
  if (KeyHitCount(KEY_LEFT)) {
    cursorColumn -= 1;
    StopAllChannels();
  }
  if (cursorColumn < 1) {
    cursorColumn = 8;
  } else if (cursorColumn > 8) {
    cursorColumn = 1;
  }

  // Positions: the pattern shown follows at once. Page Down stops at the last position.
  if (KeyHitCount(KEY_PAGEUP) && songPosition > 0) {
    songPosition -= 1;
    patternBase = PatternBaseAt(songPosition);
  }
  if (KeyHitCount(KEY_PAGEDOWN)) {
    if (songPosition < ORDER_LIST_SIZE - 1) songPosition += 1;
    patternBase = PatternBaseAt(songPosition);
  }

  // Rows: a press moves one row at once; holding repeats one row per update after the delay.
  if (IsKeyDown(KEY_UP)) {
    upHoldFrames += 1;
    if (upHoldFrames > kHoldDelay) cursorRow -= 1;
  } else {
    upHoldFrames = 0;
  }
  if (IsKeyDown(KEY_DOWN)) {
    downHoldFrames += 1;
    if (downHoldFrames > kHoldDelay) cursorRow += 1;
  } else {
    downHoldFrames = 0;
  }
  if (KeyHitCount(KEY_UP)) cursorRow -= 1;
  if (KeyHitCount(KEY_DOWN)) cursorRow += 1;
  if (cursorRow > ROWS_PER_PATTERN) {
    cursorRow = 1;
  } else if (cursorRow < 1) {
    cursorRow = ROWS_PER_PATTERN;
  }
}

void c_SoundEngine::VolumeEntry(int ch) {
  if (engineMode != MODE_EDITING || nameEntry || descriptionEntry) return;
  if (cursorColumn % 2 != 0) return;
  const int c = cursorColumn / 2;
  if (ch >= 'a' && ch <= 'f') {
    WriteCell(trackVolumes[c], CursorCell(), static_cast<char16_t>(ch - 'a' + 'A'));
  } else if (ch >= '0' && ch <= '9') {
    WriteCell(trackVolumes[c], CursorCell(), static_cast<char16_t>(ch));
  } else {
    return;
  }
  cursorRow += 1;
}

void c_SoundEngine::NoteEntry(int ch) {
  if (cursorColumn % 2 != 1) return;
  // While a name or description is typed the tracker stays silent: a second character typed in
  // the same update must not sound as a note.
  if (nameEntry || descriptionEntry) return;
  if (!IsNoteColumnCharacter(ch)) return;
  const int c = (cursorColumn + 1) / 2;
  const char16_t key = static_cast<char16_t>(ch);
  if (!IsCommandCharacter(ch)) lastPreviewKey = String(1, key);

  if (engineMode == MODE_EDITING) {
    const int i = CursorCell();
    WriteCell(trackNotes[c], i, key);
    WriteCell(trackInstruments[c], i, HexDigit(currentInstrument));
    WriteCell(trackOctaves[c], i, static_cast<char16_t>(u'0' + (editOctave & 7)));
    if (IsCommandCharacter(ch)) {
      WriteCell(trackInstruments[c], i, u'0');
      WriteCell(trackOctaves[c], i, u'0');
    } else {
      if (CellAt(trackVolumes[c], i) == u"0") WriteCell(trackVolumes[c], i, u'8');
      previewArpStep = 0;
      previewSweepCounter = 0;
      previewEnvelope = 0;
      PushUndoSnapshot();
    }
    cursorRow += 1;
  } else if (engineMode == MODE_STANDBY) {
    previewArpStep = 0;
    previewSweepCounter = 0;
    previewEnvelope = 0;
  }

  TriggerNote(previewPrimary, NoteKeyCode(key) + 12 * editOctave - 24, c, 1, previewSecondary,
              previewDetune, 1, 0.0f, editOctave);
}

// The player: one tick per update, one row every songSpeed ticks, positions in song order.
#include <climits>

#include "tracker/sound_engine.h"

namespace {

// The cell index of a row; -1 (a cell that reads as empty) when the sum leaves the int range.
int CellIndex(int base, int row) {
  const long long index = static_cast<long long>(base) + row;
  return (index < 0 || index > INT_MAX) ? -1 : static_cast<int>(index);
}

}  // namespace

void c_SoundEngine::PlayerUpdate() {
  if (tickCounter == songSpeed) {
    ProcessRow();
    tickCounter = 1;
  } else if (tickCounter < INT_MAX) {
    // The counter only passes songSpeed when the speed is 0 or below (never set by the
    // interface or a song file); it then stops at INT_MAX instead of overflowing.
    tickCounter += 1;
  }
  TickEffects();
}

void c_SoundEngine::ProcessRow() {
  const int i = CellIndex(patternBase, rowOffset);
  int volumeDigit[5] = {};

  // Each step runs for channels 1 to 4 before the next step begins.
  for (int c = 1; c <= 4; ++c) {
    VoiceState& v = voices[c];
    v.rowCode = static_cast<float>(DecodeNoteCell(trackNotes[c], i));
    if (v.rowCode < NOTE_SLIDE_DOWN) {  // a key: a new note
      v.note = v.rowCode;
      v.arpOffset = 0;
      v.slide = 0;
      v.arpStep = 0;
      v.sweepCounter = 0;
      v.envelope = 0;
    }
  }
  for (int c = 1; c <= 4; ++c) voices[c].rowInstrument = HexCellValue(trackInstruments[c], i);
  for (int c = 1; c <= 4; ++c) {
    volumeDigit[c] = HexCellValue(trackVolumes[c], i);
    if (volumeDigit[c] != 0) {
      voices[c].volume = static_cast<float>(volumeDigit[c]) * 0.125f * channelEnabled[c];
    }
  }
  for (int c = 1; c <= 4; ++c) voices[c].rowOctave = DecimalCellValue(trackOctaves[c], i);
  for (int c = 1; c <= 4; ++c) {
    VoiceState& v = voices[c];
    WaveformsFor(*this, InstrumentParam(v.rowInstrument, 0), &v.primarySound, &v.secondarySound);
  }
  for (int c = 1; c <= 4; ++c) {
    VoiceState& v = voices[c];
    if (v.rowInstrument != 0) v.pwmDetune = static_cast<float>(InstrumentParam(v.rowInstrument, 1));
  }
  for (int c = 1; c <= 4; ++c) {
    const VoiceState& v = voices[c];
    const float semitone = v.rowCode - 24.0f + 12.0f * static_cast<float>(v.rowOctave);
    TriggerNote(v.primarySound, static_cast<int>(semitone), c, 1, v.secondarySound, v.pwmDetune,
                volumeDigit[c], v.arpOffset, v.rowOctave);
  }
  for (int c = 1; c <= 4; ++c) {
    if (voices[c].rowInstrument != 0) voices[c].instrument = voices[c].rowInstrument;
  }
  for (int c = 1; c <= 4; ++c) {
    if (voices[c].rowInstrument != 0) voices[c].octave = voices[c].rowOctave;
  }
  for (int c = 1; c <= 4; ++c) voices[c].lastCode = voices[c].rowCode;

  bool patternEnd = false;
  for (int c = 1; c <= 4; ++c) {
    if (voices[c].rowCode == NOTE_PATTERN_END) patternEnd = true;
  }
  // The next row, or the next position after row 31 or a "-" (also for a row offset that was
  // left past the pattern, which must not count on towards overflow).
  if (patternEnd || rowOffset >= ROWS_PER_PATTERN - 1) {
    NextPosition();
  } else {
    rowOffset += 1;
  }
}

void c_SoundEngine::NextPosition() {
  // After the last entry of the order list the song starts again at position 0; so does a
  // position outside the list (only reachable when playback started from there).
  if (songPosition < 0 || songPosition >= ORDER_LIST_SIZE - 1) {
    songPosition = 0;
  } else {
    songPosition += 1;
    if (songPosition == songLengthRows / ROWS_PER_PATTERN) songPosition = 0;
  }
  rowOffset = 0;
}

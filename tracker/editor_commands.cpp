// The editor's commands: song name and description entry, home, save and load, inserting and
// deleting song positions, and copying and pasting one channel's track of the shown pattern.
#include "host/input/input_device.h"
#include "host/input/key_codes.h"
#include "tracker/sound_engine.h"

namespace {

// Longest song name and instrument description the entries accept.
constexpr size_t kMaxNameLength = 32;
constexpr size_t kDescriptionLength = 21;

bool Clicked(float left, float right, float top, float bottom) {
  const float x = MouseX();
  const float y = MouseY();
  return MouseHitCount(0) != 0 && left < x && x < right && top < y && y < bottom;
}

// Backspace or Delete in a text entry.
bool EraseHit() {
  return KeyHitCount(KEY_BACKSPACE) != 0 || KeyHitCount(KEY_DELETE) != 0;
}

}  // namespace

bool IsDescriptionCharacter(int character) {
  static const String kAccepted = u"üäö abcdefghijklmnopqrstuvwxyz!-._()&+[]/1234567890";
  return character > 0 && character < 0x10000 &&
         kAccepted.find(static_cast<char16_t>(character)) != String::npos;
}

void c_SoundEngine::SongNameEntry() {
  if (Clicked(0, 380, 443, 457)) nameEntry = true;
  if (!nameEntry) return;
  // Typing a name never writes notes and never sounds.
  engineMode = MODE_STANDBY;
  StopAllChannels();
  const int ch = NextChar();
  if (ch > 31 && songFileName.size() < kMaxNameLength && IsDescriptionCharacter(ch)) {
    songFileName += static_cast<char16_t>(ch);
  }
  if (KeyHitCount(KEY_ENTER)) nameEntry = false;
  if (EraseHit() && !songFileName.empty()) songFileName.pop_back();
}

void c_SoundEngine::DescriptionEntry() {
  if (currentInstrument < 0 || currentInstrument >= INSTRUMENT_DESCRIPTION_COUNT) return;
  String& description = instrumentDescriptions[static_cast<size_t>(currentInstrument)];
  // The box's click area reaches past the window's right edge.
  if (Clicked(396, 776, 122, 136)) {
    description.clear();
    descriptionEntry = true;
  }
  if (!descriptionEntry) return;
  engineMode = MODE_STANDBY;
  StopAllChannels();
  const int ch = NextChar();
  if (ch > 31 && description.size() < kDescriptionLength && IsDescriptionCharacter(ch)) {
    description += static_cast<char16_t>(ch);
  }
  if (KeyHitCount(KEY_ENTER)) {
    // Song files store every description as a field of exactly 21 characters.
    description.resize(kDescriptionLength, u' ');
    descriptionEntry = false;
  }
  if (EraseHit()) description.clear();
}

void c_SoundEngine::FileCommands() {
  if (ButtonHit(570, 318, 1)) {  // "home"
    rowOffset = 0;
    songPosition = 0;
  }
  if (KeyHitCount(KEY_F11) || ButtonHit(441, 440, 1)) statusText = SaveSong(songFileName);
  if (KeyHitCount(KEY_F12) || ButtonHit(387, 440, 1)) {
    statusText = LoadSong();
    rowOffset = 0;
    songPosition = 0;
  }
}

void c_SoundEngine::PositionCommands() {
  if (songPosition < 0 || songPosition >= ORDER_LIST_SIZE) return;
  const size_t at = static_cast<size_t>(songPosition);
  if (KeyHitCount(KEY_INSERT)) {
    // The entries from the current position move one place on; the last one is lost.
    for (size_t k = ORDER_LIST_SIZE - 1; k > at; --k) orderList[k] = orderList[k - 1];
    orderList[at] = 0;
  }
  if (KeyHitCount(KEY_BACKSPACE)) {
    // The entries after the current position move one place back; the freed last entry is 0,
    // the value of a position that was never set.
    for (size_t k = at; k < ORDER_LIST_SIZE - 1; ++k) orderList[k] = orderList[k + 1];
    orderList[ORDER_LIST_SIZE - 1] = 0;
  }
}

void c_SoundEngine::TrackCommands() {
  const int c = (cursorColumn + 1) / 2;
  if (c < 1 || c > 4) return;
  const int base = patternBase + rowOffset;
  if (KeyHitCount(KEY_F9) || ButtonHit(516, 359, 1) || ButtonHit(570, 359, 1)) {
    clipNotes.clear();
    clipVolumes.clear();
    clipInstruments.clear();
    clipOctaves.clear();
    for (int k = 0; k < ROWS_PER_PATTERN; ++k) {
      clipNotes += CellAt(trackNotes[c], base + k);
      clipVolumes += CellAt(trackVolumes[c], base + k);
      clipInstruments += CellAt(trackInstruments[c], base + k);
      clipOctaves += CellAt(trackOctaves[c], base + k);
    }
  }
  if (KeyHitCount(KEY_F10) || ButtonHit(516, 379, 1) || ButtonHit(570, 379, 1)) {
    // Each cell is replaced by one character; with nothing copied nothing changes.
    for (int k = 0; k < ROWS_PER_PATTERN; ++k) {
      const size_t at = static_cast<size_t>(k);
      if (at < clipNotes.size()) WriteCell(trackNotes[c], base + k, clipNotes[at]);
      if (at < clipVolumes.size()) WriteCell(trackVolumes[c], base + k, clipVolumes[at]);
      if (at < clipInstruments.size()) {
        WriteCell(trackInstruments[c], base + k, clipInstruments[at]);
      }
      if (at < clipOctaves.size()) WriteCell(trackOctaves[c], base + k, clipOctaves[at]);
    }
  }
}

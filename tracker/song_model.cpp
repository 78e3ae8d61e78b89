#include "tracker/song_model.h"

String CellAt(const String& column, int index) {
  if (index < 0 || static_cast<size_t>(index) >= column.size()) return String();
  return String(1, column[static_cast<size_t>(index)]);
}

int NoteKeyCode(char16_t key) {
  switch (key) {
    case u'y': return 0;
    case u's': return 1;
    case u'x': return 2;
    case u'd': return 3;
    case u'c': return 4;
    case u'v': return 5;
    case u'g': return 6;
    case u'b': return 7;
    case u'h': return 8;
    case u'n': return 9;
    case u'j': return 10;
    case u'm': return 11;
    case u'q': return 12;
    case u'2': return 13;
    case u'w': return 14;
    case u'3': return 15;
    case u'e': return 16;
    case u'r': return 17;
    case u'5': return 18;
    case u't': return 19;
    case u'6': return 20;
    case u'z': return 21;
    case u'7': return 22;
    case u'u': return 23;
    case u'i': return 24;
    case u'9': return 25;
    case u'o': return 26;
    case u'0': return 27;
    case u'p': return 28;
    case u'+': return NOTE_SLIDE_DOWN;
    case u'<': return NOTE_OFF;
    case u'#': return NOTE_SLIDE_UP;
    case u'-': return NOTE_PATTERN_END;
    case u'.': return NOTE_EMPTY;
    default: return 0;
  }
}

int DecodeNoteCell(const String& column, int index) {
  const String cell = CellAt(column, index);
  return cell.empty() ? 0 : NoteKeyCode(cell[0]);
}

int HexCellValue(const String& column, int index) {
  const String cell = CellAt(column, index);
  if (cell.empty()) return 0;
  const char16_t c = cell[0];
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return 0;
}

int DecimalCellValue(const String& column, int index) {
  const String cell = CellAt(column, index);
  if (cell.empty()) return 0;
  const char16_t c = cell[0];
  return (c >= u'0' && c <= u'9') ? c - u'0' : 0;
}

void WriteCell(String& column, int index, char16_t character) {
  if (index < 0 || static_cast<size_t>(index) >= column.size()) return;
  column[static_cast<size_t>(index)] = character;
}

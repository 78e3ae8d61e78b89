// The song grid's cells and how their characters read as numbers. A column is a text of
// one-character cells (8192 of them: 256 patterns of 32 rows, index = pattern * 32 + row); a
// song file that ends early may leave a column shorter.
#pragma once

#include "runtime/text.h"

constexpr int ROWS_PER_PATTERN = 32;
constexpr int PATTERN_COUNT = 256;
constexpr int COLUMN_CELLS = ROWS_PER_PATTERN * PATTERN_COUNT;  // 8192
constexpr int ORDER_LIST_SIZE = 256;
constexpr int INSTRUMENT_TABLE_SIZE = 255;
constexpr int INSTRUMENT_DESCRIPTION_COUNT = 32;
constexpr int UNDO_SLOTS = 32;

// Note cell codes beyond the 29 piano keys (0-28).
constexpr int NOTE_SLIDE_DOWN = 127;  // "+"
constexpr int NOTE_OFF = 128;         // "<"
constexpr int NOTE_SLIDE_UP = 129;    // "#"
constexpr int NOTE_PATTERN_END = 130; // "-"
constexpr int NOTE_EMPTY = 255;       // "."

// The one-character text at index; empty text at or past the end of the column (or before its
// start).
String CellAt(const String& column, int index);

// The code of a note cell: the piano keys of a German keyboard give 0 to 28, the commands 127 to
// 130, "." 255, and anything else (an empty cell past the end included) 0.
int DecodeNoteCell(const String& column, int index);
int NoteKeyCode(char16_t key);  // the same for one character

// "0"-"9" give 0-9, "a"-"f" and "A"-"F" give 10-15, anything else 0.
int HexCellValue(const String& column, int index);

// The leading decimal digits of the cell as an integer; 0 when there are none.
int DecimalCellValue(const String& column, int index);

// Replaces the one character at index; a write at or past the end of the column (or before its
// start) does nothing, so a column never changes its length.
void WriteCell(String& column, int index, char16_t character);

// The tracker screen: every frame is painted from the tracker state, nothing is cached. All
// text is drawn with the tracker font on a grid of 11-pixel characters and 12-pixel lines.
#include "graphics/drawing.h"
#include "graphics/font.h"
#include "tracker/sound_engine.h"

namespace {

// Colours of the screen, red, green and blue on a 0-255 scale.
struct Rgb {
  float r, g, b;
};
constexpr Rgb kBackground{86, 60, 106};
constexpr Rgb kTopBar{38, 38, 38};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kPositionHighlight{71, 53, 85};
constexpr Rgb kText{148, 144, 164};
constexpr Rgb kGreyText{128, 128, 128};
constexpr Rgb kStatusText{171.6f, 37.2f, 104.4f};  // the cursor colour times 1.2
constexpr Rgb kCursorBar{82, 72, 74};
constexpr Rgb kCursor{143, 31, 87};
constexpr Rgb kBeatText{113.846f, 110.769f, 126.154f};  // the text colour divided by 1.3
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRestingLevel{81, 93, 149};

void Color(const Rgb& c) {
  SetDrawColor(c.r, c.g, c.b);
}

bool IsNoteKey(char16_t c) {
  static const String kKeys = u"ysxdcvgbhnjmq2w3er5t6z7ui9o0p";
  return kKeys.find(c) != String::npos;
}

// The note name of index n: letter, "#" or "-", octave digit ("C-0", "C#0", … "E-5").
String NoteIndexName(int n) {
  static const char16_t* const kNames[12] = {u"C-", u"C#", u"D-", u"D#", u"E-", u"F-",
                                             u"F#", u"G-", u"G#", u"A-", u"A#", u"B-"};
  String name = kNames[n % 12];
  name += static_cast<char16_t>(u'0' + n / 12);
  return name;
}

// The positions of the fourteen spinner images, in drawing order.
constexpr int kSpinnerImages[14][2] = {{561, 144}, {473, 360}, {561, 168}, {561, 180}, {561, 192},
                                       {561, 204}, {561, 228}, {593, 228}, {561, 240}, {561, 252},
                                       {561, 216}, {473, 372}, {473, 384}, {385, 12}};

// The five lines of the logo, block letters of "[" that spell the program's name.
const char16_t* const kLogo[5] = {u"[ [ [[[ [ [  [ ", u"[ [ [   [ [ [ [", u"[ [ [[[  [  [ [",
                                  u"[ [ [   [ [ [[[", u" [  [[[ [ [ [ ["};

}  // namespace

String HexByte(int value) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  const int low = value & 0xFF;
  return String{kDigits[low >> 4], kDigits[low & 15]};
}

String NoteCellName(const String& notes, int index, const String& octaves) {
  const String octave = CellAt(octaves, index);
  if (octave.empty() || octave[0] < u'0' || octave[0] > u'3') return String();
  const int o = octave[0] - u'0';
  String name;
  if (index < static_cast<int>(notes.size())) name = u"???";
  const String cell = CellAt(notes, index);
  if (cell.empty()) return name;
  const char16_t k = cell[0];
  if (k == u'<') return u"{|}";
  if (k == u'.') return u"---";
  if (IsNoteKey(k)) return NoteIndexName(NoteKeyCode(k) + 12 * o);
  if (k == u'+') return u"-dn";
  if (k == u'#') return u"-up";
  if (k == u'-') return u"End";
  return name;
}

void c_SoundEngine::DrawScreen() {
  // Background, top bar, pattern area, separator and the current position's highlight.
  Color(kBackground);
  FillRect(0, 0, 640, 475);
  Color(kTopBar);
  FillRect(2, 0, 640, 14);
  Color(kBlack);
  FillRect(2, 14, 380, 385);
  Color(kBackground);
  FillRect(303, 14, 2, 387);
  Color(kPositionHighlight);
  FillRect(305, 14, 77, 12);

  // Button captions.
  Color(kText);
  DrawString(u"load save", 391, 441);
  DrawString(engineMode == MODE_PLAYING ? u"stop home" : u"play home", 520, 323);
  DrawString(u"edit undo", 520, 343);
  DrawString(u"copytrack", 520, 363);
  DrawString(u"pastetrck", 520, 383);

  for (int line = 0; line < 5; ++line) DrawString(kLogo[line], 425, 40 + 12 * line);
  DrawString(u"Description:", 442, 106);

  // The description box and the song name box.
  Color(kBlack);
  FillRect(394, 122, 236, 18);
  FillRect(4, 440, 385, 18);

  const bool instrumentShown =
      currentInstrument >= 0 && currentInstrument < INSTRUMENT_DESCRIPTION_COUNT;
  const String description =
      instrumentShown ? instrumentDescriptions[static_cast<size_t>(currentInstrument)] : String();
  Color(kGreyText);
  DrawString(description, 396, 123);
  DrawString(u"POS CHN1  CHN2  CHN3  CHN4  POS ## Status: ", 0, -1);
  Color(kStatusText);
  DrawString(String(43, u' ') + statusText, 0, -1);

  // The instrument panel and the song values.
  const int i = currentInstrument;
  Color(kText);
  DrawString(u"  INSTRUMENT:" + HexByte(currentInstrument), 385, 144);
  DrawString(u" OCT:" + HexByte(editOctave), 385, 360);
  DrawString(u"         WAV:" + HexByte(InstrumentParam(i, 0)), 385, 168);
  DrawString(u"         PWM:" + HexByte(InstrumentParam(i, 1)), 385, 180);
  DrawString(u"         SWP:" + HexByte(InstrumentParam(i, 3) / 16), 385, 192);
  DrawString(u"         ENV:" + HexByte(InstrumentParam(i, 4)), 385, 204);
  DrawString(u"         E2P:" + HexByte(InstrumentParam(i, 2)), 385, 216);
  DrawString(u"         ARP:" + HexByte(InstrumentParam(i, 6) * 16 + InstrumentParam(i, 7)), 385,
             228);
  DrawString(u"         SPD:" + HexByte(InstrumentParam(i, 5)), 385, 240);
  DrawString(u"         AMT:" + HexByte(InstrumentParam(i, 3) % 16), 385, 252);
  DrawString(u" SPD:" + HexByte(songSpeed), 385, 372);
  DrawString(u" Len:" + HexByte(songLengthRows / 32), 385, 384);
  DrawString(u"Layout " + keyboardLayout, 520, 440);

  // The bar behind the cursor row, only while editing.
  Color(kCursorBar);
  if (engineMode == MODE_EDITING) FillRect(0, 12.0f * cursorRow + 2, 303, 12);

  // The cursor: after the song name, after the description, or over the pattern cell.
  Color(kCursor);
  if (nameEntry) {
    DrawString(u" [", 11.0f * songFileName.size(), 441);
  } else if (descriptionEntry) {
    DrawString(u" [", 385 + 11.0f * description.size(), 123);
  } else {
    DrawString(u" [", 33.0f * cursorColumn, 12.0f * cursorRow);
  }

  // The 32 pattern rows and, beside them, the position list with the current position on top.
  for (int row = 0; row < ROWS_PER_PATTERN; ++row) {
    const float y = 12.0f * (row + 1);
    const int r = patternBase + rowOffset + row;
    Color((r % 32) % 4 == 0 ? kBeatText : kText);
    String text = HexByte(r % 32) + u": ";
    for (int c = 1; c <= 4; ++c) {
      if (c > 1) text += u' ';
      text += NoteCellName(trackNotes[c], r, trackOctaves[c]) + CellAt(trackVolumes[c], r) +
              CellAt(trackInstruments[c], r);
    }
    DrawString(text, 0, y);

    // Positions past the end of the order list are left blank.
    Color(kText);
    const int position = songPosition + row;
    if (position >= 0 && position < ORDER_LIST_SIZE) {
      DrawString(u" " + HexByte(position) + u": " + HexByte(OrderAt(position)), 297, y);
    }
  }

  // The spinner images beside the values they adjust.
  Color(kWhite);
  if (buttonImage) {
    for (const auto& spinner : kSpinnerImages) {
      DrawImageFrame(*buttonImage, static_cast<float>(spinner[0]), static_cast<float>(spinner[1]),
                     0);
    }
  }

  // Channel switches under each channel's column, and the song name.
  Color(kText);
  String switches = u"    ";
  for (int c = 1; c <= 4; ++c) {
    if (c > 1) switches += u"  ";
    switches += channelEnabled[c] == 1.0f ? u"on  " : u"off ";
  }
  DrawString(switches, 0, 408);
  DrawString(u" " + songFileName, 0, 441);

  // Level bars: set to the row's volume while a note plays, falling 2 pixels a frame, resting
  // at 2 pixels.
  const int top = patternBase + rowOffset;
  for (int c = 1; c <= 4; ++c) {
    if (CellAt(trackNotes[c], top) != u"." && engineMode == MODE_PLAYING &&
        channelEnabled[c] != 0.0f) {
      vuLevel[c] = DecimalCellValue(trackVolumes[c], top) * 8;
    }
    const int old = vuLevel[c];
    vuLevel[c] = old - 2;
    if (vuLevel[c] <= 1) {
      vuLevel[c] = 2;
      Color(kRestingLevel);
    } else {
      SetDrawColor(static_cast<float>(old + 77), static_cast<float>(97 - old),
                   static_cast<float>(153 - old));
    }
    FillRect(407.0f + 22 * (c - 1), 348, 16, -static_cast<float>(vuLevel[c]));
  }
}

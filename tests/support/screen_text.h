// Reading the tracker's screen back as text, two ways:
//
// - from the calls a RecordingGraphics device recorded: every glyph of the tracker font
//   ("vumofont.png", 96 cells of 11 x 12 pixels for the codes 32 to 127) is one source rectangle
//   of the font's picture, and its source x gives its character;
// - from pixels read back from a real screen: every 11 x 12 cell is compared with the glyph
//   shapes of the font picture.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/support/recording_graphics.h"

constexpr int FONT_CELL_WIDTH = 11;
constexpr int FONT_CELL_HEIGHT = 12;
constexpr int FONT_FIRST_CODE = 32;
constexpr int FONT_CODE_COUNT = 96;
// What FontShapes reads from a cell that holds no glyph of the font (every printable ASCII
// character is one).
constexpr char UNREADABLE_CHARACTER = '\x1a';

// The character a glyph cut from the font picture at source x stands for.
char GlyphCharacter(int srcX);

// One thing painted in a recorded frame, with the drawing colour in effect when it was painted.
struct ScreenItem {
  enum Kind { kRect, kText, kImage } kind = kRect;
  float x = 0, y = 0, w = 0, h = 0;  // texts: position of the first glyph; images: no size
  float r = 0, g = 0, b = 0;
  std::string text;  // kText: one character per glyph
};

// Rectangles, texts and images of the recorded calls, in drawing order. Glyphs drawn from the
// font's surface on one line, each 11 pixels right of the one before, with no other call
// between them, make up one text. Characters the font has no glyph for (such as "ü") leave no
// trace. Calls before the first SetColorRGB have the colour 0, 0, 0.
std::vector<ScreenItem> ScreenItems(const std::vector<GraphicsCall>& calls,
                                    const gxtkSurface* fontSurface);

// Only the texts of ScreenItems.
std::vector<ScreenItem> ScreenTexts(const std::vector<GraphicsCall>& calls,
                                    const gxtkSurface* fontSurface);

// The text drawn with its first glyph at (x, y); nullptr when there is none (the last one when
// there are several).
const ScreenItem* TextAt(const std::vector<ScreenItem>& items, float x, float y);

// "rect 86,60,106 0,0,640,475", "text 148,144,164 391,441 load save", "image 255,255,255
// 561,144": one line per item, for comparing whole frames in tests.
std::string Describe(const ScreenItem& item);

// The glyph shapes of the tracker font, for reading text off screen pixels.
class FontShapes {
 public:
  // Loads the font picture (a pixel with alpha above 0 is ink). Ok() is false when it cannot.
  explicit FontShapes(const std::string& pngPath);
  bool Ok() const { return !shapes.empty(); }

  // Whether a screen pixel is ink (text colour rather than the background behind the text).
  using InkTest = std::function<bool(int x, int y)>;

  // The character whose glyph has exactly the ink of the cell with its top-left corner at
  // (x, y); UNREADABLE_CHARACTER when no glyph has that shape (a blank cell reads as a space).
  char CharacterAt(const InkTest& ink, int x, int y) const;
  // count characters from (x, y) on, 11 pixels apart.
  std::string TextAt(const InkTest& ink, int x, int y, int count) const;

 private:
  std::vector<std::vector<bool>> shapes;  // FONT_CODE_COUNT shapes of 11 x 12 pixels
};

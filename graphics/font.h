// Bitmap fonts: a page picture and a glyph per character code.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "graphics/image.h"
#include "runtime/text.h"

class c_Glyph {
 public:
  int page = 0;
  int code = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int advance = 0;
  int xOffset = 0;
  int yOffset = 0;
};

class c_Font {
 public:
  std::vector<std::shared_ptr<c_Image>> pages;
  int pageCount = 0;
  int firstChar = 0;
  float lineHeight = 0;
  std::map<int, c_Glyph> glyphs;

  const c_Glyph* Glyph(int code) const;
};

// A font of 96 equal cells for codes 32-127 in one picture; with crop every cell loses a
// one-pixel border. None when the picture cannot be loaded or is too narrow for 96 cells.
std::shared_ptr<c_Font> LoadCellFont(const String& path, bool crop);

// Selects the current font; none selects the default font, loading "vumo_font.png" first.
void SetDrawFont(std::shared_ptr<c_Font> font);
std::shared_ptr<c_Font> GetDrawFont();

// Width of the text in the current font (code units without a glyph add nothing).
float StringWidth(const String& text);

// Draws one line; alignX/alignY 0 = left/top, 0.5 = centred, 1 = right/bottom.
void DrawString(const String& text, float x, float y, float alignX = 0, float alignY = 0);

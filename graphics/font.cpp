#include "graphics/font.h"

#include "graphics/drawing.h"

namespace {

constexpr int CELL_FONT_FIRST = 32;
constexpr int CELL_FONT_COUNT = 96;

}  // namespace

const c_Glyph* c_Font::Glyph(int code) const {
  auto it = glyphs.find(code);
  return it == glyphs.end() ? nullptr : &it->second;
}

std::shared_ptr<c_Font> LoadCellFont(const String& path, bool crop) {
  std::shared_ptr<c_Image> image = LoadImageResource(path, defaultImageFlags);
  if (!image) return nullptr;
  const int cellWidth = image->width / CELL_FONT_COUNT;
  // A picture narrower than one pixel per cell (or with cells too small for the crop) holds
  // no font.
  const int c = crop ? 1 : 0;
  const int glyphWidth = cellWidth - 2 * c;
  const int glyphHeight = image->height - 2 * c;
  if (cellWidth <= 0 || glyphWidth <= 0 || glyphHeight <= 0) return nullptr;
  const int columns = image->width / cellWidth;
  const int cellHeight = image->height;

  auto font = std::make_shared<c_Font>();
  for (int i = 0; i < CELL_FONT_COUNT; ++i) {
    c_Glyph glyph;
    glyph.page = 0;
    glyph.code = CELL_FONT_FIRST + i;
    glyph.x = c + cellWidth * (i % columns);
    glyph.y = c + cellHeight * (i / columns);
    glyph.width = glyphWidth;
    glyph.height = glyphHeight;
    glyph.advance = glyphWidth;
    font->glyphs.emplace(glyph.code, glyph);  // a code already present keeps its first glyph
  }
  font->pages.push_back(image);
  font->pageCount = 1;
  font->firstChar = CELL_FONT_FIRST;
  font->lineHeight = static_cast<float>(glyphHeight);
  return font;
}

void SetDrawFont(std::shared_ptr<c_Font> font) {
  c_GraphicsContext& context = GraphicsContext();
  if (!font) {
    if (!context.defaultFont) context.defaultFont = LoadCellFont(u"vumo_font.png", true);
    font = context.defaultFont;
  }
  context.font = std::move(font);
}

std::shared_ptr<c_Font> GetDrawFont() {
  return GraphicsContext().font;
}

namespace {

float TextWidth(const c_Font& font, const String& text) {
  float width = 0;
  for (char16_t unit : text) {
    if (const c_Glyph* glyph = font.Glyph(unit)) width += static_cast<float>(glyph->advance);
  }
  return width;
}

}  // namespace

float StringWidth(const String& text) {
  const c_Font* font = GraphicsContext().font.get();
  return font ? TextWidth(*font, text) : 0.0f;
}

void DrawString(const String& text, float x, float y, float alignX, float alignY) {
  const c_Font* font = GraphicsContext().font.get();
  gxtkGraphics* device = RenderDevice();
  if (!font || !device) return;
  // Left-aligned text (the common case) needs no measuring.
  const float width = alignX != 0 ? TextWidth(*font, text) : 0.0f;
  int penX = static_cast<int>(x - width * alignX);
  const int penY = static_cast<int>(y - font->lineHeight * alignY);
  for (char16_t unit : text) {
    const c_Glyph* glyph = font->Glyph(unit);
    if (!glyph) continue;
    if (glyph->page < 0 || glyph->page >= static_cast<int>(font->pages.size())) continue;
    const c_Image* page = font->pages[static_cast<size_t>(glyph->page)].get();
    if (!page || !page->surface || page->frames.empty()) continue;
    const c_Frame& frame = page->frames[0];
    FlushDrawMatrix();
    device->EmitSurfaceRect(page->surface.get(),
                            static_cast<float>(penX + glyph->xOffset) - page->handleX,
                            static_cast<float>(penY + glyph->yOffset) - page->handleY,
                            glyph->x + frame.x, glyph->y + frame.y, glyph->width, glyph->height);
    penX += glyph->advance;
  }
}

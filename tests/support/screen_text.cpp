#include "tests/support/screen_text.h"

#include <stb_image.h>

#include <cstdio>

char GlyphCharacter(int srcX) {
  return static_cast<char>(FONT_FIRST_CODE + srcX / FONT_CELL_WIDTH);
}

std::vector<ScreenItem> ScreenItems(const std::vector<GraphicsCall>& calls,
                                    const gxtkSurface* fontSurface) {
  std::vector<ScreenItem> items;
  float r = 0, g = 0, b = 0;
  // Whether the last item is a text that the next glyph may continue.
  bool textOpen = false;
  for (const GraphicsCall& call : calls) {
    switch (call.op) {
      case GraphicsOp::Color:
        r = call.x;
        g = call.y;
        b = call.w;
        textOpen = false;
        break;
      case GraphicsOp::Rect: {
        ScreenItem item;
        item.kind = ScreenItem::kRect;
        item.x = call.x;
        item.y = call.y;
        item.w = call.w;
        item.h = call.h;
        item.r = r;
        item.g = g;
        item.b = b;
        items.push_back(item);
        textOpen = false;
        break;
      }
      case GraphicsOp::SurfaceRect:
      case GraphicsOp::Surface: {
        const bool glyph = call.op == GraphicsOp::SurfaceRect && call.surface == fontSurface;
        if (glyph && textOpen) {
          ScreenItem& text = items.back();
          const float nextX = text.x + FONT_CELL_WIDTH * static_cast<float>(text.text.size());
          if (call.y == text.y && call.x == nextX) {
            text.text += GlyphCharacter(call.srcX);
            break;
          }
        }
        ScreenItem item;
        item.kind = glyph ? ScreenItem::kText : ScreenItem::kImage;
        item.x = call.x;
        item.y = call.y;
        item.r = r;
        item.g = g;
        item.b = b;
        if (glyph) item.text = std::string(1, GlyphCharacter(call.srcX));
        items.push_back(item);
        textOpen = glyph;
        break;
      }
      case GraphicsOp::Transform:
        // The drawing API hands its matrix over before the first shape of a frame; it does not
        // interrupt a text.
        break;
      default:
        textOpen = false;
        break;
    }
  }
  return items;
}

std::vector<ScreenItem> ScreenTexts(const std::vector<GraphicsCall>& calls,
                                    const gxtkSurface* fontSurface) {
  std::vector<ScreenItem> texts;
  for (const ScreenItem& item : ScreenItems(calls, fontSurface)) {
    if (item.kind == ScreenItem::kText) texts.push_back(item);
  }
  return texts;
}

const ScreenItem* TextAt(const std::vector<ScreenItem>& items, float x, float y) {
  const ScreenItem* found = nullptr;
  for (const ScreenItem& item : items) {
    if (item.kind == ScreenItem::kText && item.x == x && item.y == y) found = &item;
  }
  return found;
}

std::string Describe(const ScreenItem& item) {
  char line[256];
  switch (item.kind) {
    case ScreenItem::kRect:
      std::snprintf(line, sizeof line, "rect %g,%g,%g %g,%g,%g,%g", item.r, item.g, item.b, item.x,
                    item.y, item.w, item.h);
      return line;
    case ScreenItem::kText:
      std::snprintf(line, sizeof line, "text %g,%g,%g %g,%g ", item.r, item.g, item.b, item.x,
                    item.y);
      return line + item.text;
    case ScreenItem::kImage:
      std::snprintf(line, sizeof line, "image %g,%g,%g %g,%g", item.r, item.g, item.b, item.x,
                    item.y);
      return line;
  }
  return std::string();
}

FontShapes::FontShapes(const std::string& pngPath) {
  int width = 0, height = 0, depth = 0;
  unsigned char* pixels = stbi_load(pngPath.c_str(), &width, &height, &depth, 4);
  if (!pixels) return;
  if (width >= FONT_CODE_COUNT * FONT_CELL_WIDTH && height >= FONT_CELL_HEIGHT) {
    for (int code = 0; code < FONT_CODE_COUNT; ++code) {
      std::vector<bool> shape(FONT_CELL_WIDTH * FONT_CELL_HEIGHT);
      for (int y = 0; y < FONT_CELL_HEIGHT; ++y) {
        for (int x = 0; x < FONT_CELL_WIDTH; ++x) {
          const size_t at = (static_cast<size_t>(y) * width + code * FONT_CELL_WIDTH + x) * 4;
          shape[static_cast<size_t>(y * FONT_CELL_WIDTH + x)] = pixels[at + 3] > 0;
        }
      }
      shapes.push_back(shape);
    }
  }
  stbi_image_free(pixels);
}

char FontShapes::CharacterAt(const InkTest& ink, int x, int y) const {
  std::vector<bool> cell(FONT_CELL_WIDTH * FONT_CELL_HEIGHT);
  for (int py = 0; py < FONT_CELL_HEIGHT; ++py) {
    for (int px = 0; px < FONT_CELL_WIDTH; ++px) {
      cell[static_cast<size_t>(py * FONT_CELL_WIDTH + px)] = ink(x + px, y + py);
    }
  }
  for (size_t code = 0; code < shapes.size(); ++code) {
    if (shapes[code] == cell) return static_cast<char>(FONT_FIRST_CODE + code);
  }
  return UNREADABLE_CHARACTER;
}

std::string FontShapes::TextAt(const InkTest& ink, int x, int y, int count) const {
  std::string text;
  for (int i = 0; i < count; ++i) text += CharacterAt(ink, x + FONT_CELL_WIDTH * i, y);
  return text;
}

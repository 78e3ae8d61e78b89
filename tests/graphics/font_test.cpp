#include "graphics/font.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <string>
#include <vector>

#include "graphics/drawing.h"
#include "tests/graphics/gl_test.h"

namespace {

// A font picture as decoded from the data folder, RGBA.
struct FontPicture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgba;
  int Alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
};

FontPicture ReadFontPicture(const std::string& name) {
  FontPicture picture;
  int depth = 0;
  unsigned char* pixels =
      stbi_load(DataFile(name).c_str(), &picture.width, &picture.height, &depth, 4);
  if (!pixels) return picture;
  picture.rgba.assign(pixels, pixels + static_cast<size_t>(picture.width) * picture.height * 4);
  stbi_image_free(pixels);
  return picture;
}

using FontTest = GlTest;

TEST_F(FontTest, CellFontsMapCodesToCellsWithAndWithoutCrop) {
  struct Case {
    const char16_t* file;
    bool crop;
    int glyphWidth, glyphHeight, xOfA, yOfA;
  };
  // "A" (65) is glyph 33.
  for (const Case& c : {Case{u"vumofont.png", false, 11, 12, 33 * 11, 0},
                        Case{u"vumo_font.png", true, 8, 10, 1 + 33 * 10, 1}}) {
    std::shared_ptr<c_Font> font = LoadCellFont(c.file, c.crop);
    ASSERT_NE(font, nullptr);
    SCOPED_TRACE(c.crop);
    EXPECT_EQ(font->glyphs.size(), 96u);
    EXPECT_EQ(font->Glyph(31), nullptr);
    EXPECT_EQ(font->Glyph(128), nullptr);
    ASSERT_NE(font->Glyph(65), nullptr);
    const c_Glyph& a = *font->Glyph(65);
    EXPECT_EQ(a.x, c.xOfA);
    EXPECT_EQ(a.y, c.yOfA);
    EXPECT_EQ(a.width, c.glyphWidth);
    EXPECT_EQ(a.height, c.glyphHeight);
    EXPECT_EQ(a.advance, c.glyphWidth);
    EXPECT_EQ(font->Glyph(127)->x, c.xOfA + 62 * (c.glyphWidth + (c.crop ? 2 : 0)));
    EXPECT_EQ(font->lineHeight, c.glyphHeight);
    EXPECT_EQ(font->pageCount, 1);
    EXPECT_EQ(font->firstChar, 32);
  }
}

TEST_F(FontTest, PicturesTooSmallForTheirCellsGiveNoFont) {
  struct Case {
    int width, height;
    bool crop;
    bool loads;
  };
  TempFolder folder;
  const Case cases[] = {
      {95, 12, false, false},                         // narrower than one pixel a cell
      {95, 12, true, false},  {96, 12, true, false},  // cells of 1 leave nothing after the crop
      {192, 12, true, false}, {192, 2, true, false}, {192, 2, false, true}, {960, 12, true, true},
  };
  for (const Case& c : cases) {
    const std::string name =
        folder.File(std::to_string(c.width) + "x" + std::to_string(c.height) + ".png");
    WritePng(name, c.width, c.height,
             std::vector<uint32_t>(static_cast<size_t>(c.width) * c.height, 0xFFFFFFFFu));
    EXPECT_EQ(LoadCellFont(FromLatin1(name), c.crop) != nullptr, c.loads)
        << c.width << " x " << c.height << (c.crop ? " cropped" : "");
  }
  EXPECT_EQ(LoadCellFont(FromLatin1(folder.File("missing.png")), false), nullptr);
}

TEST_F(FontTest, DefaultFontIsLoadedOnceAndSelectedByNone) {
  EXPECT_EQ(GetDrawFont(), nullptr);
  SetDrawFont(nullptr);
  std::shared_ptr<c_Font> first = GetDrawFont();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->lineHeight, 10);  // the default font is the cropped one
  EXPECT_EQ(GraphicsContext().defaultFont, first);

  std::shared_ptr<c_Font> tracker = LoadCellFont(u"vumofont.png", false);
  SetDrawFont(tracker);
  EXPECT_EQ(GetDrawFont(), tracker);
  EXPECT_EQ(StringWidth(u"AB"), 22);
  EXPECT_EQ(StringWidth(u"A\u00e9B"), 22);  // no glyph, no width
  EXPECT_EQ(StringWidth(u""), 0);
  SetDrawFont(nullptr);
  EXPECT_EQ(GetDrawFont(), first);
  EXPECT_EQ(StringWidth(u"AB"), 16);
}

// Draws text and compares a region around it with the glyph pixels of the font picture,
// tinted by the draw colour over black.
TEST_F(FontTest, DrawStringPlacesGlyphsByAlignmentAndSkipsMissingCodes) {
  struct Case {
    const char16_t* file;
    bool crop;
    String text;
    float x, y, alignX, alignY;
    int penX, penY;  // where the first glyph's top-left corner must land
    Rgb color;
  };
  const Rgb white{255, 255, 255};
  const Rgb text{148, 144, 164};
  const Case cases[] = {
      {u"vumofont.png", false, u"AB", 100, 50, 0, 0, 100, 50, white},
      {u"vumofont.png", false, u"AB", 100, 50, 0.5f, 0, 89, 50, text},
      {u"vumofont.png", false, u"AB", 100, 50, 1, 1, 78, 38, white},
      {u"vumofont.png", false, u"AB", 100.9f, 50.9f, 0, 0.5f, 100, 44, white},
      {u"vumofont.png", false, u"A\u00e9B", 100, 50, 0.5f, 0, 89, 50, white},
      {u"vumofont.png", false, u"g[", 300, 300, 0, 0, 300, 300, {143, 31, 87}},
      {u"vumo_font.png", true, u"AB", 100, 50, 0, 0, 100, 50, white},
      {u"vumo_font.png", true, u"A\u00e9B", 100, 50, 0.5f, 1, 92, 40, {255, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.text.begin(), c.text.end()) << " at " << c.x
                                    << "," << c.y << " align " << c.alignX << "," << c.alignY);
    const FontPicture picture = ReadFontPicture(ToLatin1(c.file));
    ASSERT_FALSE(picture.rgba.empty());
    std::shared_ptr<c_Font> font = LoadCellFont(c.file, c.crop);
    ASSERT_NE(font, nullptr);
    SetDrawFont(font);

    device->BeginFrame();
    BeginDrawing();
    ClearScreen(0, 0, 0);
    SetDrawColor(static_cast<float>(c.color.r), static_cast<float>(c.color.g),
                 static_cast<float>(c.color.b));
    DrawString(c.text, c.x, c.y, c.alignX, c.alignY);
    EndDrawing();
    EndFrame();

    // The expected picture: every drawable code's glyph side by side from the pen.
    const int margin = 3;
    const int glyphW = font->Glyph(65)->width;
    const int glyphH = font->Glyph(65)->height;
    int drawn = 0;
    for (char16_t unit : c.text) drawn += font->Glyph(unit) ? 1 : 0;
    const int w = drawn * glyphW + 2 * margin;
    const int h = glyphH + 2 * margin;
    std::vector<Rgb> expected(static_cast<size_t>(w) * h);
    int slot = 0;
    for (char16_t unit : c.text) {
      const c_Glyph* glyph = font->Glyph(unit);
      if (!glyph) continue;
      for (int gy = 0; gy < glyphH; ++gy) {
        for (int gx = 0; gx < glyphW; ++gx) {
          const int alpha = picture.Alpha(glyph->x + gx, glyph->y + gy);
          ASSERT_TRUE(alpha == 0 || alpha == 255);
          const size_t at = static_cast<size_t>(margin + gy) * w + margin + slot * glyphW + gx;
          expected[at] = alpha ? c.color : Rgb{0, 0, 0};
        }
      }
      ++slot;
    }
    const std::vector<Rgb> actual = Region(c.penX - margin, c.penY - margin, w, h);
    int wrong = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
      if (actual[i] != expected[i] && wrong++ < 5) {
        ADD_FAILURE() << "pixel " << (c.penX - margin + static_cast<int>(i % w)) << ","
                      << (c.penY - margin + static_cast<int>(i / w)) << " is " << actual[i]
                      << ", expected " << expected[i];
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST_F(FontTest, WithoutAFontTextDrawsNothing) {
  ASSERT_EQ(GetDrawFont(), nullptr);
  device->BeginFrame();
  BeginDrawing();
  ClearScreen(0, 0, 0);
  DrawString(u"Hello", 10, 10);
  EndDrawing();
  EndFrame();
  EXPECT_EQ(device->FrameStats().flushedVertices, 0);
  EXPECT_EQ(StringWidth(u"Hello"), 0);
  EXPECT_EQ(Pixel(12, 15), (Rgb{0, 0, 0}));
}

}  // namespace

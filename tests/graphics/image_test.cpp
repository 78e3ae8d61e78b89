#include "graphics/image.h"

#include <gtest/gtest.h>

#include "graphics/drawing.h"
#include "tests/graphics/gl_test.h"

namespace {

using ImageTest = GlTest;

TEST_F(ImageTest, LoadsFromTheDataFolderByBareName) {
  std::shared_ptr<c_Image> image = LoadImageResource(u"button1.png", defaultImageFlags);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 32);
  EXPECT_EQ(image->height, image->surface->GetHeight());
  ASSERT_EQ(image->frames.size(), 1u);
  EXPECT_EQ(image->flags, IMAGE_WHOLE_SURFACE);
  EXPECT_EQ(LoadImageResource(u"no-such-picture.png", 0), nullptr);
}

TEST_F(ImageTest, FlagsSetSizeFrameAndHandle) {
  struct Case {
    int flags;
    int width, height, frameX, frameY;
    float handleX, handleY;
    int storedFlags;
  };
  TempFolder folder;
  WritePng(folder.File("block.png"), 32, 16, std::vector<uint32_t>(32 * 16, 0xFFFFFFFFu));
  const Case cases[] = {
      {0, 32, 16, 0, 0, 0, 0, IMAGE_WHOLE_SURFACE},
      {IMAGE_MID_HANDLE, 32, 16, 0, 0, 16, 8, IMAGE_WHOLE_SURFACE},
      {IMAGE_X_PADDING, 30, 16, 1, 0, 0, 0, IMAGE_X_PADDING},
      {IMAGE_Y_PADDING, 32, 14, 0, 1, 0, 0, IMAGE_Y_PADDING},
      {IMAGE_X_PADDING | IMAGE_Y_PADDING | IMAGE_MID_HANDLE, 30, 14, 1, 1, 15, 7,
       IMAGE_X_PADDING | IMAGE_Y_PADDING},
  };
  for (const Case& c : cases) {
    std::shared_ptr<c_Image> image =
        LoadImageResource(FromLatin1(folder.File("block.png")), c.flags);
    ASSERT_NE(image, nullptr);
    SCOPED_TRACE(c.flags);
    EXPECT_EQ(image->width, c.width);
    EXPECT_EQ(image->height, c.height);
    EXPECT_EQ(image->frames[0].x, c.frameX);
    EXPECT_EQ(image->frames[0].y, c.frameY);
    EXPECT_EQ(image->handleX, c.handleX);
    EXPECT_EQ(image->handleY, c.handleY);
    EXPECT_EQ(image->flags, c.storedFlags);
  }
}

TEST_F(ImageTest, DrawImageFramePlacesTheHandleAndSkipsThePadding) {
  // 12 x 8: a one-pixel green border around red.
  std::vector<uint32_t> pixels(12 * 8, 0xFF0000FFu);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) {
      if (x == 0 || y == 0 || x == 11 || y == 7) pixels[y * 12 + x] = 0x00FF00FFu;
    }
  }
  TempFolder folder;
  WritePng(folder.File("framed.png"), 12, 8, pixels);
  const String path = FromLatin1(folder.File("framed.png"));
  std::shared_ptr<c_Image> centred = LoadImageResource(path, IMAGE_MID_HANDLE);
  std::shared_ptr<c_Image> padded =
      LoadImageResource(path, IMAGE_X_PADDING | IMAGE_Y_PADDING | IMAGE_MID_HANDLE);
  ASSERT_NE(centred, nullptr);
  ASSERT_NE(padded, nullptr);

  device->BeginFrame();
  BeginDrawing();
  ClearScreen(0, 0, 0);
  DrawImageFrame(*centred, 100, 100, 0);
  DrawImageFrame(*padded, 200, 100, 0);
  EndDrawing();
  EndFrame();

  const Rgb green{0, 255, 0};
  const Rgb red{255, 0, 0};
  const Rgb black{0, 0, 0};
  // Centred on (100, 100): x 94 to 105, y 96 to 103.
  EXPECT_EQ(Pixel(94, 96), green);
  EXPECT_EQ(Pixel(105, 103), green);
  EXPECT_EQ(Pixel(95, 97), red);
  EXPECT_EQ(Pixel(93, 96), black);
  EXPECT_EQ(Pixel(106, 103), black);
  // Padded: only the 10 x 6 red inside, centred on (200, 100).
  EXPECT_EQ(Pixel(195, 97), red);
  EXPECT_EQ(Pixel(204, 102), red);
  EXPECT_EQ(Pixel(194, 97), black);
  EXPECT_EQ(Pixel(205, 102), black);
  EXPECT_EQ(Pixel(195, 96), black);
}

}  // namespace

#include "graphics/drawing.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "graphics/font.h"
#include "graphics/image.h"
#include "tests/graphics/gl_test.h"

namespace {

// A device that writes down the calls the drawing API makes, without any GL.
class RecordingDevice : public gxtkGraphics {
 public:
  RecordingDevice() : gxtkGraphics(640, 475) {}

  std::vector<std::string> calls;

  int SetColorRGB(float r, float g, float b) override { return Log("color", {r, g, b}); }
  int SetAlphaLevel(float a) override { return Log("alpha", {a}); }
  int SetBlendMode(int mode) override { return Log("blend", {static_cast<float>(mode)}); }
  int SetScissorRect(int x, int y, int w, int h) override {
    return Log("scissor", {static_cast<float>(x), static_cast<float>(y), static_cast<float>(w),
                           static_cast<float>(h)});
  }
  int SetTransformMatrix(float ix, float iy, float jx, float jy, float tx, float ty) override {
    return Log("matrix", {ix, iy, jx, jy, tx, ty});
  }
  int ClearTarget(float r, float g, float b) override { return Log("clear", {r, g, b}); }
  int EmitRect(float x, float y, float w, float h) override { return Log("rect", {x, y, w, h}); }
  int EmitSurface(gxtkSurface*, float x, float y) override { return Log("surface", {x, y}); }
  int EmitSurfaceRect(gxtkSurface*, float x, float y, int sx, int sy, int sw, int sh) override {
    return Log("surfaceRect", {x, y, static_cast<float>(sx), static_cast<float>(sy),
                               static_cast<float>(sw), static_cast<float>(sh)});
  }

 private:
  int Log(const char* name, std::initializer_list<float> values) {
    std::ostringstream line;
    line << name;
    for (float v : values) line << " " << v;
    calls.push_back(line.str());
    return 0;
  }
};

class DrawingApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallGraphicsDevice(&device);
    SetCanvasSize(640, 475);
  }
  void TearDown() override {
    EndDrawing();
    InstallGraphicsDevice(nullptr);
    GraphicsContext().font = nullptr;
  }
  RecordingDevice device;
};

TEST_F(DrawingApiTest, BeginDrawingResetsTheStateAndTheMatrixReachesTheDeviceOnce) {
  BeginDrawing();
  SetDrawColor(10, 20, 30);
  SetDrawAlpha(0.25f);
  SetDrawBlend(1);
  SetDrawClip(1, 2, 3, 4);
  EndDrawing();
  device.calls.clear();

  BeginDrawing();
  FillRect(1, 2, 3, 4);
  FillRect(5, 6, 7, 8);
  EndDrawing();
  const std::vector<std::string> expected = {
      "color 255 255 255",  "alpha 1",      "blend 0",      "scissor 0 0 640 475",
      "matrix 1 0 0 1 0 0", "rect 1 2 3 4", "rect 5 6 7 8",
  };
  EXPECT_EQ(device.calls, expected);
  const c_GraphicsContext& context = GraphicsContext();
  EXPECT_EQ(context.colorRed, 255);
  EXPECT_EQ(context.alpha, 1);
  EXPECT_EQ(context.blendMode, 0);
  EXPECT_EQ(context.clipWidth, 640);
  EXPECT_EQ(context.matrixDirty, 0);
}

TEST_F(DrawingApiTest, SettersStoreAndForwardTheirValues) {
  BeginDrawing();
  device.calls.clear();
  SetDrawClip(10.7f, 20.2f, 100.9f, 50.5f);
  SetDrawColor(171.6f, 37.2f, 104.4f);
  ClearScreen(1, 2, 3);
  EXPECT_EQ(device.calls, (std::vector<std::string>{"scissor 10 20 100 50",
                                                    "color 171.6 37.2 104.4", "clear 1 2 3"}));
  const c_GraphicsContext& context = GraphicsContext();
  EXPECT_FLOAT_EQ(context.clipX, 10.7f);
  EXPECT_FLOAT_EQ(context.clipHeight, 50.5f);
  EXPECT_FLOAT_EQ(context.colorRed, 171.6f);  // clearing does not change the draw colour
}

TEST_F(DrawingApiTest, OutsideAFrameNothingIsDrawn) {
  auto image = std::make_shared<c_Image>();
  image->surface = std::make_shared<gxtkSurface>();
  image->frames.emplace_back(0, 0);
  auto font = std::make_shared<c_Font>();
  font->pages.push_back(image);
  font->glyphs[65] = c_Glyph{0, 65, 0, 0, 1, 1, 1, 0, 0};
  SetDrawFont(font);

  EXPECT_EQ(RenderDevice(), nullptr);
  FillRect(0, 0, 10, 10);
  DrawImageFrame(*image, 0, 0, 0);
  DrawString(u"A", 0, 0);
  SetDrawColor(1, 2, 3);
  EXPECT_TRUE(device.calls.empty());
  EXPECT_EQ(GraphicsContext().colorGreen, 2);

  // Inside a frame, a frame number the image does not have draws nothing either.
  BeginDrawing();
  device.calls.clear();
  DrawImageFrame(*image, 0, 0, 1);
  DrawImageFrame(*image, 0, 0, -1);
  EXPECT_TRUE(device.calls.empty());
  DrawString(u"A", 0, 0);
  EXPECT_EQ(device.calls.size(), 2u);  // the matrix, then the glyph
}

using DrawingFrameTest = GlTest;

TEST_F(DrawingFrameTest, EveryFrameStartsWhiteOpaqueBlendedAndUnclipped) {
  device->BeginFrame();
  BeginDrawing();
  SetDrawColor(255, 0, 0);
  SetDrawAlpha(0.5f);
  SetDrawBlend(1);
  SetDrawClip(10, 10, 5, 5);
  EndDrawing();
  EndFrame();

  device->BeginFrame();
  BeginDrawing();
  ClearScreen(0, 0, 0);
  FillRect(0, 0, 640, 475);
  EndDrawing();
  EndFrame();
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
  EXPECT_EQ(Pixel(0, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(Pixel(639, 474), (Rgb{255, 255, 255}));
}

}  // namespace

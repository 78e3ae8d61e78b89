#include "graphics/renderer.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "graphics/drawing.h"
#include "host/game.h"
#include "tests/graphics/gl_test.h"

namespace {

const Rgb kBlack{0, 0, 0};

// Reads the device's packed colour without any GL.
class ColourProbe : public gxtkGraphics {
 public:
  ColourProbe() : gxtkGraphics(640, 475) {}
  uint32_t Packed() const { return packedColor; }
};

// A surface of width x height RGBA pixels given as 0xRRGGBBAA, top row first.
std::shared_ptr<gxtkSurface> MakeSurface(int width, int height,
                                         const std::vector<uint32_t>& pixels) {
  std::vector<unsigned char> bytes;
  for (uint32_t p : pixels) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back((p >> shift) & 255);
  }
  auto surface = std::make_shared<gxtkSurface>();
  surface->AdoptPixels(std::move(bytes), width, height, 4);
  surface->EnsureTexture();
  return surface;
}

bool Near(const Rgb& a, const Rgb& b) {
  return std::abs(a.r - b.r) <= 1 && std::abs(a.g - b.g) <= 1 && std::abs(a.b - b.b) <= 1;
}

using RendererTest = GlTest;

TEST_F(RendererTest, FilledRectangleCoversExactlyItsPixelsInItsColour) {
  BeginFrame();
  device->SetColorRGB(255, 128, 0);
  device->SetAlphaLevel(1);
  device->EmitRect(10, 20, 30, 40);
  EndFrame();

  const Rgb orange{255, 128, 0};
  for (const auto& corner : {std::pair{10, 20}, {39, 20}, {10, 59}, {39, 59}}) {
    EXPECT_EQ(Pixel(corner.first, corner.second), orange) << corner.first << "," << corner.second;
  }
  for (const auto& outside : {std::pair{9, 20}, {40, 20}, {10, 19}, {10, 60}, {40, 60}}) {
    EXPECT_EQ(Pixel(outside.first, outside.second), kBlack)
        << outside.first << "," << outside.second;
  }
  EXPECT_EQ(device->FrameStats().drawCalls, 1);
  EXPECT_EQ(device->FrameStats().flushedVertices, 4);
}

TEST_F(RendererTest, BlendModesCombineThePremultipliedColourWithTheBackground) {
  struct Case {
    int mode;
    Rgb expected;
  };
  // Colour (255, 128, 0) at alpha 0.5 packs to (127, 64, 0, 127). Over (0, 0, 200): alpha
  // blending keeps 128/255 of the background, additive keeps all of it.
  for (const Case& c : {Case{0, {127, 64, 100}}, Case{1, {127, 64, 200}}}) {
    BeginFrame(0, 0, 200);
    device->SetBlendMode(c.mode);
    device->SetColorRGB(255, 128, 0);
    device->SetAlphaLevel(0.5f);
    device->EmitRect(0, 0, 20, 20);
    EndFrame();
    EXPECT_TRUE(Near(Pixel(10, 10), c.expected)) << "mode " << c.mode << ": " << Pixel(10, 10);
    EXPECT_EQ(Pixel(30, 30), (Rgb{0, 0, 200}));
  }
}

TEST(RendererColour, PacksPremultipliedTruncatedBytes) {
  struct Case {
    float r, g, b, a;
    unsigned char bytes[4];  // R, G, B, A as they lie in memory
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Case cases[] = {
      {255, 128, 0, 0.5f, {127, 64, 0, 127}},
      {255, 255, 255, 1, {255, 255, 255, 255}},
      {171.6f, 37.2f, 104.4f, 1, {171, 37, 104, 255}},
      {10, 20, 30, 0, {0, 0, 0, 0}},
      // Out of range values stay within their own byte.
      {300, -5, nan, 1, {255, 0, 0, 255}},
      {100, 100, 100, 2, {200, 200, 200, 255}},
  };
  for (const Case& c : cases) {
    ColourProbe probe;
    probe.SetColorRGB(c.r, c.g, c.b);
    probe.SetAlphaLevel(c.a);
    const uint32_t packed = probe.Packed();
    unsigned char bytes[4];
    std::memcpy(bytes, &packed, 4);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(bytes[i], c.bytes[i])
          << "colour " << c.r << "," << c.g << "," << c.b << " alpha " << c.a << " byte " << i;
    }
  }
}

TEST_F(RendererTest, BatchesFlushOnlyOnOverflowOrTextureChange) {
  auto surface = MakeSurface(2, 2, std::vector<uint32_t>(4, 0x00FF00FFu));

  // 300 rectangles: 256 quads fill the batch, the other 44 make the second draw call.
  BeginFrame();
  for (int i = 0; i < 300; ++i) {
    device->SetColorRGB(static_cast<float>(i % 256), 0, 255);  // colour changes never flush
    device->EmitRect(static_cast<float>(i % 30) * 2, static_cast<float>(i / 30) * 2, 2, 2);
  }
  EndFrame();
  EXPECT_EQ(device->FrameStats().drawCalls, 2);
  EXPECT_EQ(device->FrameStats().flushedVertices, 1200);
  EXPECT_EQ(Pixel(0, 0), (Rgb{0, 0, 255}));
  EXPECT_EQ(Pixel(58, 18), (Rgb{43, 0, 255}));  // rectangle 299, drawn by the second call

  // Rectangle, image, rectangle: the texture changes twice.
  BeginFrame();
  device->SetColorRGB(255, 0, 0);
  device->EmitRect(100, 100, 4, 4);
  device->SetColorRGB(255, 255, 255);
  device->EmitSurface(surface.get(), 110, 100);
  device->SetColorRGB(0, 0, 255);
  device->EmitRect(120, 100, 4, 4);
  EndFrame();
  EXPECT_EQ(device->FrameStats().drawCalls, 3);
  EXPECT_EQ(device->FrameStats().textureBinds, 1);
  EXPECT_EQ(Pixel(101, 101), (Rgb{255, 0, 0}));
  EXPECT_EQ(Pixel(111, 101), (Rgb{0, 255, 0}));
  EXPECT_EQ(Pixel(121, 101), (Rgb{0, 0, 255}));

  // A run of images from one surface and a matrix change stay in one batch.
  BeginFrame();
  device->SetColorRGB(255, 255, 255);
  for (int i = 0; i < 10; ++i) device->EmitSurface(surface.get(), static_cast<float>(i * 3), 0);
  device->SetTransformMatrix(1, 0, 0, 1, 5, 5);
  device->EmitSurface(surface.get(), 100, 100);
  EndFrame();
  EXPECT_EQ(device->FrameStats().drawCalls, 1);
  EXPECT_EQ(Pixel(106, 106), (Rgb{0, 255, 0}));
}

TEST_F(RendererTest, ClearTargetDropsVerticesNotYetDrawn) {
  BeginFrame();
  device->SetColorRGB(255, 255, 255);
  device->EmitRect(0, 0, 100, 100);
  device->ClearTarget(0, 0, 50);
  device->EmitRect(200, 200, 10, 10);
  EndFrame();
  EXPECT_EQ(Pixel(50, 50), (Rgb{0, 0, 50}));
  EXPECT_EQ(Pixel(205, 205), (Rgb{255, 255, 255}));
  EXPECT_EQ(device->FrameStats().flushedVertices, 4);
}

TEST_F(RendererTest, ScissorRectClipsWithTheYFlipAndFullWindowSwitchesItOff) {
  BeginFrame();
  device->SetColorRGB(0, 255, 0);
  device->EmitRect(0, 0, 5, 5);  // emitted before the clip: flushed unclipped
  device->SetScissorRect(10, 20, 30, 40);
  EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
  GLint box[4];
  glGetIntegerv(GL_SCISSOR_BOX, box);
  EXPECT_EQ(box[0], 10);
  EXPECT_EQ(box[1], 475 - 20 - 40);
  EXPECT_EQ(box[2], 30);
  EXPECT_EQ(box[3], 40);
  device->SetColorRGB(255, 0, 0);
  device->EmitRect(0, 0, 640, 475);
  EndFrame();
  const Rgb red{255, 0, 0};
  EXPECT_EQ(Pixel(2, 2), (Rgb{0, 255, 0}));
  EXPECT_EQ(Pixel(10, 20), red);
  EXPECT_EQ(Pixel(39, 59), red);
  for (const auto& outside : {std::pair{9, 20}, {40, 20}, {10, 19}, {10, 60}}) {
    EXPECT_EQ(Pixel(outside.first, outside.second), kBlack)
        << outside.first << "," << outside.second;
  }

  BeginFrame();
  device->SetScissorRect(0, 0, 640, 475);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
  device->SetColorRGB(255, 0, 0);
  device->EmitRect(0, 0, 640, 475);
  EndFrame();
  EXPECT_EQ(Pixel(0, 0), red);
  EXPECT_EQ(Pixel(639, 474), red);
}

TEST_F(RendererTest, TransformMatrixMovesAndScalesEmittedCorners) {
  BeginFrame();
  device->SetTransformMatrix(2, 0, 0, 2, 10, 20);
  device->SetColorRGB(255, 255, 0);
  device->EmitRect(0, 0, 5, 5);
  device->SetTransformMatrix(1, 0, 0, 1, 0, 0);
  device->EmitRect(100, 100, 1, 1);
  EndFrame();
  EXPECT_EQ(Pixel(10, 20), (Rgb{255, 255, 0}));
  EXPECT_EQ(Pixel(19, 29), (Rgb{255, 255, 0}));
  EXPECT_EQ(Pixel(20, 29), kBlack);
  EXPECT_EQ(Pixel(9, 20), kBlack);
  EXPECT_EQ(Pixel(100, 100), (Rgb{255, 255, 0}));
}

TEST_F(RendererTest, TexturedQuadsSampleTheirSourceRectangleTintedByTheColour) {
  // Four columns, two rows, every texel different; the top row comes first.
  auto surface = MakeSurface(4, 2,
                             {0xFF0000FFu, 0x00FF00FFu, 0x0000FFFFu, 0xFFFFFFFFu,  //
                              0x800000FFu, 0x008000FFu, 0x000080FFu, 0x808080FFu});
  BeginFrame();
  device->SetColorRGB(255, 255, 255);
  device->EmitSurface(surface.get(), 10, 10);
  device->EmitSurfaceRect(surface.get(), 50, 50, 1, 0, 2, 2);
  device->SetColorRGB(255, 0, 255);  // tints: green is removed
  device->EmitSurface(surface.get(), 80, 80);
  EndFrame();
  EXPECT_EQ(Pixel(10, 10), (Rgb{255, 0, 0}));
  EXPECT_EQ(Pixel(13, 10), (Rgb{255, 255, 255}));
  EXPECT_EQ(Pixel(10, 11), (Rgb{128, 0, 0}));
  EXPECT_EQ(Pixel(14, 10), kBlack);
  EXPECT_EQ(Pixel(50, 50), (Rgb{0, 255, 0}));
  EXPECT_EQ(Pixel(51, 51), (Rgb{0, 0, 128}));
  EXPECT_EQ(Pixel(52, 50), kBlack);
  EXPECT_EQ(Pixel(83, 80), (Rgb{255, 0, 255}));
}

TEST(SurfacePixels, AdoptPixelsPremultipliesByDepth) {
  struct Case {
    int depth;
    std::vector<unsigned char> in;
    unsigned format;
    std::vector<unsigned char> out;
  };
  const Case cases[] = {
      {1, {200}, GL_LUMINANCE, {200}},
      {2, {200, 128}, GL_LUMINANCE_ALPHA, {100, 128}},
      {3, {200, 100, 50}, GL_RGB, {200, 100, 50}},
      {4, {255, 128, 0, 127}, GL_RGBA, {127, 63, 0, 127}},
      {4, {255, 255, 255, 0}, GL_RGBA, {0, 0, 0, 0}},  // a transparent texel has no colour
      {4, {10, 20, 30, 255}, GL_RGBA, {10, 20, 30, 255}},
      {5, {1, 2, 3, 4, 5}, 0, {1, 2, 3, 4, 5}},
  };
  for (const Case& c : cases) {
    gxtkSurface surface;
    surface.AdoptPixels(c.in, 1, 1, c.depth);
    EXPECT_EQ(surface.format, c.format) << "depth " << c.depth;
    EXPECT_EQ(surface.pixels, c.out) << "depth " << c.depth;
    EXPECT_EQ(surface.GetWidth(), 1);
    EXPECT_EQ(surface.depth, c.depth);
  }
  gxtkSurface shortBuffer;
  shortBuffer.AdoptPixels({1, 2, 3}, 2, 2, 4);
  EXPECT_EQ(shortBuffer.format, 0u);
  EXPECT_TRUE(shortBuffer.pixels.empty());
}

TEST_F(RendererTest, TextureIsRebuiltFromThePixelCopyInANewContext) {
  auto surface = MakeSurface(2, 1, {0xFF0000FFu, 0x0000FFFFu});
  BeginFrame();
  device->EmitSurface(surface.get(), 10, 10);
  EndFrame();
  ASSERT_EQ(Pixel(11, 10), (Rgb{0, 0, 255}));
  const int before = graphicsGeneration;

  // A new window brings a new context in which the old texture name means nothing.
  ReopenTestWindow();
  ASSERT_EQ(graphicsGeneration, before + 1);
  device = std::make_unique<gxtkGraphics>(GraphicsTestGame().GetGLFWwindow());
  InstallGraphicsDevice(device.get());
  BeginFrame();
  device->EmitSurface(surface.get(), 20, 20);
  EndFrame();
  EXPECT_EQ(surface->generation, graphicsGeneration);
  EXPECT_TRUE(glIsTexture(surface->texture));
  EXPECT_EQ(Pixel(20, 20), (Rgb{255, 0, 0}));
  EXPECT_EQ(Pixel(21, 20), (Rgb{0, 0, 255}));
}

TEST_F(RendererTest, RejectedSizeRetriesWithPowerOfTwoTexture) {
  std::vector<uint32_t> pixels(100 * 50, 0x00FF00FFu);
  pixels[99] = 0xFF0000FFu;             // top-right texel
  pixels[49 * 100 + 99] = 0x0000FFFFu;  // bottom-right texel
  gxtkGraphics::forceTextureRetry = true;
  auto surface = MakeSurface(100, 50, pixels);
  gxtkGraphics::forceTextureRetry = false;

  EXPECT_FLOAT_EQ(surface->uScale, 1.0f / 128);
  EXPECT_FLOAT_EQ(surface->vScale, 1.0f / 64);
  GLint width = 0;
  GLint height = 0;
  glBindTexture(GL_TEXTURE_2D, surface->texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  EXPECT_EQ(width, 128);
  EXPECT_EQ(height, 64);

  // Only the picture's corner of the larger texture is drawn.
  BeginFrame();
  device->EmitSurface(surface.get(), 0, 0);
  EndFrame();
  EXPECT_EQ(Pixel(0, 0), (Rgb{0, 255, 0}));
  EXPECT_EQ(Pixel(99, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(Pixel(99, 49), (Rgb{0, 0, 255}));
  EXPECT_EQ(Pixel(100, 0), kBlack);
  EXPECT_EQ(Pixel(0, 50), kBlack);
}

TEST_F(RendererTest, ReleaseTextureDeletesTheTextureAndThePixelCopy) {
  auto surface = MakeSurface(3, 2, std::vector<uint32_t>(6, 0xFFFFFFFFu));
  const GLuint texture = surface->texture;
  ASSERT_TRUE(glIsTexture(texture));
  surface->ReleaseTexture();
  EXPECT_FALSE(glIsTexture(texture));
  EXPECT_EQ(surface->generation, -1);
  EXPECT_TRUE(surface->pixels.empty());

  // Drawn again, it gets an empty texture of its size.
  surface->EnsureTexture();
  GLint width = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(surface->generation, graphicsGeneration);
}

TEST_F(RendererTest, UnreadablePictureFilesGiveNoSurface) {
  TempFolder folder;
  const std::vector<unsigned char> png = ReadBytes(DataFile("button1.png"));
  ASSERT_GT(png.size(), 60u);
  WriteBytes(folder.File("empty.png"), {});
  WriteBytes(folder.File("truncated.png"),
             std::vector<unsigned char>(png.begin(), png.begin() + png.size() / 2));
  WriteBytes(folder.File("header-only.png"),
             std::vector<unsigned char>(png.begin(), png.begin() + 8));
  WriteBytes(folder.File("text.png"), {'h', 'e', 'l', 'l', 'o', '\n'});
  for (const std::string name :
       {"missing.png", "empty.png", "truncated.png", "header-only.png", "text.png", ""}) {
    EXPECT_EQ(device->LoadSurfaceFile(FromLatin1(folder.File(name))), nullptr) << name;
  }
  auto surface = device->LoadSurfaceFile(FromLatin1(DataFile("button1.png")));
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->GetWidth(), 32);
  EXPECT_EQ(surface->depth, 4);
  EXPECT_EQ(surface->generation, graphicsGeneration);  // the texture exists at once
}

// Operations the tracker itself does not use: points, lines, ovals, polygons, blank surfaces
// written pixel by pixel, and reading the frame back.
TEST_F(RendererTest, OtherPrimitivesAndPixelTransfers) {
  auto blank = device->CreateBlankSurface(2, 2);
  ASSERT_NE(blank, nullptr);
  device->WriteSurfacePixels(blank.get(), {static_cast<int>(0xFFFF0000u), 0x7F00FF00}, 0, 1, 2, 1,
                             0, 2);
  EXPECT_EQ(blank->pixels[8], 255);   // opaque red at (0, 1)
  EXPECT_EQ(blank->pixels[13], 127);  // half-transparent green, premultiplied, at (1, 1)

  BeginFrame();
  device->SetColorRGB(255, 255, 255);
  device->EmitPoint(5.5f, 5.5f);
  device->EmitLine(10, 30.5f, 40, 30.5f);
  device->EmitOval(100, 100, 40, 20);
  device->EmitPolygon({200, 200, 240, 200, 250, 220, 220, 240, 200, 230});
  device->EmitTexturedPolygon({300, 300, 0, 0, 302, 300, 2, 0, 302, 302, 2, 2, 300, 302, 0, 2},
                              blank.get(), 0, 0);
  EndFrame();
  const Rgb white{255, 255, 255};
  EXPECT_EQ(Pixel(5, 5), white);
  EXPECT_EQ(Pixel(25, 30), white);
  EXPECT_EQ(Pixel(120, 110), white);
  EXPECT_EQ(Pixel(101, 101), kBlack);  // outside the oval's curve
  EXPECT_EQ(Pixel(220, 215), white);
  EXPECT_EQ(Pixel(300, 301), (Rgb{255, 0, 0}));
  EXPECT_EQ(Pixel(300, 300), kBlack);

  std::vector<int> frame(4, 0);
  device->ReadFramePixels(frame, 300, 300, 2, 2, 0, 2);
  EXPECT_EQ(static_cast<uint32_t>(frame[2]) & 0xFFFFFFu, 0xFF0000u);
  EXPECT_EQ(static_cast<uint32_t>(frame[3]) & 0xFFFFFFu, 0x007F00u);
  EXPECT_EQ(static_cast<uint32_t>(frame[0]) & 0xFFFFFFu, 0u);
}

}  // namespace

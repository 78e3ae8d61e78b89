#include "tests/graphics/gl_test.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <stb_image_write.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "graphics/drawing.h"
#include "graphics/font.h"

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

namespace {
std::string lastGlfwError;
void RecordGlfwError(int code, const char* description) {
  lastGlfwError = std::to_string(code) + " " + (description ? description : "");
}
}  // namespace

TestGame& GraphicsTestGame() {
  static TestGame* game = [] {
    glfwSetErrorCallback(RecordGlfwError);
    if (!glfwInit()) {
      ADD_FAILURE() << "GLFW cannot start (" << lastGlfwError << "): DISPLAY must name an X server";
      std::abort();
    }
    auto* created = new TestGame();  // lives for the whole test program, like the real host
    created->OpenWindow(640, 475, 4);
    return created;
  }();
  return *game;
}

void ReopenTestWindow() {
  GraphicsTestGame().OpenWindow(640, 475, 4);
}

void GlTest::SetUp() {
  TestGame& game = GraphicsTestGame();
  device = std::make_unique<gxtkGraphics>(game.GetGLFWwindow());
  InstallGraphicsDevice(device.get());
  SetCanvasSize(game.WindowWidth(), game.WindowHeight());
  GraphicsContext().font = nullptr;
  GraphicsContext().defaultFont = nullptr;
  gxtkGraphics::forceTextureRetry = false;
}

void GlTest::TearDown() {
  EndDrawing();
  InstallGraphicsDevice(nullptr);
  GraphicsContext().font = nullptr;
  GraphicsContext().defaultFont = nullptr;
  gxtkGraphics::forceTextureRetry = false;
  device.reset();
}

void GlTest::BeginFrame(int r, int g, int b) {
  device->BeginFrame();
  device->SetScissorRect(0, 0, device->GetWidth(), device->GetHeight());
  device->SetBlendMode(0);
  device->ClearTarget(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b));
}

void GlTest::EndFrame() {
  device->EndFrame();
  glFinish();
}

Rgb GlTest::Pixel(int x, int y) {
  return Region(x, y, 1, 1)[0];
}

std::vector<Rgb> GlTest::Region(int x, int y, int w, int h) {
  std::vector<unsigned char> bytes(static_cast<size_t>(w) * h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, device->GetHeight() - y - h, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
  std::vector<Rgb> pixels(static_cast<size_t>(w) * h);
  for (int row = 0; row < h; ++row) {
    // GL returns the bottom row first.
    const unsigned char* in = &bytes[static_cast<size_t>(h - 1 - row) * w * 4];
    for (int col = 0; col < w; ++col) {
      pixels[static_cast<size_t>(row) * w + col] = {in[col * 4], in[col * 4 + 1], in[col * 4 + 2]};
    }
  }
  return pixels;
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vexa-graphics-XXXXXX").string();
  if (!mkdtemp(pattern.data())) ADD_FAILURE() << "cannot make a temporary folder";
  path = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

void WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels) {
  std::vector<unsigned char> rgba;
  for (uint32_t p : pixels) {
    rgba.push_back(static_cast<unsigned char>(p >> 24));
    rgba.push_back(static_cast<unsigned char>(p >> 16));
    rgba.push_back(static_cast<unsigned char>(p >> 8));
    rgba.push_back(static_cast<unsigned char>(p));
  }
  ASSERT_TRUE(stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4));
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>());
}

std::string DataFile(const std::string& name) {
  return std::string(VEXA_SOURCE_DIR) + "/data/" + name;
}

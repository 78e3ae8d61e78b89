// font_preview OUT.png
//
// Draws every glyph of the tracker's font and of the default font, the spinner button and a
// few lines laid out like the tracker's screen, with the program's own renderer in a 640 x 475
// window, and writes the frame to OUT.png. Needs an X display (DISPLAY).
#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/drawing.h"
#include "graphics/font.h"
#include "graphics/image.h"
#include "graphics/renderer.h"
#include "host/game.h"

namespace {

// A host whose data folder is the repository's.
class PreviewGame : public BBGlfwGame {
 public:
  PreviewGame() { appFolder = FromLatin1(VEXA_SOURCE_DIR); }
};

String AllGlyphs(int first, int count) {
  String text;
  for (int code = first; code < first + count; ++code) text += static_cast<char16_t>(code);
  return text;
}

void Color(float r, float g, float b) {
  SetDrawColor(r, g, b);
}

void DrawScene(const std::shared_ptr<c_Font>& trackerFont,
               const std::shared_ptr<c_Font>& defaultFont, const c_Image& button) {
  ClearScreen(0, 0, 0);
  Color(86, 60, 106);
  FillRect(0, 0, 640, 475);

  // Every glyph of the tracker's font, white and in the screen's text colour.
  Color(0, 0, 0);
  FillRect(0, 0, 640, 84);
  SetDrawFont(trackerFont);
  for (int line = 0; line < 3; ++line) {
    Color(255, 255, 255);
    DrawString(AllGlyphs(32 + 32 * line, 32), 4, static_cast<float>(2 + 12 * line));
    Color(148, 144, 164);
    DrawString(AllGlyphs(32 + 32 * line, 32), 4, static_cast<float>(42 + 12 * line));
  }
  // Every glyph of the default font.
  Color(0, 0, 0);
  FillRect(0, 88, 640, 38);
  SetDrawFont(defaultFont);
  Color(255, 255, 255);
  for (int line = 0; line < 3; ++line) {
    DrawString(AllGlyphs(32 + 32 * line, 32), 4, static_cast<float>(91 + 11 * line));
  }
  DrawString(u"The default font: quick brown fox 0123", 300, 91);

  // A piece of the tracker's screen.
  SetDrawFont(trackerFont);
  const float top = 130;
  Color(38, 38, 38);
  FillRect(2, top, 640, 14);
  Color(0, 0, 0);
  FillRect(2, top + 14, 380, 12 * 9 + 2);
  Color(71, 53, 85);
  FillRect(305, top + 14, 77, 12);
  Color(82, 72, 74);
  FillRect(0, top + 12 * 3 + 2, 303, 12);  // the bar behind the cursor row
  Color(128, 128, 128);
  DrawString(u"POS CHN1  CHN2  CHN3  CHN4  POS ## Status: ", 0, top - 1);
  Color(171.6f, 37.2f, 104.4f);
  DrawString(u"                                           Standby...", 0, top - 1);
  Color(143, 31, 87);
  DrawString(u" [", 33 * 3, top + 12 * 3);  // the cursor on channel 2's note
  // Row number, then per channel the note name, volume and instrument digits.
  const char16_t* rows[] = {
      u"00: C-381 ---00 F#261 {|}00", u"01: ---00 ---00 ---00 ---00",
      u"02: D#142 A-283 ---00 End00", u"03: ---00 G-183 -up00 ---00",
      u"04: E-08F ---00 -dn00 C-271", u"05: ---00 B-383 ---00 ---00",
      u"06: ???00 ---00 ---00 ---00", u"07: ---00 ---00 ---00 ---00",
  };
  for (int i = 0; i < 8; ++i) {
    const float y = top + 12 * (i + 1);
    if (i % 4 == 0) {
      Color(113.846f, 110.769f, 126.154f);
    } else {
      Color(148, 144, 164);
    }
    DrawString(rows[i], 0, y);
    Color(148, 144, 164);
    DrawString(u" " + IntToText(10 + i) + u": 0" + IntToText(i), 297, y);
  }

  // The logo, built from "[" blocks, and value lines with their spinners.
  Color(148, 144, 164);
  const char16_t* logo[] = {u"[ [ [[[ [ [  [ ", u"[ [ [   [ [ [ [", u"[ [ [[[  [  [ [",
                            u"[ [ [   [ [ [[[", u" [  [[[ [ [ [ ["};
  for (int i = 0; i < 5; ++i) DrawString(logo[i], 425, top + 16 + 12 * i);
  DrawString(u"Description:", 442, top + 76);
  Color(0, 0, 0);
  FillRect(394, top + 90, 236, 18);
  Color(128, 128, 128);
  DrawString(u"Soft pad, slow attack", 396, top + 91);
  Color(148, 144, 164);
  const char16_t* values[] = {u"  INSTRUMENT:01", u"         WAV:03", u"         PWM:1A",
                              u"         ARP:37"};
  for (int i = 0; i < 4; ++i) {
    const float y = top + 114 + 12 * i;
    DrawString(values[i], 385, y);
  }
  Color(255, 255, 255);
  for (int i = 0; i < 4; ++i) DrawImageFrame(button, 561, top + 114 + 12 * i, 0);
  DrawImageFrame(button, 593, top + 114 + 36, 0);
  Color(148, 144, 164);
  DrawString(u"play home", 520, top + 170);
  DrawString(u"edit undo", 520, top + 190);
  DrawString(u"    on    off   on    on  ", 0, top + 160);
  DrawString(u"Layout DE", 520, top + 210);
  Color(0, 0, 0);
  FillRect(4, top + 209, 385, 18);
  Color(148, 144, 164);
  DrawString(u" my_song_2 (jumpy) g,q;p|y", 0, top + 210);
  Color(143, 31, 87);
  DrawString(u" [", 11 * 26, top + 210);

  // Text tinted in a few colours over the purple background.
  const float colors[][3] = {{255, 80, 80}, {80, 255, 80}, {120, 160, 255}, {255, 255, 255}};
  for (int i = 0; i < 4; ++i) {
    Color(colors[i][0], colors[i][1], colors[i][2]);
    DrawString(u"Sphinx of black quartz, judge my vow! 42%", 4,
               static_cast<float>(top + 240 + 12 * i));
  }
  SetDrawFont(defaultFont);
  Color(255, 255, 255);
  DrawString(u"Default font: Sphinx of black quartz, judge my vow! [x] {y} <z>", 4, top + 292);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: font_preview OUT.png\n");
    return 2;
  }
  if (!glfwInit()) {
    std::fprintf(stderr, "font_preview: GLFW cannot start (is DISPLAY set?)\n");
    return 1;
  }
  PreviewGame game;
  game.OpenWindow(640, 475, 4);
  gxtkGraphics device(game.GetGLFWwindow());
  InstallGraphicsDevice(&device);
  SetCanvasSize(640, 475);
  std::shared_ptr<c_Font> defaultFont = LoadCellFont(u"vumo_font.png", true);
  std::shared_ptr<c_Font> trackerFont = LoadCellFont(u"vumofont.png", false);
  std::shared_ptr<c_Image> button = LoadImageResource(u"button1.png", defaultImageFlags);
  if (!defaultFont || !trackerFont || !button) {
    std::fprintf(stderr, "font_preview: the pictures in data/ cannot be loaded\n");
    return 1;
  }

  device.BeginFrame();
  BeginDrawing();
  DrawScene(trackerFont, defaultFont, *button);
  EndDrawing();
  device.EndFrame();
  glFinish();

  const int width = 640;
  const int height = 475;
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  std::vector<unsigned char> flipped(pixels.size());
  for (int y = 0; y < height; ++y) {
    std::copy_n(&pixels[static_cast<size_t>(height - 1 - y) * width * 4], width * 4,
                &flipped[static_cast<size_t>(y) * width * 4]);
  }
  for (size_t i = 3; i < flipped.size(); i += 4) flipped[i] = 255;
  const int written = stbi_write_png(argv[1], width, height, 4, flipped.data(), width * 4);
  GraphicsContext().font = nullptr;
  InstallGraphicsDevice(nullptr);
  if (!written) {
    std::fprintf(stderr, "font_preview: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}

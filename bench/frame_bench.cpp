// Cost of one tracker-like frame: about 2,000 glyphs, 30 rectangles and 14 small images, with
// the colour and texture changes of the tracker's screen.
//
//   BM_FillBatch  - the drawing API and the renderer filling and flushing batches, without GL
//                   (a device whose DrawBatch does nothing): the CPU cost of building a frame.
//   BM_WholeFrame - the same frame on the real renderer and OpenGL (Mesa llvmpipe under Xvfb),
//                   finished with glFinish; needs DISPLAY. Process CPU time, so the
//                   rasterizer's threads count too.
//
// Counters: draw calls, vertices and texture binds per frame, and heap allocations per frame
// (the strings are built once, so every allocation would be the renderer's or the API's).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/support/bench_support.h"
#include "graphics/drawing.h"
#include "graphics/font.h"
#include "graphics/image.h"
#include "graphics/renderer.h"
#include "host/files/data_path.h"
#include "host/game.h"

namespace {

struct Scene {
  std::shared_ptr<c_Font> font;
  std::shared_ptr<c_Image> button;
  std::vector<String> rows;       // 32 pattern rows
  std::vector<String> positions;  // 32 position list entries
  std::vector<String> values;     // 12 value lines
  std::vector<String> logo;
  std::vector<String> extra;  // text beyond the tracker's screen, to reach about 2,000 glyphs
};

String Row(int i) {
  static const char* const cells[] = {"C-381", "---00", "F#261", "---00", "D#142", "A-283"};
  std::string row = (i < 16 ? "0" : "1") + std::string(1, "0123456789ABCDEF"[i % 16]) + ": ";
  for (int c = 0; c < 4; ++c) row += std::string(cells[(i + c) % 6]) + (c < 3 ? " " : "");
  return FromLatin1(row);
}

Scene MakeScene() {
  Scene scene;
  scene.font = LoadCellFont(u"vumofont.png", false);
  scene.button = LoadImageResource(u"button1.png", defaultImageFlags);
  for (int i = 0; i < 32; ++i) {
    scene.rows.push_back(Row(i));
    scene.positions.push_back(u" " + IntToText(10 + i) + u": 0" + IntToText(i % 10));
  }
  for (const char* label : {"  INSTRUMENT:", " OCT:", "         WAV:", "         PWM:",
                            "         SWP:", "         ENV:", "         E2P:", "         ARP:",
                            "         SPD:", "         AMT:", " SPD:", " Len:"}) {
    scene.values.push_back(FromLatin1(label) + u"1F");
  }
  for (int i = 0; i < 12; ++i) scene.extra.push_back(String(36, u'a' + i));
  scene.logo = {u"[ [ [[[ [ [  [ ", u"[ [ [   [ [ [ [", u"[ [ [[[  [  [ [", u"[ [ [   [ [ [[[",
                u" [  [[[ [ [ [ ["};
  return scene;
}

// The tracker screen's order of drawing: background rectangles, captions, logo, boxes, header
// and status, value lines, cursor, 32 rows with their colour changes, the spinner images,
// channel switches, song name and the level bars.
// The fixed texts, built once so the frame itself allocates nothing.
const String kText0 = u"load save";
const String kText1 = u"play home";
const String kText2 = u"edit undo";
const String kText3 = u"copytrack";
const String kText4 = u"pastetrck";
const String kText5 = u"Description:";
const String kText6 = u"Soft pad with a slow attack";
const String kText7 = u"POS CHN1  CHN2  CHN3  CHN4  POS ## Status: ";
const String kText8 = u"                                           Playing...";
const String kText9 = u"Layout DE";
const String kText10 = u" [";
const String kText11 = u"    on    on    off   on  ";
const String kText12 = u" my_first_song";

void DrawFrame(const Scene& s) {
  ClearScreen(0, 0, 0);
  SetDrawColor(86, 60, 106);
  FillRect(0, 0, 640, 475);
  SetDrawColor(38, 38, 38);
  FillRect(2, 0, 640, 14);
  SetDrawColor(0, 0, 0);
  FillRect(2, 14, 380, 385);
  SetDrawColor(86, 60, 106);
  FillRect(303, 14, 2, 387);
  SetDrawColor(71, 53, 85);
  FillRect(305, 14, 77, 12);
  SetDrawColor(148, 144, 164);
  DrawString(kText0, 391, 441);
  DrawString(kText1, 520, 323);
  DrawString(kText2, 520, 343);
  DrawString(kText3, 520, 363);
  DrawString(kText4, 520, 383);
  for (int i = 0; i < 5; ++i) DrawString(s.logo[static_cast<size_t>(i)], 425, 40.0f + 12 * i);
  DrawString(kText5, 442, 106);
  SetDrawColor(0, 0, 0);
  FillRect(394, 122, 236, 18);
  FillRect(4, 440, 385, 18);
  SetDrawColor(128, 128, 128);
  DrawString(kText6, 396, 123);
  DrawString(kText7, 0, -1);
  SetDrawColor(171.6f, 37.2f, 104.4f);
  DrawString(kText8, 0, -1);
  SetDrawColor(148, 144, 164);
  const float valueY[] = {144, 360, 168, 180, 192, 204, 216, 228, 240, 252, 372, 384};
  for (size_t i = 0; i < s.values.size(); ++i) DrawString(s.values[i], 385, valueY[i]);
  DrawString(kText9, 520, 440);
  SetDrawColor(82, 72, 74);
  FillRect(0, 12 * 5 + 2, 303, 12);
  SetDrawColor(143, 31, 87);
  DrawString(kText10, 33, 60);
  for (int i = 0; i < 32; ++i) {
    const float y = 12.0f * (i + 1);
    if (i % 4 == 0) {
      SetDrawColor(113.846f, 110.769f, 126.154f);
    } else {
      SetDrawColor(148, 144, 164);
    }
    DrawString(s.rows[static_cast<size_t>(i)], 0, y);
    SetDrawColor(148, 144, 164);
    DrawString(s.positions[static_cast<size_t>(i)], 297, y);
  }
  SetDrawColor(255, 255, 255);
  const float buttons[][2] = {{561, 144}, {473, 360}, {561, 168}, {561, 180}, {561, 192},
                              {561, 204}, {561, 228}, {593, 228}, {561, 240}, {561, 252},
                              {561, 216}, {473, 372}, {473, 384}, {385, 12}};
  for (const auto& b : buttons) DrawImageFrame(*s.button, b[0], b[1], 0);
  SetDrawColor(148, 144, 164);
  DrawString(kText11, 0, 408);
  DrawString(kText12, 0, 441);
  for (size_t i = 0; i < s.extra.size(); ++i) {
    DrawString(s.extra[i], 4, 270.0f + 10 * static_cast<float>(i));
  }
  // The remaining rectangles: level bars and padding up to the tracker's count of about 30.
  for (int i = 0; i < 20; ++i) {
    SetDrawColor(81.0f + i, 93, 149);
    FillRect(407.0f + 22 * (i % 4), 348, 16, -2.0f - static_cast<float>(i));
  }
}

Scene* scene = nullptr;
gxtkGraphics* realDevice = nullptr;

void DrawFrames(benchmark::State& state, gxtkGraphics* device, bool finish) {
  RunFrames(
      state, device, scene->font, [] { DrawFrame(*scene); }, finish);
}

void BM_FillBatch(benchmark::State& state) {
  BatchOnlyDevice device;
  DrawFrames(state, &device, false);
}
BENCHMARK(BM_FillBatch)->Unit(benchmark::kMicrosecond);

void BM_WholeFrame(benchmark::State& state) {
  if (!realDevice) {
    state.SkipWithError("no window (DISPLAY not set?)");
    return;
  }
  DrawFrames(state, realDevice, true);
}
BENCHMARK(BM_WholeFrame)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  BenchGame game;
  bool onWindow = false;
  // Without a window the pictures are still loaded (as pixel copies) for BM_FillBatch.
  std::unique_ptr<gxtkGraphics> device = OpenBenchRenderer(game, &onWindow);
  if (onWindow) realDevice = device.get();
  Scene loaded = MakeScene();
  if (!loaded.font || !loaded.button) {
    std::fprintf(stderr, "frame_bench: cannot load the pictures from the data folder\n");
    return 1;
  }
  scene = &loaded;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  GraphicsContext().font = nullptr;
  InstallGraphicsDevice(nullptr);
  return 0;
}

#include "bench/support/bench_support.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "graphics/drawing.h"
#include "host/files/data_path.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// The replacement pair is malloc/free underneath; GCC cannot see that the two belong together.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

long HeapAllocations() {
  return allocations.load(std::memory_order_relaxed);
}

BenchGame::BenchGame() {
  appFolder = ProgramFolder() + u"/..";
}

int BatchOnlyDevice::BeginFrame() {
  vertexCount = 0;
  stats = RendererFrameStats();
  return 1;
}

int BatchOnlyDevice::ClearTarget(float, float, float) {
  vertexCount = 0;
  return 0;
}

int BatchOnlyDevice::SetBlendMode(int) {
  if (vertexCount > 0) FlushBatch();
  return 0;
}

int BatchOnlyDevice::SetScissorRect(int, int, int, int) {
  if (vertexCount > 0) FlushBatch();
  return 0;
}

std::unique_ptr<gxtkGraphics> OpenBenchRenderer(BenchGame& game, bool* onWindow) {
  std::unique_ptr<gxtkGraphics> device;
  *onWindow = false;
  if (std::getenv("DISPLAY") && glfwInit()) {
    game.OpenWindow(640, 475, 4);
    game.SetSwapInterval(0);
    device = std::make_unique<gxtkGraphics>(game.GetGLFWwindow());
    *onWindow = true;
  } else {
    device = std::make_unique<gxtkGraphics>(static_cast<GLFWwindow*>(nullptr));
  }
  InstallGraphicsDevice(device.get());
  SetCanvasSize(640, 475);
  return device;
}

void RunFrames(benchmark::State& state, gxtkGraphics* device, const std::shared_ptr<c_Font>& font,
               const std::function<void()>& draw, bool finish) {
  InstallGraphicsDevice(device);
  SetDrawFont(font);
  RendererFrameStats stats;
  long allocationsInFrames = 0;
  for (auto _ : state) {
    const long before = HeapAllocations();
    device->BeginFrame();
    BeginDrawing();
    draw();
    EndDrawing();
    device->EndFrame();
    if (finish) glFinish();
    allocationsInFrames += HeapAllocations() - before;
    stats = device->FrameStats();
  }
  state.counters["draw_calls"] = stats.drawCalls;
  state.counters["vertices"] = stats.flushedVertices;
  state.counters["texture_binds"] = stats.textureBinds;
  state.counters["quads"] = stats.flushedVertices / 4;
  state.counters["allocs_per_frame"] =
      static_cast<double>(allocationsInFrames) / static_cast<double>(state.iterations());
}

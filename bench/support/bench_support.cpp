#include "bench/support/bench_support.h"

#include <atomic>
#include <cstdlib>
#include <new>

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

#include "tests/audio/allocation_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> largest{0};
}  // namespace

void ResetAllocationProbe() {
  largest = 0;
}
size_t LargestAllocation() {
  return largest;
}

void* operator new(size_t size) {
  size_t seen = largest.load();
  while (size > seen && !largest.compare_exchange_weak(seen, size)) {
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void* operator new[](size_t size) {
  return operator new(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
  std::free(p);
}

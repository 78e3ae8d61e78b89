// Counts the program's allocations through operator new, so tests can check that a reader
// never asks for more memory than its input justifies.
#pragma once

#include <cstddef>

// Starts a new count.
void ResetAllocationProbe();
// The largest single request since the reset.
size_t LargestAllocation();

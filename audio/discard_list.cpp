#include "audio/discard_list.h"

std::vector<unsigned int>& DiscardedBuffers() {
  static std::vector<unsigned int> names;
  return names;
}

// Any byte sequence decodes to a text without reading outside the input, and the text never
// has more units than the input has bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "host/files/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the input's size, so AddressSanitizer sees any read past its end.
  std::vector<unsigned char> bytes(data, data + size);
  const String text = DecodeTextFileBytes(bytes.empty() ? nullptr : bytes.data(), bytes.size());
  if (text.size() > size) std::abort();
  // UTF-16 input gives exactly one unit per whole pair after the mark.
  if (size >= 2 && ((data[0] == 0xFE && data[1] == 0xFF) || (data[0] == 0xFF && data[1] == 0xFE))) {
    if (text.size() != (size - 2) / 2) std::abort();
  }
  return 0;
}

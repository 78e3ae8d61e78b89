// Byte buffers: a block of memory the program fills and hands to streams.
#pragma once

#include <vector>

#include "runtime/text.h"

class BBDataBuffer {
 public:
  // A zero-filled block of length bytes (none for a negative length).
  explicit BBDataBuffer(int length = 0);
  virtual ~BBDataBuffer();

  int Length() const { return length; }
  unsigned char* Data() { return data.data(); }
  const unsigned char* Data() const { return data.data(); }

 protected:
  std::vector<unsigned char> data;
  int length = 0;
};

class c_DataBuffer : public BBDataBuffer {
 public:
  using BBDataBuffer::BBDataBuffer;

  // Writes the text at offset, "utf8" (each unit on its own, one to three bytes) or "ascii"
  // (the low 8 bits of each unit). Bytes beyond the end of the buffer are dropped. Returns the
  // number of bytes the whole text encodes to ("utf8") or its number of characters ("ascii").
  // Any other encoding is a runtime error.
  int PokeText(int offset, const String& text, const String& encoding);
};

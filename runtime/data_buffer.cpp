#include "runtime/data_buffer.h"

#include <string>

#include "runtime/runtime_error.h"

BBDataBuffer::BBDataBuffer(int length)
    : data(length > 0 ? static_cast<size_t>(length) : 0), length(length > 0 ? length : 0) {}

BBDataBuffer::~BBDataBuffer() = default;

namespace {

// Copies bytes to the buffer from offset on, as many as fit.
void StoreFitting(unsigned char* data, int length, int offset, const std::string& bytes) {
  if (offset < 0 || offset >= length) return;
  const size_t room = static_cast<size_t>(length - offset);
  const size_t count = bytes.size() < room ? bytes.size() : room;
  for (size_t i = 0; i < count; ++i) data[offset + i] = static_cast<unsigned char>(bytes[i]);
}

}  // namespace

int c_DataBuffer::PokeText(int offset, const String& text, const String& encoding) {
  if (encoding == u"utf8") {
    const std::string bytes = EncodeUtf8(text);
    StoreFitting(Data(), length, offset, bytes);
    return static_cast<int>(bytes.size());
  }
  if (encoding == u"ascii") {
    std::string bytes;
    bytes.reserve(text.size());
    for (char16_t unit : text) bytes.push_back(static_cast<char>(unit & 0xFF));
    StoreFitting(Data(), length, offset, bytes);
    return static_cast<int>(text.size());
  }
  RuntimeError(u"Invalid string encoding:" + encoding);
}

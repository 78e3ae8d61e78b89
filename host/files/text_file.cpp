#include "host/files/text_file.h"

#include "host/files/data_path.h"
#include "host/game.h"

namespace {

String DecodeUtf16(const unsigned char* bytes, size_t count, bool bigEndian) {
  String text;
  text.reserve(count / 2);
  for (size_t i = 2; i + 1 < count; i += 2) {
    const unsigned hi = bigEndian ? bytes[i] : bytes[i + 1];
    const unsigned lo = bigEndian ? bytes[i + 1] : bytes[i];
    text.push_back(static_cast<char16_t>((hi << 8) | lo));
  }
  return text;
}

// UTF-8 of one to three bytes per unit, overlong forms accepted. False when any sequence is
// malformed: a stray continuation byte, a lead byte of four or more bytes, a missing or wrong
// continuation byte, or a sequence cut off by the end.
bool DecodeUtf8(const unsigned char* bytes, size_t count, String& text) {
  text.clear();
  text.reserve(count);
  size_t i = 0;
  while (i < count) {
    const unsigned c = bytes[i];
    if (c < 0x80) {
      text.push_back(static_cast<char16_t>(c));
      i += 1;
    } else if ((c & 0xE0) == 0xC0) {
      if (i + 1 >= count || (bytes[i + 1] & 0xC0) != 0x80) return false;
      text.push_back(static_cast<char16_t>(((c & 0x1F) << 6) | (bytes[i + 1] & 0x3F)));
      i += 2;
    } else if ((c & 0xF0) == 0xE0) {
      if (i + 2 >= count || (bytes[i + 1] & 0xC0) != 0x80 || (bytes[i + 2] & 0xC0) != 0x80) {
        return false;
      }
      text.push_back(static_cast<char16_t>(((c & 0x0F) << 12) | ((bytes[i + 1] & 0x3F) << 6) |
                                           (bytes[i + 2] & 0x3F)));
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

String DecodeTextFileBytes(const unsigned char* bytes, size_t count) {
  if (count == 0) return String();
  if (count >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return DecodeUtf16(bytes, count, true);
  if (count >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return DecodeUtf16(bytes, count, false);
  size_t start = 0;
  if (count != 2 && count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    start = 3;
  }
  String text;
  if (DecodeUtf8(bytes + start, count - start, text)) return text;
  text.clear();
  text.reserve(count - start);
  for (size_t i = start; i < count; ++i) text.push_back(static_cast<char16_t>(bytes[i]));
  return text;
}

String LoadTextResource(const String& path) {
  return BBGame::Game()->LoadTextFile(ResolveDataPath(path));
}

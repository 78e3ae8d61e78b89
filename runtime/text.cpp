#include "runtime/text.h"

#include <cstdlib>
#include <string>

int AppendUtf8Unit(std::string& out, char16_t unit) {
  const unsigned c = unit;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
    return 1;
  }
  if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    return 2;
  }
  out.push_back(static_cast<char>(0xE0 | (c >> 12)));
  out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
  out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  return 3;
}

std::string EncodeUtf8(const String& text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t unit : text) AppendUtf8Unit(out, unit);
  return out;
}

String FromLatin1(const std::string& bytes) {
  String out;
  out.reserve(bytes.size());
  for (unsigned char b : bytes) out.push_back(static_cast<char16_t>(b));
  return out;
}

std::string ToLatin1(const String& text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t unit : text) out.push_back(unit < 256 ? static_cast<char>(unit) : '?');
  return out;
}

int TextToInt(const String& text) {
  const std::string head = ToLatin1(text.substr(0, 63));
  return std::atoi(head.c_str());
}

String IntToText(int value) { return FromLatin1(std::to_string(value)); }

#include "runtime/print.h"

#include <cstdio>

void PrintLine(const String& text) {
  std::string bytes = EncodeUtf8(text);
  bytes.push_back('\n');
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

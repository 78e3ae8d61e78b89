#include "host/dialogs/file_filter.h"

namespace {

std::vector<String> Split(const String& text, char16_t separator) {
  std::vector<String> parts;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == String::npos ? String::npos : end - start));
    if (end == String::npos) break;
    start = end + 1;
  }
  return parts;
}

String Trim(const String& text) {
  const size_t first = text.find_first_not_of(u' ');
  if (first == String::npos) return String();
  return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

}  // namespace

std::vector<FileFilterEntry> ParseFileFilter(const String& filter) {
  std::vector<FileFilterEntry> entries;
  for (const String& part : Split(filter, u';')) {
    if (Trim(part).empty()) continue;
    FileFilterEntry entry;
    const size_t colon = part.find(u':');
    entry.description = Trim(part.substr(0, colon));
    if (colon != String::npos) {
      for (const String& extension : Split(part.substr(colon + 1), u',')) {
        const String trimmed = Trim(extension);
        if (!trimmed.empty()) entry.extensions.push_back(trimmed);
      }
    }
    entries.push_back(entry);
  }
  return entries;
}

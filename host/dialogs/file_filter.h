// The file type filter of the file chooser: "Description:ext,ext;Description:ext".
#pragma once

#include <vector>

#include "runtime/text.h"

struct FileFilterEntry {
  String description;
  // Extensions without the dot; the entry offers "*." + extension for each. Empty: all files.
  std::vector<String> extensions;
};

// Splits the filter text into its entries. Entries are separated by ";", the description ends at
// the first ":" and the extensions after it are separated by ",". Spaces around descriptions and
// extensions are dropped, and empty entries and extensions are skipped. An entry without ":" (or
// without any extension) is a description that offers all files.
std::vector<FileFilterEntry> ParseFileFilter(const String& filter);

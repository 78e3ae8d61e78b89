// A private folder under the system's temporary folder, removed with everything in it when the
// object goes. Handy as a program folder for a TestGame whose data folder a test fills itself.
#pragma once

#include <string>
#include <vector>

#include "runtime/text.h"

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path; }
  String PathText() const { return FromLatin1(path); }
  // Writes a file at a path relative to the folder, creating the folders on the way.
  void Write(const std::string& relative, const std::vector<unsigned char>& bytes) const;
  void MakeFolder(const std::string& relative) const;

 private:
  std::string path;
};

#include "tests/audio/wav_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vexa-audio-XXXXXX").string();
  if (char* made = mkdtemp(pattern.data())) path = made;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

std::string ScratchFolder::Write(const std::string& name, const Bytes& bytes) const {
  const std::string file = File(name);
  if (std::FILE* out = std::fopen(file.c_str(), "wb")) {
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
  }
  return file;
}

Bytes ReadFileBytes(const std::string& path) {
  Bytes bytes;
  if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
    unsigned char block[4096];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, in)) > 0)
      bytes.insert(bytes.end(), block, block + n);
    std::fclose(in);
  }
  return bytes;
}

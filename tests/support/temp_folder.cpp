#include "tests/support/temp_folder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

TempFolder::TempFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/vexa-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

void TempFolder::MakeFolder(const std::string& relative) const {
  std::filesystem::create_directories(std::filesystem::path(path) / relative);
}

void TempFolder::Write(const std::string& relative, const std::vector<unsigned char>& bytes) const {
  const std::filesystem::path file = std::filesystem::path(path) / relative;
  std::filesystem::create_directories(file.parent_path());
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) throw std::runtime_error("cannot write " + file.string());
  // An empty vector may have no data at all, which fwrite must not be given.
  const size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
  if (written != bytes.size()) throw std::runtime_error("short write to " + file.string());
}

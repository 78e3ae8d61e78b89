#include "tests/render/song_files.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/e2e/process.h"
#include "tests/support/scripted_requester.h"
#include "tests/support/test_game.h"

namespace render_test {

std::string SaveSong(const std::string& folder, const std::string& name,
                     const std::function<void(TrackerFixture&)>& fill) {
  std::filesystem::create_directories(folder + "/data/songs");
  TrackerFixture tracker(FromLatin1(folder));
  fill(tracker);
  ScriptedRequester requester;
  requester.AnswerConfirm(true);
  const String result = tracker.engine->SaveSong(FromLatin1(name));
  EXPECT_EQ(ToLatin1(result), "File Saved...");
  return folder + "/data/songs/" + name;
}

std::vector<float> MemorySink::Left() const {
  std::vector<float> left(samples.size() / 2);
  for (size_t i = 0; i < left.size(); ++i) left[i] = samples[2 * i];
  return left;
}

RenderReport RenderInProcess(const std::string& song, RenderSettings settings, MemorySink& sink) {
  settings.programFolder = RepoFolder();
  return RenderSong(song, settings, sink);
}

long long FirstSoundingFrame(const std::vector<float>& mono, long long from) {
  for (size_t i = static_cast<size_t>(std::max(0LL, from)); i < mono.size(); ++i) {
    if (std::lround(mono[i] * 32768.0f) != 0) return static_cast<long long>(i);
  }
  return -1;
}

namespace {

uint32_t Little(const std::string& bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) {
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return value;
}

}  // namespace

std::optional<Pcm16File> ReadPcm16(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The plain 44-byte header of 16-bit PCM, with sizes that match the file.
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0 ||
      bytes.compare(12, 4, "fmt ") != 0 || Little(bytes, 16, 4) != 16 ||
      Little(bytes, 20, 2) != 1 || Little(bytes, 34, 2) != 16 ||
      bytes.compare(36, 4, "data") != 0 || Little(bytes, 4, 4) != bytes.size() - 8 ||
      Little(bytes, 40, 4) != bytes.size() - 44) {
    return std::nullopt;
  }
  Pcm16File file;
  file.channels = static_cast<int>(Little(bytes, 22, 2));
  file.rate = static_cast<int>(Little(bytes, 24, 4));
  file.samples.resize((bytes.size() - 44) / 2);
  std::memcpy(file.samples.data(), bytes.data() + 44, file.samples.size() * 2);
  return file;
}

std::string RenderProgram() {
  return std::string(VEXA_BINARY_DIR) + "/vexa-render";
}

ProgramRun RunRender(const std::vector<std::string>& arguments, double timeoutSeconds) {
  vexa_test::ProcessOptions options;
  options.argv = {RenderProgram()};
  options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
  const vexa_test::ProcessResult result = vexa_test::RunProcess(options, timeoutSeconds);
  ProgramRun run;
  run.exited = result.exited;
  run.status = result.exitStatus;
  run.out = result.out;
  run.err = result.err;
  return run;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace render_test

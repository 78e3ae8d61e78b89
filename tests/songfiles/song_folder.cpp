#include "tests/songfiles/song_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

Bytes BytesOf(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

Bytes Utf8Bytes(const String& text) {
  return BytesOf(EncodeUtf8(text));
}

namespace {

// The data folder is made before the tracker starts, so its create hook finds the pictures.
TempFolder& PrepareDataFolder(TempFolder& folder) {
  folder.MakeFolder("data/songs");
  for (const fs::directory_entry& entry :
       fs::directory_iterator(fs::path(VEXA_SOURCE_DIR) / "data")) {
    if (entry.is_regular_file()) {
      fs::create_symlink(entry.path(), fs::path(folder.Path()) / "data" / entry.path().filename());
    }
  }
  return folder;
}

}  // namespace

SongFolder::SongFolder() : t(PrepareDataFolder(folder).PathText()) {}

std::string SongFolder::SongPath(const std::string& name) const {
  return folder.Path() + "/data/songs/" + name;
}

std::string SongFolder::PathOf(const std::string& relative) const {
  return folder.Path() + "/" + relative;
}

String SongFolder::Save(const std::string& name) {
  requester.AnswerConfirm(true);
  return Engine().SaveSong(FromLatin1(name));
}

String SongFolder::LoadPath(const std::string& path) {
  requester.AnswerFile(FromLatin1(path));
  return Engine().LoadSong();
}

void SongFolder::WriteSong(const std::string& name, const Bytes& bytes) const {
  folder.Write("data/songs/" + name, bytes);
}

Bytes SongFolder::ReadSong(const std::string& name) const {
  std::ifstream in(SongPath(name), std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot read " << name;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> SongFolder::SongFolderEntries() const {
  std::vector<std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(SongPath(""), error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

const String& ColumnOf(const c_SoundEngine& engine, int index) {
  const std::array<String, 5>* groups[4] = {&engine.trackNotes, &engine.trackVolumes,
                                            &engine.trackInstruments, &engine.trackOctaves};
  return (*groups[index / 4])[static_cast<size_t>(index % 4 + 1)];
}

String& ColumnOf(c_SoundEngine& engine, int index) {
  return const_cast<String&>(ColumnOf(static_cast<const c_SoundEngine&>(engine), index));
}

char16_t EmptyCellOf(int index) {
  return index < 4 ? u'.' : u'0';
}

SongData SongData::Of(const c_SoundEngine& engine) {
  SongData data;
  for (int i = 0; i < 16; ++i) data.columns[static_cast<size_t>(i)] = ColumnOf(engine, i);
  data.orderList = engine.orderList;
  data.songLengthRows = engine.songLengthRows;
  data.songSpeed = engine.songSpeed;
  data.instrumentTable = engine.instrumentTable;
  data.instrumentDescriptions = engine.instrumentDescriptions;
  return data;
}

bool SongData::operator==(const SongData& other) const {
  return columns == other.columns && orderList == other.orderList &&
         songLengthRows == other.songLengthRows && songSpeed == other.songSpeed &&
         instrumentTable == other.instrumentTable &&
         instrumentDescriptions == other.instrumentDescriptions;
}

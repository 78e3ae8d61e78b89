// The tracker with a program folder of its own: a temporary folder whose data folder holds the
// repository's pictures and waveforms and an empty "songs" folder, and a scripted requester
// that answers the file chooser and the confirmation box.
#pragma once

#include <string>
#include <vector>

#include "tests/support/scripted_requester.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tracker_fixture.h"

using Bytes = std::vector<unsigned char>;

Bytes BytesOf(const std::string& text);
// The text as a song file holds it: UTF-8, one to three bytes per unit.
Bytes Utf8Bytes(const String& text);

class SongFolder {
 public:
  SongFolder();

  TempFolder folder;
  TrackerFixture t;
  ScriptedRequester requester;

  c_SoundEngine& Engine() { return *t.engine; }
  // The file system path of a file in the songs folder.
  std::string SongPath(const std::string& name) const;
  // The file system path of a file relative to the program folder.
  std::string PathOf(const std::string& relative) const;

  // SaveSong with the confirmation answered OK.
  String Save(const std::string& name);
  // LoadSong with the chooser answering the file system path given.
  String LoadPath(const std::string& path);
  // LoadSong choosing a file of the songs folder.
  String Load(const std::string& name) { return LoadPath(SongPath(name)); }

  void WriteSong(const std::string& name, const Bytes& bytes) const;
  Bytes ReadSong(const std::string& name) const;
  // The names in the songs folder, hidden ones included, sorted.
  std::vector<std::string> SongFolderEntries() const;
};

// Every part of the song a load may replace, for comparing before and after.
struct SongData {
  std::array<String, 16> columns;
  std::array<int, ORDER_LIST_SIZE> orderList;
  int songLengthRows;
  int songSpeed;
  std::array<int, INSTRUMENT_TABLE_SIZE> instrumentTable;
  std::array<String, INSTRUMENT_DESCRIPTION_COUNT> instrumentDescriptions;

  static SongData Of(const c_SoundEngine& engine);
  bool operator==(const SongData& other) const;
};

// The sixteen columns in file order: notes, volumes, instruments, octaves, channels 1 to 4 each.
const String& ColumnOf(const c_SoundEngine& engine, int index);
String& ColumnOf(c_SoundEngine& engine, int index);
char16_t EmptyCellOf(int index);

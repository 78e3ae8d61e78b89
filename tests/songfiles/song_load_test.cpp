// Loading songs: a saved song comes back, the editor's keys reach the files, and any file at all
// loads to a song the tracker can play and draw, or fails and leaves the song as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "host/input/key_codes.h"
#include "tests/songfiles/song_folder.h"
#include "tracker/song_text.h"

namespace {

namespace fs = std::filesystem;

// ---- Building song texts ----

String Repeat(size_t count, int code) {
  return String(count, static_cast<char16_t>(code));
}

String Header(int positions, int speed, int patterns) {
  return u"QNT1" + Repeat(1, positions) + Repeat(1, speed) + Repeat(1, patterns);
}

// Sixteen columns of R cells: notes "q", volumes "8", instruments "2", octaves "1".
String Columns(int patterns) {
  const size_t r = 32 * static_cast<size_t>(patterns);
  return Repeat(4 * r, 'q') + Repeat(4 * r, '8') + Repeat(4 * r, '2') + Repeat(4 * r, '1');
}

String Descriptions(char16_t fill) {
  return Repeat(31 * 21, fill);
}

Bytes Utf16Bytes(const String& text, bool bigEndian) {
  Bytes bytes = bigEndian ? Bytes{0xFE, 0xFF} : Bytes{0xFF, 0xFE};
  for (char16_t unit : text) {
    const unsigned char hi = static_cast<unsigned char>(unit >> 8);
    const unsigned char lo = static_cast<unsigned char>(unit & 0xFF);
    bytes.push_back(bigEndian ? hi : lo);
    bytes.push_back(bigEndian ? lo : hi);
  }
  return bytes;
}

Bytes RepoFile(const std::string& relative) {
  std::ifstream in(std::string(VEXA_SOURCE_DIR) + "/" + relative, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

String Latin1(const Bytes& bytes, size_t from, size_t count) {
  String text;
  for (size_t i = from; i < bytes.size() && i < from + count; ++i) text += char16_t(bytes[i]);
  return text;
}

// ---- A song that is not the empty one ----

// Fills the model with values a load must replace, so every field that comes back is seen to.
void FillWithOldValues(c_SoundEngine& e) {
  for (int i = 0; i < 16; ++i) ColumnOf(e, i).assign(COLUMN_CELLS, i < 4 ? u'w' : u'3');
  e.orderList.fill(7);
  e.instrumentTable.fill(9);
  e.instrumentDescriptions.fill(u"old");
  e.songLengthRows = 64;
  e.songSpeed = 3;
}

// Every column that came from a file is at most one grid long, and what the file does not store
// is left alone.
void ExpectModelInvariants(const c_SoundEngine& e) {
  for (int i = 0; i < 16; ++i) EXPECT_LE(ColumnOf(e, i).size(), size_t(COLUMN_CELLS)) << i;
  for (size_t j = 1; j < INSTRUMENT_DESCRIPTION_COUNT; ++j) {
    EXPECT_LE(e.instrumentDescriptions[j].size(), 21u) << j;
  }
  EXPECT_EQ(e.instrumentDescriptions[0], u"old");
  for (size_t k = 249; k < INSTRUMENT_TABLE_SIZE; ++k) EXPECT_EQ(e.instrumentTable[k], 9) << k;
}

// ---- Round trip ----

TEST(SongLoading, ASavedSongComesBackAndNothingElseChanges) {
  SongFolder s;
  c_SoundEngine& e = s.Engine();
  e.orderList = {};
  for (int k : {0, 1, 2, 3, 4}) e.orderList[size_t(k)] = std::array<int, 5>{3, 9, 0, 7, 2}[k];
  const size_t stored = 10 * 32;  // patterns 0 to 9
  // Every cell of the stored patterns gets a character of its column's kind.
  const String kinds[4] = {u"ysxdq2w<#+-.", u"0123456789abcdef", u"0123456789abcdef", u"0123"};
  unsigned seed = 12345;
  for (int i = 0; i < 16; ++i) {
    const String& kind = kinds[i / 4];
    for (size_t cell = 0; cell < stored; ++cell) {
      seed = seed * 1103515245u + 12345u;
      ColumnOf(e, i)[cell] = kind[(seed >> 16) % kind.size()];
    }
  }
  // Patterns 12 and 255 are not in the order list: not stored.
  s.t.WriteRow(2, 12 * 32 + 3, "q812");
  s.t.WriteRow(4, 255 * 32 + 31, "w9f3");
  e.songLengthRows = 5 * 32;
  e.songSpeed = 7;
  for (size_t k = 0; k < INSTRUMENT_TABLE_SIZE; ++k) e.instrumentTable[k] = int(k * 37 % 256);
  for (size_t j = 1; j < INSTRUMENT_DESCRIPTION_COUNT; ++j) {
    e.instrumentDescriptions[j] = Repeat(j % 22, 'a' + int(j % 26));
  }
  e.instrumentDescriptions[2] = u"\u00e4 \u00f6 \u00fc";

  const SongData saved = SongData::Of(e);
  ASSERT_EQ(s.Save("round.dat"), u"File Saved...");

  // Change everything a load replaces, and the state a load must keep.
  FillWithOldValues(e);
  e.undoIndex = 5;
  e.undoHistory[5].notes[1] = u"undo marker";
  e.currentInstrument = 4;
  e.editOctave = 1;
  e.voices[1].note = 12;
  e.voices[3].instrument = 2;
  e.voices[3].primarySound = e.sampleSaw.get();
  e.songFileName = u"other";

  ASSERT_EQ(s.Load("round.dat"), u"File Loaded...");
  EXPECT_EQ(e.songFileName, u"round.dat");

  for (int i = 0; i < 16; ++i) {
    SCOPED_TRACE(i);
    const String& column = ColumnOf(e, i);
    ASSERT_EQ(column.size(), size_t(COLUMN_CELLS));
    EXPECT_EQ(column.substr(0, stored), saved.columns[size_t(i)].substr(0, stored));
    EXPECT_EQ(column.substr(stored), Repeat(COLUMN_CELLS - stored, EmptyCellOf(i)));
  }
  EXPECT_EQ(e.orderList, saved.orderList);
  EXPECT_EQ(e.songLengthRows, 5 * 32);
  EXPECT_EQ(e.songSpeed, 7);
  for (size_t k = 0; k < 249; ++k) EXPECT_EQ(e.instrumentTable[k], saved.instrumentTable[k]) << k;
  for (size_t k = 249; k < INSTRUMENT_TABLE_SIZE; ++k) EXPECT_EQ(e.instrumentTable[k], 9) << k;
  for (size_t j = 1; j < INSTRUMENT_DESCRIPTION_COUNT; ++j) {
    String padded = saved.instrumentDescriptions[j];
    padded.resize(21, u' ');
    EXPECT_EQ(e.instrumentDescriptions[j], padded) << j;
  }
  EXPECT_EQ(e.instrumentDescriptions[0], u"old");

  EXPECT_EQ(e.undoIndex, 5);
  EXPECT_EQ(e.undoHistory[5].notes[1], u"undo marker");
  EXPECT_EQ(e.currentInstrument, 4);
  EXPECT_EQ(e.editOctave, 1);
  EXPECT_EQ(e.voices[1].note, 12);
  EXPECT_EQ(e.voices[3].instrument, 2);
  EXPECT_EQ(e.voices[3].primarySound, e.sampleSaw.get());
}

// The editor's keys: the name typed into the name box, F11 saves under it, F12 loads through the
// chooser and shows the song from its start.
TEST(SongLoading, TheEditorsKeysSaveAndLoad) {
  SongFolder s;
  c_SoundEngine& e = s.Engine();
  s.t.ClickAndUpdate(100, 450);
  for (char ch : std::string("song.dat")) {
    s.t.TypeChar(ch);
    s.t.Update();
  }
  s.t.TapKey(KEY_ENTER);
  ASSERT_EQ(e.songFileName, u"song.dat");

  e.orderList[0] = 2;
  e.orderList[1] = 1;
  e.songLengthRows = 3 * 32;
  s.t.WriteRow(1, 2 * 32, "q812");
  s.requester.AnswerConfirm(true);
  s.t.TapKey(KEY_F11);
  EXPECT_EQ(e.statusText, u"File Saved...");
  EXPECT_EQ(s.ReadSong("song.dat").size(), 1163u + 512u * 3u);

  // Another song in the editor, looked at further on.
  FillWithOldValues(e);
  e.songLengthRows = 4 * 32;
  e.songPosition = 2;
  e.rowOffset = 5;
  s.requester.calls.clear();
  s.requester.AnswerFile(FromLatin1(s.SongPath("song.dat")));
  s.t.TapKey(KEY_F12);
  EXPECT_EQ(e.statusText, u"File Loaded...");
  EXPECT_EQ(e.songPosition, 0);
  EXPECT_EQ(e.rowOffset, 0);
  EXPECT_EQ(e.songLengthRows, 3 * 32);
  EXPECT_EQ(DecodeNoteCell(e.trackNotes[1], 2 * 32), 12);

  ASSERT_EQ(s.requester.calls.size(), 1u);
  const ScriptedRequester::Call& call = s.requester.calls[0];
  EXPECT_EQ(call.kind, ScriptedRequester::Call::kRequestFile);
  EXPECT_EQ(call.title, u"Select a File from DATA/SONGS/ to Load!");
  EXPECT_EQ(call.filter, u"SongData:dat");
  EXPECT_FALSE(call.save);
  EXPECT_EQ(call.initialPath, u"data/songs/");

  // A cancelled chooser shows the start too, and the song stays.
  e.songPosition = 1;
  const SongData before = SongData::Of(e);
  s.t.TapKey(KEY_F12);
  EXPECT_EQ(e.statusText, u"Loading Failed!");
  EXPECT_EQ(e.songFileName, u"");
  EXPECT_EQ(e.songPosition, 0);
  EXPECT_TRUE(SongData::Of(e) == before);
}

// ---- Any file at all ----

struct LoadCase {
  const char* what;
  Bytes file;
  std::function<void(const c_SoundEngine&)> check;
};

void ExpectEmptyColumns(const c_SoundEngine& e) {
  for (int i = 0; i < 16; ++i) EXPECT_EQ(ColumnOf(e, i), Repeat(COLUMN_CELLS, EmptyCellOf(i))) << i;
}

TEST(SongLoading, AnyFileLoadsWithinItsText) {
  // A song of two patterns with values that need two bytes in UTF-8, for the encodings.
  const String song = Header(3, 9, 2) + Columns(2) + Repeat(1, 1) + Repeat(255, 0) +
                      Repeat(249, 130) + Descriptions(u'\u00fc');
  const auto checkSong = [](const c_SoundEngine& e) {
    EXPECT_EQ(e.songLengthRows, 96);
    EXPECT_EQ(e.songSpeed, 9);
    EXPECT_EQ(e.trackNotes[4], Repeat(64, 'q') + Repeat(8128, '.'));
    EXPECT_EQ(e.trackOctaves[1], Repeat(64, '1') + Repeat(8128, '0'));
    EXPECT_EQ(e.orderList[0], 1);
    EXPECT_EQ(e.orderList[1], 0);
    EXPECT_EQ(e.instrumentTable[248], 130);
    EXPECT_EQ(e.instrumentDescriptions[31], Repeat(21, 0xFC));
  };
  const Bytes png = RepoFile("data/button1.png");
  ASSERT_GT(png.size(), 100u);
  Bytes binary(6000);
  unsigned seed = 99;
  for (unsigned char& byte : binary) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<unsigned char>(seed >> 16);
  }
  binary[7] = 0xFF;  // never valid UTF-8: the bytes are read one character each

  std::vector<LoadCase> cases = {
      {"speed character 0 reads as speed 5",
       Utf8Bytes(Header(2, 0, 1) + Columns(1) + Repeat(256, 0) + Repeat(249, 0) +
                 Descriptions(' ')),
       [](const c_SoundEngine& e) {
         EXPECT_EQ(e.songSpeed, 5);
         EXPECT_EQ(e.songLengthRows, 64);
         EXPECT_EQ(e.trackNotes[1], Repeat(32, 'q') + Repeat(8160, '.'));
       }},
      {"ends inside the columns", Utf8Bytes(Header(2, 4, 1) + Repeat(40, 'q')),
       [](const c_SoundEngine& e) {
         EXPECT_EQ(e.trackNotes[1], Repeat(32, 'q') + Repeat(8160, '.'));
         EXPECT_EQ(e.trackNotes[2], Repeat(8, 'q') + Repeat(8160, '.'));
         EXPECT_EQ(e.trackNotes[3], Repeat(8160, '.'));
         EXPECT_EQ(e.trackVolumes[1], Repeat(8160, '0'));
         // Cells past the end of a short column read as empty text.
         EXPECT_EQ(CellAt(e.trackNotes[2], 8191), u"");
         EXPECT_EQ(DecodeNoteCell(e.trackNotes[2], 8191), 0);
         EXPECT_EQ(HexCellValue(e.trackVolumes[1], 8191), 0);
         EXPECT_EQ(e.orderList, (std::array<int, ORDER_LIST_SIZE>{}));
         for (size_t k = 0; k < 249; ++k) EXPECT_EQ(e.instrumentTable[k], 0) << k;
         for (size_t j = 1; j <= 31; ++j) EXPECT_EQ(e.instrumentDescriptions[j], u"") << j;
       }},
      {"ends inside the order list", Utf8Bytes(Header(1, 4, 1) + Columns(1) + Repeat(100, 3)),
       [](const c_SoundEngine& e) {
         EXPECT_EQ(e.trackOctaves[4], Repeat(32, '1') + Repeat(8160, '0'));
         EXPECT_EQ(e.orderList[99], 3);
         EXPECT_EQ(e.orderList[100], 0);
         EXPECT_EQ(e.orderList[255], 0);
         EXPECT_EQ(e.instrumentTable[0], 0);
         EXPECT_EQ(e.instrumentDescriptions[1], u"");
       }},
      {"ends inside the instrument table",
       Utf8Bytes(Header(1, 4, 1) + Columns(1) + Repeat(256, 0) + Repeat(100, 200)),
       [](const c_SoundEngine& e) {
         EXPECT_EQ(e.instrumentTable[99], 200);
         for (size_t k = 100; k < 249; ++k) EXPECT_EQ(e.instrumentTable[k], 0) << k;
         EXPECT_EQ(e.instrumentDescriptions[1], u"");
       }},
      {"ends inside the descriptions",
       Utf8Bytes(Header(1, 4, 1) + Columns(1) + Repeat(256, 0) + Repeat(249, 5) + Repeat(21, 'a') +
                 Repeat(21, 'b') + Repeat(8, 'c')),
       [](const c_SoundEngine& e) {
         EXPECT_EQ(e.instrumentTable[248], 5);
         EXPECT_EQ(e.instrumentDescriptions[1], Repeat(21, 'a'));
         EXPECT_EQ(e.instrumentDescriptions[2], Repeat(21, 'b'));
         EXPECT_EQ(e.instrumentDescriptions[3], Repeat(8, 'c'));
         for (size_t j = 4; j <= 31; ++j) EXPECT_EQ(e.instrumentDescriptions[j], u"") << j;
       }},
      {"no patterns stored (P = 0)",
       Utf8Bytes(Header(1, 4, 0) + Repeat(256, 3) + Repeat(249, 6) + Descriptions('d')),
       [](const c_SoundEngine& e) {
         ExpectEmptyColumns(e);
         EXPECT_EQ(e.orderList[0], 3);
         EXPECT_EQ(e.orderList[255], 3);
         EXPECT_EQ(e.instrumentTable[248], 6);
         EXPECT_EQ(e.instrumentDescriptions[31], Repeat(21, 'd'));
       }},
      {"more patterns than the grid holds (P = 300)",
       [] {
         String text = Header(1, 4, 300);
         for (int i = 0; i < 16; ++i) text += Repeat(8192, 'a' + i) + Repeat(9600 - 8192, 'Z');
         return Utf8Bytes(text + Repeat(256, 5) + Repeat(249, 6) + Descriptions('d'));
       }(),
       [](const c_SoundEngine& e) {
         for (int i = 0; i < 16; ++i) EXPECT_EQ(ColumnOf(e, i), Repeat(8192, 'a' + i)) << i;
         EXPECT_EQ(e.orderList[0], 5);
         EXPECT_EQ(e.orderList[255], 5);
         EXPECT_EQ(e.instrumentTable[0], 6);
         EXPECT_EQ(e.instrumentDescriptions[1], Repeat(21, 'd'));
       }},
      {"counts and order entries above 255",
       Utf8Bytes(Header(1000, 300, 1) + Columns(1) + Repeat(1, 300) + Repeat(1, 0xFFFF) +
                 Repeat(254, 0) + Repeat(1, 4000) + Repeat(248, 0) + Descriptions(' ')),
       [](const c_SoundEngine& e) {
         EXPECT_EQ(e.songLengthRows, 32000);
         EXPECT_EQ(e.songSpeed, 300);
         EXPECT_EQ(e.orderList[0], 300);
         EXPECT_EQ(e.orderList[1], 0xFFFF);
         EXPECT_EQ(e.instrumentTable[0], 4000);
       }},
      {"a file of another kind (a picture)", png,
       [png](const c_SoundEngine& e) {
         // Read one character per byte: the PNG signature is not UTF-8.
         EXPECT_EQ(e.songLengthRows, 32 * png[4]);
         EXPECT_EQ(e.songSpeed, png[5] == 0 ? 5 : png[5]);
         EXPECT_EQ(e.trackNotes[1].substr(0, 16), Latin1(png, 7, 16));
       }},
      {"binary data", binary,
       [binary](const c_SoundEngine& e) {
         EXPECT_EQ(e.songLengthRows, 32 * binary[4]);
         EXPECT_EQ(e.songSpeed, binary[5] == 0 ? 5 : binary[5]);
         const size_t r = 32 * size_t(binary[6]);
         EXPECT_EQ(e.trackNotes[1].substr(0, r), Latin1(binary, 7, r));
       }},
      {"UTF-8 with a byte-order mark",
       [&song] {
         Bytes bytes = {0xEF, 0xBB, 0xBF};
         const Bytes text = Utf8Bytes(song);
         bytes.insert(bytes.end(), text.begin(), text.end());
         return bytes;
       }(),
       checkSong},
      {"UTF-16 little endian", Utf16Bytes(song, false), checkSong},
      {"UTF-16 big endian with an odd last byte",
       [&song] {
         Bytes bytes = Utf16Bytes(song, true);
         bytes.push_back(0x42);
         return bytes;
       }(),
       checkSong},
      {"a single character", BytesOf("Q"),
       [](const c_SoundEngine& e) {
         EXPECT_EQ(e.songLengthRows, 0);
         EXPECT_EQ(e.songSpeed, 5);
         ExpectEmptyColumns(e);
         EXPECT_EQ(e.orderList[0], 0);
         EXPECT_EQ(e.instrumentTable[0], 0);
         EXPECT_EQ(e.instrumentDescriptions[1], u"");
       }},
  };

  SongFolder s;
  c_SoundEngine& e = s.Engine();
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.what);
    s.WriteSong("case.dat", c.file);
    FillWithOldValues(e);
    ASSERT_EQ(s.Load("case.dat"), u"File Loaded...");
    c.check(e);
    ExpectModelInvariants(e);

    // Whatever came in, the tracker draws it, plays it and goes back to editing.
    s.t.Update();
    s.t.Render();
    s.t.TapKey(KEY_F1);
    s.t.Update(60);
    s.t.Render();
    s.t.TapKey(KEY_F2);
    s.t.Update();
    s.t.Render();
    EXPECT_NE(e.engineMode, MODE_PLAYING);
  }
}

TEST(SongLoading, NothingToLoadLeavesTheSong) {
  struct Case {
    const char* what;
    // Prepares the folder and answers the chooser (or not); returns the name expected after.
    std::function<std::string(SongFolder&)> choose;
  };
  const Case cases[] = {
      {"an empty file",
       [](SongFolder& s) {
         s.WriteSong("empty.dat", {});
         s.requester.AnswerFile(FromLatin1(s.SongPath("empty.dat")));
         return std::string("empty.dat");
       }},
      {"a UTF-16 file holding only its byte-order mark",
       [](SongFolder& s) {
         s.WriteSong("mark.dat", {0xFF, 0xFE});
         s.requester.AnswerFile(FromLatin1(s.SongPath("mark.dat")));
         return std::string("mark.dat");
       }},
      {"a file that is not there",
       [](SongFolder& s) {
         s.requester.AnswerFile(FromLatin1(s.SongPath("missing.dat")));
         return std::string("missing.dat");
       }},
      {"a folder",
       [](SongFolder& s) {
         s.folder.MakeFolder("data/songs/sub");
         s.requester.AnswerFile(FromLatin1(s.SongPath("sub")));
         return std::string("sub");
       }},
      {"a cancelled chooser", [](SongFolder&) { return std::string(); }},
      {"a song outside the songs folder",
       [](SongFolder& s) {
         s.folder.Write("elsewhere/tune.dat", Utf8Bytes(Header(1, 4, 0) + Repeat(1200, 1)));
         const std::string path = s.PathOf("elsewhere/tune.dat");
         s.requester.AnswerFile(FromLatin1(path));
         return path.substr(1);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SongFolder s;
    c_SoundEngine& e = s.Engine();
    FillWithOldValues(e);
    e.songFileName = u"before";
    const SongData before = SongData::Of(e);
    const std::string name = c.choose(s);
    EXPECT_EQ(e.LoadSong(), u"Loading Failed!");
    EXPECT_EQ(e.songFileName, FromLatin1(name));
    EXPECT_TRUE(SongData::Of(e) == before);
  }
}

TEST(SongLoading, TheNameIsWhatFollowsTheLastSongsFolder) {
  const std::pair<const char*, const char*> cases[] = {
      {"/home/u/vexa/data/songs/tune.dat", "tune.dat"},
      {"/home/u/vexa/data/songs/sub/deep/tune.dat", "sub/deep/tune.dat"},
      {"/a/songs/b/songs/tune.dat", "tune.dat"},
      {"/a/mysongs/tune.dat", "tune.dat"},  // the five characters before the "/" decide
      {"/a/Songs/tune.dat", "a/Songs/tune.dat"},
      {"/home/u/tune.dat", "home/u/tune.dat"},
      {"/a/songs", "a/songs"},
      {"songs/", ""},
      {"x", ""},
      {"", ""},
  };
  for (const auto& [path, name] : cases) {
    EXPECT_EQ(SongNameFromPath(FromLatin1(path)), FromLatin1(name)) << path;
  }

  // A song in a subfolder of the songs folder loads under its subfolder.
  SongFolder s;
  s.WriteSong("sub/tune.dat", Utf8Bytes(Header(2, 6, 1) + Columns(1)));
  EXPECT_EQ(s.Load("sub/tune.dat"), u"File Loaded...");
  EXPECT_EQ(s.Engine().songFileName, u"sub/tune.dat");
  EXPECT_EQ(s.Engine().songSpeed, 6);
}

}  // namespace

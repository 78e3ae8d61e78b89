// Saving songs: the file byte for byte, the status texts, and that a failed save never harms the
// song already on disk nor ends the program.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "host/input/key_codes.h"
#include "tests/songfiles/song_folder.h"
#include "tests/support/in_child.h"

namespace {

namespace fs = std::filesystem;

const String kTitle = u"File Operation";
const String kMessage = u"There might be an existing File ! Do you really want to continue ?";

void Append(Bytes& bytes, size_t count, unsigned char value) {
  bytes.insert(bytes.end(), count, value);
}

void Append(Bytes& bytes, const Bytes& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
}

// The empty song's file, written out from the layout: magic, one position, speed 4, one
// pattern, 32 cells in each of the sixteen columns, 256 order entries, 249 table elements and
// 31 descriptions of 21 spaces.
Bytes EmptySongFile() {
  Bytes bytes = BytesOf("QNT1");
  Append(bytes, {1, 4, 1});
  Append(bytes, 4 * 32, '.');
  Append(bytes, 12 * 32, '0');
  Append(bytes, 256 + 249, 0);
  Append(bytes, 31 * 21, ' ');
  return bytes;
}

Bytes Slice(const Bytes& bytes, size_t at, size_t count) {
  if (at >= bytes.size()) return Bytes();
  return Bytes(bytes.begin() + static_cast<long>(at),
               bytes.begin() + static_cast<long>(std::min(bytes.size(), at + count)));
}

TEST(SongSaving, TheEmptySongIsExactlyItsLayout) {
  SongFolder s;
  // Neither description 0 nor table elements 249 to 254 are stored.
  s.Engine().instrumentDescriptions[0] = u"not stored";
  for (size_t k = 249; k < INSTRUMENT_TABLE_SIZE; ++k) s.Engine().instrumentTable[k] = 77;

  EXPECT_EQ(s.Save("empty.dat"), u"File Saved...");
  const Bytes file = s.ReadSong("empty.dat");
  EXPECT_EQ(file.size(), 1675u);
  EXPECT_EQ(file, EmptySongFile());
}

TEST(SongSaving, StoresThePatternsUpToTheHighestInTheOrderList) {
  SongFolder s;
  s.Engine().orderList[5] = 200;
  s.t.WriteRow(1, 200 * 32, "q812");
  s.t.WriteRow(4, 200 * 32 + 31, "w9f3");
  s.t.WriteRow(2, 201 * 32, "e111");  // pattern 201 is not reached, so not stored

  ASSERT_EQ(s.Save("p201.dat"), u"File Saved...");
  const Bytes file = s.ReadSong("p201.dat");
  const size_t r = 201 * 32;
  // 1163 + 512 * 201 characters; P and the order entry 200 take two bytes each.
  ASSERT_EQ(file.size(), 1163u + 512u * 201u + 2u);
  EXPECT_EQ(Slice(file, 0, 8), Bytes({'Q', 'N', 'T', '1', 1, 4, 0xC3, 0x89}));

  // Column i starts at byte 8 + i * R.
  auto cell = [&](int column, size_t index) { return file[8 + column * r + index]; };
  EXPECT_EQ(cell(0, 6400), 'q');
  EXPECT_EQ(cell(4, 6400), '8');
  EXPECT_EQ(cell(8, 6400), '1');
  EXPECT_EQ(cell(12, 6400), '2');
  EXPECT_EQ(cell(3, 6431), 'w');
  EXPECT_EQ(cell(7, 6431), '9');
  EXPECT_EQ(cell(11, 6431), 'f');
  EXPECT_EQ(cell(15, 6431), '3');
  EXPECT_EQ(cell(1, 6400), '.');
  EXPECT_EQ(cell(15, 6430), '0');

  const size_t order = 8 + 16 * r;
  EXPECT_EQ(Slice(file, order, 8), Bytes({0, 0, 0, 0, 0, 0xC3, 0x88, 0}));
  Bytes tail(256 - 6 + 249, 0);
  Append(tail, 31 * 21, ' ');
  EXPECT_EQ(Slice(file, order + 7, tail.size() + 1), tail);
}

TEST(SongSaving, NumbersFrom128OnTakeMoreThanOneByte) {
  struct Case {
    int value;
    Bytes bytes;
  };
  const Case cases[] = {
      {127, {0x7F}},        {128, {0xC2, 0x80}},        {191, {0xC2, 0xBF}},
      {192, {0xC3, 0x80}},  {255, {0xC3, 0xBF}},        {256, {0xC4, 0x80}},
      {2047, {0xDF, 0xBF}}, {2048, {0xE0, 0xA0, 0x80}}, {65535, {0xEF, 0xBF, 0xBF}},
  };
  SongFolder s;
  const size_t table = 7 + 16 * 32 + 256;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    s.Engine().instrumentTable[0] = c.value;
    ASSERT_EQ(s.Save("numbers.dat"), u"File Saved...");
    const Bytes file = s.ReadSong("numbers.dat");
    EXPECT_EQ(file.size(), 1674u + c.bytes.size());
    Bytes expected = c.bytes;
    expected.push_back(0);  // element 1
    EXPECT_EQ(Slice(file, table, expected.size()), expected);
  }
}

TEST(SongSaving, PatternCountIsAtMost256) {
  // The order entry 255 uses the last pattern; an entry above it (left by a loaded file) names
  // no pattern, so no more than the 256 patterns there are can be stored.
  struct Case {
    int entry;
    Bytes entryBytes;
  };
  const Case cases[] = {{255, {0xC3, 0xBF}}, {300, {0xC4, 0xAC}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    SongFolder s;
    s.Engine().orderList[98] = c.entry;
    ASSERT_EQ(s.Save("p256.dat"), u"File Saved...");
    const Bytes file = s.ReadSong("p256.dat");
    ASSERT_EQ(file.size(), 1163u + 512u * 256u + 2u);
    EXPECT_EQ(Slice(file, 4, 4), Bytes({1, 4, 0xC4, 0x80}));
    EXPECT_EQ(Slice(file, 8 + 16 * 8192 + 98, 2), c.entryBytes);
  }
}

TEST(SongSaving, DescriptionsAreFieldsOf21Characters) {
  SongFolder s;
  c_SoundEngine& e = s.Engine();
  e.instrumentDescriptions[1] = u"abc";
  e.instrumentDescriptions[2] = u"\u00fc";
  e.instrumentDescriptions[31] = String(21, u'x');
  // Description 3 typed through the editor's description box, ending with Enter.
  e.currentInstrument = 3;
  s.t.ClickAndUpdate(500, 130);
  for (int ch : {int('h'), 0xFC}) {
    s.t.TypeChar(ch);
    s.t.Update();
  }
  s.t.TapKey(KEY_ENTER);
  ASSERT_FALSE(e.descriptionEntry);

  ASSERT_EQ(s.Save("described.dat"), u"File Saved...");
  const Bytes file = s.ReadSong("described.dat");
  Bytes expected = BytesOf("abc" + std::string(18, ' '));
  Append(expected, BytesOf("\xC3\xBC" + std::string(20, ' ')));
  Append(expected, BytesOf("h\xC3\xBC" + std::string(19, ' ')));
  Append(expected, 27 * 21, ' ');
  Append(expected, BytesOf(std::string(21, 'x')));
  const size_t descriptions = 7 + 16 * 32 + 256 + 249;
  EXPECT_EQ(file.size(), descriptions + expected.size());
  EXPECT_EQ(Slice(file, descriptions, expected.size()), expected);
}

TEST(SongSaving, StatusTextsAndTheConfirmation) {
  SongFolder s;
  c_SoundEngine& e = s.Engine();

  // No name: nothing is asked and nothing written.
  EXPECT_EQ(e.SaveSong(String()), u"Enter a Name...");
  EXPECT_TRUE(s.requester.calls.empty());
  EXPECT_TRUE(s.SongFolderEntries().empty());

  // The confirmation is asked whether or not the file exists; refusing it writes nothing.
  s.WriteSong("tune.dat", BytesOf("old song"));
  for (const char* name : {"tune.dat", "fresh.dat"}) {
    SCOPED_TRACE(name);
    s.requester.calls.clear();
    s.requester.AnswerConfirm(false);
    EXPECT_EQ(e.SaveSong(FromLatin1(name)), u"Save Failed...");
    ASSERT_EQ(s.requester.calls.size(), 1u);
    const ScriptedRequester::Call& call = s.requester.calls[0];
    EXPECT_EQ(call.kind, ScriptedRequester::Call::kConfirmDialog);
    EXPECT_EQ(call.title, kTitle);
    EXPECT_EQ(call.message, kMessage);
    EXPECT_FALSE(call.serious);
  }
  EXPECT_EQ(s.ReadSong("tune.dat"), BytesOf("old song"));
  EXPECT_EQ(s.SongFolderEntries(), std::vector<std::string>({"tune.dat"}));

  EXPECT_EQ(s.Save("fresh.dat"), u"File Saved...");
  EXPECT_EQ(s.ReadSong("fresh.dat"), EmptySongFile());
}

// Saving over an existing song replaces it whole, keeps its permissions, leaves no temporary
// file and never touches a file that happens to carry the temporary name.
TEST(SongSaving, SavingOverASongReplacesItWhole) {
  SongFolder s;
  s.WriteSong("tune.dat", Bytes(5000, 'z'));
  ASSERT_EQ(chmod(s.SongPath("tune.dat").c_str(), 0640), 0);
  s.WriteSong(".tune.dat.saving", BytesOf("someone else's"));

  ASSERT_EQ(s.Save("tune.dat"), u"File Saved...");
  EXPECT_EQ(s.ReadSong("tune.dat"), EmptySongFile());
  struct stat info;
  ASSERT_EQ(stat(s.SongPath("tune.dat").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(s.ReadSong(".tune.dat.saving"), BytesOf("someone else's"));
  EXPECT_EQ(s.SongFolderEntries(), std::vector<std::string>({".tune.dat.saving", "tune.dat"}));
}

// Runs F11 in a child process whose files may grow to at most limit bytes, then one more update.
// A write past the limit raises SIGXFSZ, which ends a process unless it ignores the signal. Returns
// the status line the child ended with, or a note of how it ended when it did not end normally.
std::string SaveInChild(SongFolder& s, rlim_t limit) {
  return vexa_test::InChild([&] {
    signal(SIGXFSZ, SIG_DFL);
    const rlimit size{limit, limit};
    setrlimit(RLIMIT_FSIZE, &size);
    s.requester.AnswerConfirm(true);
    s.t.TapKey(KEY_F11);
    s.t.Update();
    std::string status = ToLatin1(s.Engine().statusText);
    struct sigaction after {};
    sigaction(SIGXFSZ, nullptr, &after);
    if (after.sa_handler != SIG_DFL) status += " (SIGXFSZ left changed)";
    return status;
  });
}

TEST(SongSaving, AFailedWriteKeepsTheOldSongAndTheProgramGoesOn) {
  struct Case {
    const char* what;
    int highestPattern;  // 0: the 1675-byte song; 255: 132 KB
    rlim_t limit;
    const char* status;
  };
  // The C library keeps a write that fails in its buffer and reports it at the flush, unless
  // the very first write of a large text fails: then the write itself reports no progress.
  const Case cases[] = {
      {"small song, held in the buffer, fails at the flush", 0, 1000, "Saving Failed!"},
      {"large song, cut off part-way, fails at the flush", 255, 20000, "Saving Failed!"},
      {"large song, its first write fails", 255, 0, "Saving Failed!"},
      {"large song without a limit", 255, RLIM_INFINITY, "File Saved..."},
  };
  const Bytes oldSong = BytesOf("the old song, byte for byte\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SongFolder s;
    s.Engine().songFileName = u"tune.dat";
    s.Engine().orderList[0] = c.highestPattern;
    s.WriteSong("tune.dat", oldSong);

    EXPECT_EQ(SaveInChild(s, c.limit), c.status);
    EXPECT_EQ(s.SongFolderEntries(), std::vector<std::string>({"tune.dat"}));
    if (std::string(c.status) == "Saving Failed!") {
      EXPECT_EQ(s.ReadSong("tune.dat"), oldSong);
    } else {
      EXPECT_EQ(s.ReadSong("tune.dat").size(), 1163u + 512u * 256u + 2u);
    }
  }
}

TEST(SongSaving, ATargetThatCannotBeReplacedKeepsWhatIsThere) {
  // The song's name is taken by a folder: the complete temporary file cannot be renamed over it.
  SongFolder s;
  s.WriteSong("tune.dat/inner", BytesOf("inside"));
  EXPECT_EQ(s.Save("tune.dat"), u"Saving Failed!");
  EXPECT_TRUE(fs::is_directory(s.SongPath("tune.dat")));
  EXPECT_EQ(s.ReadSong("tune.dat/inner"), BytesOf("inside"));
  EXPECT_EQ(s.SongFolderEntries(), std::vector<std::string>({"tune.dat"}));
}

TEST(SongSaving, AFolderThatCannotTakeTheFileGivesSavingFailed) {
  struct Case {
    const char* what;
    const char* name;
    void (*prepare)(SongFolder&);
  };
  const Case cases[] = {
      {"no songs folder", "tune.dat", [](SongFolder& s) { fs::remove(s.SongPath("")); }},
      {"songs is a file", "tune.dat",
       [](SongFolder& s) {
         fs::remove(s.SongPath(""));
         s.folder.Write("data/songs", BytesOf("a file"));
       }},
      {"a subfolder that does not exist", "sub/tune.dat", [](SongFolder&) {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SongFolder s;
    c.prepare(s);
    EXPECT_EQ(s.Save(c.name), u"Saving Failed!");
    EXPECT_FALSE(fs::exists(s.SongPath(c.name)));
  }
}

}  // namespace

// Song files that went wrong, and folders that cannot take a song:
//
// - a song the tracker saved, cut off after every single byte (also inside the two- and
//   three-byte characters), random bytes, saved songs with bytes changed at random, and files
//   whose counts are as large as a character can make them: each loads through the file chooser
//   without a read outside its text, and the tracker then draws, plays and edits what it got
//   without handing the sound device anything but finite values;
// - a save into a folder that is full (a small tmpfs), into a read-only file system, and over a
//   song file that is write-protected: each answers "Saving Failed!" and keeps the old song.
//
// A save into a folder whose files may not grow (RLIMIT_FSIZE), into a missing folder and over a
// folder of the song's name are tested with the song files themselves (tests/songfiles).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "host/input/key_codes.h"
#include "tests/soak/soak.h"
#include "tests/songfiles/song_folder.h"
#include "tests/support/in_child.h"
#include "tracker/song_text.h"

namespace {

namespace fs = std::filesystem;
using vexa_test::InChild;

// A saved song of four patterns whose cells, table and descriptions need one, two and three
// bytes per character.
Bytes SavedSong(SongFolder& s) {
  c_SoundEngine& e = s.Engine();
  e.orderList = {};
  for (int k = 0; k < 6; ++k) e.orderList[static_cast<size_t>(k)] = (k * 3) % 4;
  e.songLengthRows = 6 * 32;
  e.songSpeed = 5;
  const std::u16string kinds[4] = {u"ysxdq2w<#+-.\u00fc\uffff", u"0123456789ABCDEF\u0100",
                                   u"0123456789ABCDEF", u"0123\u00e4"};
  std::mt19937 rng(5);
  for (int i = 0; i < 16; ++i) {
    for (size_t cell = 0; cell < 4 * 32; ++cell) {
      ColumnOf(e, i)[cell] = kinds[i / 4][rng() % kinds[i / 4].size()];
    }
  }
  for (size_t k = 0; k < 249; ++k) e.instrumentTable[k] = static_cast<int>(rng() % 256);
  for (size_t j = 1; j < 32; ++j)
    e.instrumentDescriptions[j] = u"d\u00fcr\u00f6 " + String(j % 16, u'x');
  EXPECT_EQ(s.Save("real.dat"), u"File Saved...");
  return s.ReadSong("real.dat");
}

// Whatever a load left, the tracker draws it, plays it for a while, stops, and edits it: a note,
// a volume digit, a copy and a paste. Writing never changes a column's length. Empty when all
// went well, else what went wrong.
std::string Exercise(SongFolder& s) {
  TrackerFixture& t = s.t;
  c_SoundEngine& e = s.Engine();
  std::array<size_t, 16> lengths{};
  for (int i = 0; i < 16; ++i) lengths[static_cast<size_t>(i)] = ColumnOf(e, i).size();
  t.audio.Clear();
  t.Update();
  t.Render();
  t.TapKey(KEY_F1);
  t.Update(40);
  t.Render();
  t.TapKey(KEY_F1);
  t.TapKey(KEY_SPACE);
  t.TypeChar('q');
  t.Update();
  t.TapKey(KEY_RIGHT);
  t.TypeChar('c');
  t.Update();
  t.TapKey(KEY_F9);
  t.TapKey(KEY_TAB);
  t.TapKey(KEY_F10);
  t.TapKey(KEY_SPACE);
  t.Update();
  t.Render();
  t.graphics.Clear();
  for (const AudioCall& call : t.audio.calls) {
    if ((call.op == AudioOp::Gain || call.op == AudioOp::Pitch) && !std::isfinite(call.value)) {
      return "a value that is not finite reached the sound device";
    }
    if (call.channel < 1 || call.channel > 8)
      return "a call on channel " + std::to_string(call.channel);
  }
  t.audio.Clear();
  for (int i = 0; i < 16; ++i) {
    const size_t size = ColumnOf(e, i).size();
    if (size > static_cast<size_t>(COLUMN_CELLS)) return "a column of " + std::to_string(size);
    if (size != lengths[static_cast<size_t>(i)] && size != static_cast<size_t>(COLUMN_CELLS)) {
      return "column " + std::to_string(i) + " changed its length to " + std::to_string(size);
    }
  }
  for (size_t j = 1; j < INSTRUMENT_DESCRIPTION_COUNT; ++j) {
    if (e.instrumentDescriptions[j].size() > 21) return "a description longer than 21";
  }
  return std::string();
}

// Loads the bytes through the file chooser and exercises the result; empty when all went well.
std::string LoadAndExercise(SongFolder& s, const Bytes& file, bool mayFail) {
  s.WriteSong("broken.dat", file);
  const String status = s.Load("broken.dat");
  if (status != u"File Loaded..." && !(mayFail && status == u"Loading Failed!")) {
    return "status " + EncodeUtf8(status);
  }
  return Exercise(s);
}

// What a song text cut after m characters must give, by the file layout: the header's values
// where they are in the text, each column's stored cells as far as the text reaches (followed by
// the empty cells of the patterns not stored), the order entries, table elements and
// descriptions the text holds. Differences are described; empty when there are none.
std::string CompareWithLayout(const c_SoundEngine& e, const String& text, size_t m) {
  const auto code = [&](size_t at) { return at < m ? static_cast<int>(text[at]) : 0; };
  std::string differences;
  const auto expect = [&](bool same, const std::string& what) {
    if (!same) differences += what + "; ";
  };
  expect(e.songLengthRows == 32 * code(4), "song length");
  expect(e.songSpeed == (code(5) == 0 ? 5 : code(5)), "speed");
  const size_t p = static_cast<size_t>(code(6));
  const size_t r = 32 * p;
  for (size_t k = 0; k < 16; ++k) {
    const size_t offset = 7 + k * r;
    const size_t available = offset < m ? std::min(r, m - offset) : 0;
    const String expected = text.substr(std::min(offset, text.size()), available) +
                            String(32 * (256 - p), k < 4 ? u'.' : u'0');
    expect(ColumnOf(e, static_cast<int>(k)) == expected, "column " + std::to_string(k));
  }
  const size_t order = 7 + 16 * r;
  for (size_t j = 0; j < 256 && order + j < m; ++j) {
    expect(e.orderList[j] == code(order + j), "order entry " + std::to_string(j));
  }
  const size_t table = order + 256;
  for (size_t j = 0; j < 249 && table + j < m; ++j) {
    expect(e.instrumentTable[j] == code(table + j), "table element " + std::to_string(j));
  }
  const size_t descriptions = table + 249;
  for (size_t j = 1; j < 32; ++j) {
    const size_t at = descriptions + 21 * (j - 1);
    const String expected = at < m ? text.substr(at, std::min<size_t>(21, m - at)) : String();
    expect(e.instrumentDescriptions[j] == expected, "description " + std::to_string(j));
  }
  return differences;
}

TEST(BrokenSongFiles, ASavedSongCutOffAfterEveryByteLoads) {
  SongFolder s;
  const Bytes full = SavedSong(s);
  const String text = BuildSongText(s.Engine());
  ASSERT_TRUE(Utf8Bytes(text) == full);
  ASSERT_GT(full.size(), text.size());  // some characters took more than one byte
  // Where each character ends in the file: a cut there leaves valid UTF-8, the first m
  // characters of the song. A cut inside a character leaves no valid UTF-8, and the file is
  // then read one character per byte.
  std::vector<size_t> charactersBefore(full.size() + 1, SIZE_MAX);
  size_t bytes = 0;
  charactersBefore[0] = 0;
  for (size_t m = 0; m < text.size(); ++m) {
    bytes += text[m] < 0x80 ? 1 : text[m] < 0x800 ? 2 : 3;
    charactersBefore[bytes] = m + 1;
  }
  size_t compared = 0;
  for (size_t n = 0; n <= full.size(); ++n) {
    SCOPED_TRACE("first " + std::to_string(n) + " bytes");
    s.WriteSong("broken.dat", Bytes(full.begin(), full.begin() + static_cast<long>(n)));
    const String status = s.Load("broken.dat");
    ASSERT_EQ(EncodeUtf8(status), n == 0 ? "Loading Failed!" : "File Loaded...");
    if (n > 0 && charactersBefore[n] != SIZE_MAX) {
      ASSERT_EQ(CompareWithLayout(s.Engine(), text, charactersBefore[n]), "");
      ++compared;
    }
    const std::string problem = Exercise(s);
    ASSERT_EQ(problem, "");
  }
  EXPECT_EQ(compared, text.size());
}

TEST(BrokenSongFiles, RandomBytesAndDamagedSongsLoad) {
  SongFolder s;
  const Bytes full = SavedSong(s);
  std::mt19937 rng(77);
  const int files = SoakAmount(2000, 100000);
  for (int n = 0; n < files; ++n) {
    SCOPED_TRACE("file " + std::to_string(n));
    Bytes file;
    if (n % 2 == 0) {  // random bytes of random length, sometimes long
      file.resize(rng() % (n % 10 == 0 ? 70000 : 4000));
      for (unsigned char& byte : file) byte = static_cast<unsigned char>(rng());
      // Some start like a song or a UTF-16 text.
      if (n % 6 == 0 && file.size() >= 4) std::memcpy(file.data(), "QNT1", 4);
      if (n % 8 == 0 && file.size() >= 2) file[0] = 0xFF, file[1] = 0xFE;
    } else {  // the saved song with some bytes changed, dropped or added
      file = full;
      for (int k = 1 + static_cast<int>(rng() % 12); k > 0; --k) {
        const size_t at = rng() % file.size();
        switch (rng() % 3) {
          case 0:
            file[at] = static_cast<unsigned char>(rng());
            break;
          case 1:
            file.erase(file.begin() + static_cast<long>(at));
            break;
          default:
            file.insert(file.begin() + static_cast<long>(at), static_cast<unsigned char>(rng()));
        }
      }
    }
    const std::string problem = LoadAndExercise(s, file, true);
    ASSERT_EQ(problem, "");
  }
}

// UTF-16 little-endian text with a byte-order mark, for characters up to U+FFFF.
Bytes Utf16(const std::u16string& text) {
  Bytes bytes = {0xFF, 0xFE};
  for (char16_t unit : text) {
    bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
    bytes.push_back(static_cast<unsigned char>(unit >> 8));
  }
  return bytes;
}

TEST(BrokenSongFiles, HugeCountsLoadWithinTheGrid) {
  struct Case {
    const char* what;
    Bytes file;
  };
  const std::u16string most(1, u'\uffff');
  const std::vector<Case> cases = {
      {"every count U+FFFF, text ends after the header", Utf16(u"QNT1" + most + most + most)},
      {"P = U+FFFF and a megabyte of cells",
       Utf16(u"QNT1\u0010\u0004\uffff" + std::u16string(1 << 19, u'q'))},
      {"P = 257 with all the sections",
       Utf16(u"QNT1\u0001\u0004\u0101" + std::u16string(16 * 32 * 257, u'w') +
             std::u16string(256, u'\uffff') + std::u16string(249, u'\uffff') +
             std::u16string(31 * 21, u'\uffff'))},
      {"order entries and parameters of U+FFFF in UTF-8",
       [&] {
         std::u16string text = u"QNT1\u0063\u0010\u0001" + std::u16string(16 * 32, u'e') +
                               std::u16string(256, u'\uffff') + std::u16string(249, u'\uffff');
         return Utf8Bytes(text + std::u16string(31 * 21, u'\uffff'));
       }()},
      {"positions 0, speed 0, P 0", Bytes{'Q', 'N', 'T', '1', 0, 0, 0}},
  };
  SongFolder s;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string problem = LoadAndExercise(s, c.file, false);
    EXPECT_EQ(problem, "");
  }
}

// ---- Saving where the song cannot go ----

bool WriteText(const char* path, const std::string& text) {
  const int fd = open(path, O_WRONLY);
  if (fd < 0) return false;
  const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  return ok;
}

// A user and mount namespace of the child's own, with this user as its root: mounts made there
// are seen by nobody else. Empty when it worked.
std::string OwnMountNamespace() {
  const uid_t uid = getuid();
  const gid_t gid = getgid();
  if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
    return std::string("skip: no user namespaces here (") + std::strerror(errno) + ")";
  }
  WriteText("/proc/self/setgroups", "deny");
  if (!WriteText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
      !WriteText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
    return "skip: cannot map the user into the namespace";
  }
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    return std::string("skip: cannot make the mounts private (") + std::strerror(errno) + ")";
  }
  return std::string();
}

// The status of a confirmed save of "tune.dat", whether the old song is still there byte for
// byte, and the names in the songs folder.
std::string SaveAndLook(SongFolder& s, const Bytes& oldSong) {
  std::ifstream before(s.SongPath("tune.dat"), std::ios::binary);
  const std::string status = EncodeUtf8(s.Save("tune.dat"));
  std::ifstream in(s.SongPath("tune.dat"), std::ios::binary);
  const Bytes now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string names;
  for (const std::string& name : s.SongFolderEntries()) names += " " + name;
  return status + (now == oldSong ? ", old song kept" : ", old song changed") + ", folder:" + names;
}

const Bytes OLD_SONG = BytesOf("the old song, byte for byte\n");

TEST(SavingIntoTroubledFolders, AFullFolderKeepsTheOldSong) {
  // Small songs fail when the C library's buffer is written out at the end; the largest song
  // (all 256 patterns, 132 KB) fails part-way through its writes.
  for (int highestPattern : {0, 255}) {
    SCOPED_TRACE("highest pattern " + std::to_string(highestPattern));
    SongFolder s;
    s.Engine().orderList[0] = highestPattern;
    const std::string report = InChild([&]() -> std::string {
      const std::string own = OwnMountNamespace();
      if (!own.empty()) return own;
      const std::string songs = s.SongPath("");
      if (mount("vexa-full", songs.c_str(), "tmpfs", 0, "size=16k") != 0) {
        return std::string("skip: cannot mount a tmpfs (") + std::strerror(errno) + ")";
      }
      s.WriteSong("tune.dat", OLD_SONG);
      // Fill the rest of the folder's file system.
      const int filler = open(s.SongPath("filler").c_str(), O_CREAT | O_WRONLY, 0644);
      const std::vector<char> block(1024, 'f');
      while (filler >= 0 && write(filler, block.data(), block.size()) > 0) {
      }
      if (filler >= 0) close(filler);
      return SaveAndLook(s, OLD_SONG);
    });
    if (report.rfind("skip:", 0) == 0) GTEST_SKIP() << report;
    EXPECT_EQ(report, "Saving Failed!, old song kept, folder: filler tune.dat");
  }
}

TEST(SavingIntoTroubledFolders, AReadOnlyFileSystemKeepsTheOldSong) {
  SongFolder s;
  s.WriteSong("tune.dat", OLD_SONG);
  const std::string report = InChild([&]() -> std::string {
    const std::string own = OwnMountNamespace();
    if (!own.empty()) return own;
    const std::string songs = s.SongPath("");
    if (mount(songs.c_str(), songs.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount(nullptr, songs.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
      return std::string("skip: cannot make a read-only mount (") + std::strerror(errno) + ")";
    }
    return SaveAndLook(s, OLD_SONG);
  });
  if (report.rfind("skip:", 0) == 0) GTEST_SKIP() << report;
  EXPECT_EQ(report, "Saving Failed!, old song kept, folder: tune.dat");
}

// Drops the capabilities that let a privileged user write files regardless of their
// permissions; for any other user there are none to drop.
bool DropFilePrivileges() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  if (syscall(SYS_capget, &header, data) != 0) return false;
  for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
    data[cap / 32].effective &= ~(1u << (cap % 32));
    data[cap / 32].permitted &= ~(1u << (cap % 32));
    data[cap / 32].inheritable &= ~(1u << (cap % 32));
  }
  return syscall(SYS_capset, &header, data) == 0;
}

TEST(SavingIntoTroubledFolders, AWriteProtectedSongIsNotReplaced) {
  // The user took away the write permission of a song to keep it: a save under its name fails
  // as opening the file for writing does, instead of putting a new file in its place.
  SongFolder s;
  s.WriteSong("tune.dat", OLD_SONG);
  ASSERT_EQ(chmod(s.SongPath("tune.dat").c_str(), 0444), 0);
  const std::string report = InChild([&]() -> std::string {
    if (!DropFilePrivileges()) return "skip: cannot drop the file privileges";
    return SaveAndLook(s, OLD_SONG);
  });
  if (report.rfind("skip:", 0) == 0) GTEST_SKIP() << report;
  EXPECT_EQ(report, "Saving Failed!, old song kept, folder: tune.dat");
  // A song that may be written is replaced as usual.
  ASSERT_EQ(chmod(s.SongPath("tune.dat").c_str(), 0644), 0);
  EXPECT_EQ(InChild([&]() -> std::string {
              if (!DropFilePrivileges()) return "cannot drop the file privileges";
              return SaveAndLook(s, OLD_SONG);
            }),
            "File Saved..., old song changed, folder: tune.dat");
}

}  // namespace

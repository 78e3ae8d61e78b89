// File streams on real files: the four open modes, positions and lengths, UTF-8 text writes,
// and byte buffers.
#include "runtime/stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "runtime/data_buffer.h"
#include "tests/e2e/process.h"
#include "tests/support/test_game.h"

namespace vexa_test {
namespace {

class FileStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.Path().empty());
    std::filesystem::create_directories(DataDir());
  }
  std::string DataDir() const { return dir.Path() + "/data"; }
  std::string FilePath(const std::string& name) const { return DataDir() + "/" + name; }
  static String RuntimePath(const std::string& name) {
    return u"taliscor://data/" + FromLatin1(name);
  }

  TempDir dir;
  TestGame game{FromLatin1(dir.Path())};
};

TEST_F(FileStreamTest, UnknownModeFailsWithoutTouchingTheFileSystem) {
  EXPECT_EQ(OpenFileStream(RuntimePath("x.txt"), u"x"), nullptr);
  EXPECT_EQ(OpenFileStream(RuntimePath("x.txt"), u"rw"), nullptr);
  EXPECT_EQ(OpenFileStream(RuntimePath("x.txt"), u""), nullptr);
  EXPECT_FALSE(std::filesystem::exists(FilePath("x.txt")));
}

TEST_F(FileStreamTest, ReadModeNeedsAnExistingFile) {
  EXPECT_EQ(OpenFileStream(RuntimePath("missing.txt"), u"r"), nullptr);
  EXPECT_FALSE(std::filesystem::exists(FilePath("missing.txt")));
  ASSERT_TRUE(WriteFile(FilePath("seven.txt"), "1234567"));
  auto stream = OpenFileStream(RuntimePath("seven.txt"), u"r");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->Host()->Length(), 7);
  EXPECT_EQ(stream->Host()->Position(), 0);
  // A read-only stream takes no writes.
  EXPECT_THROW(stream->WriteText(u"x", u"utf8"), c_StreamWriteError);
}

TEST_F(FileStreamTest, WriteModeCreatesOrTruncates) {
  ASSERT_TRUE(WriteFile(FilePath("old.txt"), "old content"));
  auto stream = OpenFileStream(RuntimePath("old.txt"), u"w");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->Host()->Length(), 0);
  stream->WriteText(u"new", u"utf8");
  stream->Close();
  EXPECT_EQ(ReadFile(FilePath("old.txt")), "new");

  auto created = OpenFileStream(RuntimePath("created.txt"), u"w");
  ASSERT_NE(created, nullptr);
  created->Close();
  EXPECT_EQ(ReadFile(FilePath("created.txt")), "");
}

TEST_F(FileStreamTest, UpdateModeCreatesMissingFileAndKeepsExistingContent) {
  auto created = OpenFileStream(RuntimePath("u-new.txt"), u"u");
  ASSERT_NE(created, nullptr);
  EXPECT_TRUE(std::filesystem::exists(FilePath("u-new.txt")));
  created->Close();

  ASSERT_TRUE(WriteFile(FilePath("u.txt"), "abcdef"));
  auto stream = OpenFileStream(RuntimePath("u.txt"), u"u");
  ASSERT_NE(stream, nullptr);
  BBFileStream* host = stream->Host();
  EXPECT_EQ(host->Position(), 0);
  EXPECT_EQ(host->Length(), 6);
  EXPECT_EQ(host->Eof(), 0);
  stream->WriteText(u"XY", u"utf8");  // overwrites in place
  EXPECT_EQ(host->Position(), 2);
  EXPECT_EQ(host->Length(), 6);
  // Reading right after writing on the same stream continues where the write ended.
  c_DataBuffer buffer(10);
  EXPECT_EQ(host->Read(&buffer, 0, 10), 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.Data()), 4), "cdef");
  EXPECT_EQ(host->Eof(), 1);
  stream->WriteText(u"gh", u"utf8");  // and writing after reading extends the file
  EXPECT_EQ(host->Length(), 8);
  stream->Close();
  EXPECT_EQ(ReadFile(FilePath("u.txt")), "XYcdefgh");
}

TEST_F(FileStreamTest, AppendModeStartsAtTheEnd) {
  ASSERT_TRUE(WriteFile(FilePath("ten.txt"), "0123456789"));
  auto stream = OpenFileStream(RuntimePath("ten.txt"), u"a");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->Host()->Position(), 10);
  EXPECT_EQ(stream->Host()->Eof(), 1);
  stream->WriteText(u"AB", u"utf8");
  EXPECT_EQ(stream->Host()->Length(), 12);
  stream->Close();
  EXPECT_EQ(ReadFile(FilePath("ten.txt")), "0123456789AB");

  // A missing file is created, as for "u".
  auto created = OpenFileStream(RuntimePath("a-new.txt"), u"a");
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->Host()->Position(), 0);
}

TEST_F(FileStreamTest, PathsOutsideTheKnownFoldersCannotBeOpened) {
  EXPECT_EQ(OpenFileStream(u"taliscor://other/x.txt", u"w"), nullptr);
  EXPECT_EQ(OpenFileStream(RuntimePath("no-such-folder/x.txt"), u"w"), nullptr);
}

TEST_F(FileStreamTest, WriteTextEncodesEveryUnitOnItsOwn) {
  struct Case {
    const char* name;
    String text;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", u"", ""},
      {"ascii", u"QNT1\n", "QNT1\n"},
      {"two bytes", u"\u00e9", "\xC3\xA9"},
      {"three bytes", u"\u20ac", "\xE2\x82\xAC"},
      {"highest two-byte unit", u"\u07ff", "\xDF\xBF"},
      {"surrogate pair as two units", String{0xD83D, 0xDE00}, "\xED\xA0\xBD\xED\xB8\x80"},
      {"nul unit", String(1, u'\0'), std::string(1, '\0')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto stream = OpenFileStream(RuntimePath("text.txt"), u"w");
    ASSERT_NE(stream, nullptr);
    // The encoding named does not matter: text is always written as UTF-8.
    stream->WriteText(c.text, u"ascii");
    EXPECT_EQ(stream->Host()->Position(), static_cast<int>(c.bytes.size()));
    stream->Close();
    EXPECT_EQ(ReadFile(FilePath("text.txt")), c.bytes);
  }
}

TEST_F(FileStreamTest, ClosedStreamsAreEmptyAndRefuseWrites) {
  BBFileStream never;
  EXPECT_EQ(never.Eof(), -1);
  EXPECT_EQ(never.Close(), 0);
  EXPECT_EQ(never.Seek(5), 0);
  c_DataBuffer buffer(4);
  EXPECT_EQ(never.Write(&buffer, 0, 4), 0);
  EXPECT_EQ(never.Read(&buffer, 0, 4), 0);

  auto stream = OpenFileStream(RuntimePath("c.txt"), u"w");
  ASSERT_NE(stream, nullptr);
  stream->WriteText(u"abc", u"utf8");
  BBFileStream* host = stream->Host();
  EXPECT_EQ(host->Close(), 0);
  EXPECT_EQ(host->Length(), 0);
  EXPECT_EQ(host->Position(), 0);
  EXPECT_EQ(host->Eof(), -1);
  EXPECT_FALSE(stream->Sync());
  // A write that makes no progress throws, naming the stream.
  try {
    stream->WriteText(u"more", u"utf8");
    ADD_FAILURE() << "no c_StreamWriteError";
  } catch (const c_StreamWriteError& error) {
    EXPECT_EQ(error.Stream(), stream.get());
  }
  stream->Close();
  stream->Close();  // closing twice does nothing
  EXPECT_EQ(stream->Host(), nullptr);
  EXPECT_NO_THROW(stream->WriteText(u"", u"utf8"));  // an empty text writes nothing
  EXPECT_EQ(ReadFile(FilePath("c.txt")), "abc");
}

TEST_F(FileStreamTest, SyncPutsWrittenBytesIntoTheFileBeforeClose) {
  auto stream = OpenFileStream(RuntimePath("s.txt"), u"w");
  ASSERT_NE(stream, nullptr);
  stream->WriteText(u"saved", u"utf8");
  ASSERT_TRUE(stream->Sync());
  EXPECT_EQ(ReadFile(FilePath("s.txt")), "saved");
}

TEST_F(FileStreamTest, BufferRangesOutsideTheBufferAreCut) {
  auto stream = OpenFileStream(RuntimePath("r.txt"), u"w");
  ASSERT_NE(stream, nullptr);
  c_DataBuffer buffer(4);
  buffer.PokeText(0, u"wxyz", u"ascii");
  BBFileStream* host = stream->Host();
  EXPECT_EQ(host->Write(&buffer, 2, 100), 2);
  EXPECT_EQ(host->Write(&buffer, -1, 2), 0);
  EXPECT_EQ(host->Write(&buffer, 4, 1), 0);
  EXPECT_EQ(host->Write(nullptr, 0, 1), 0);
  stream->Close();
  EXPECT_EQ(ReadFile(FilePath("r.txt")), "yz");
}

TEST(DataBuffer, PokeTextStoresWhatFitsAndReturnsTheWholeLength) {
  struct Case {
    const char* name;
    int size;
    int offset;
    String text;
    const char* encoding;
    int result;
    std::string stored;  // the buffer afterwards ('.' = untouched zero byte)
  };
  const Case cases[] = {
      {"utf8 cut at the end", 10, 8, u"hello", "utf8", 5, "........he"},
      {"utf8 multi-byte cut", 4, 2, u"\u20ac", "utf8", 3, "..\xE2\x82"},
      {"utf8 fits", 6, 1, u"a\u00e9b", "utf8", 4,
       ".a\xC3\xA9"
       "b."},
      {"ascii keeps the low 8 bits", 4, 0, u"A\u0142\u00e9", "ascii", 3, "AB\xE9."},
      {"ascii cut at the end", 3, 1, u"xyz", "ascii", 3, ".xy"},
      {"offset past the end", 4, 9, u"abc", "utf8", 3, "...."},
      {"negative offset", 4, -2, u"abc", "utf8", 3, "...."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c_DataBuffer buffer(c.size);
    EXPECT_EQ(buffer.PokeText(c.offset, c.text, FromLatin1(c.encoding)), c.result);
    std::string stored(reinterpret_cast<const char*>(buffer.Data()), buffer.Length());
    for (char& b : stored) {
      if (b == '\0') b = '.';
    }
    EXPECT_EQ(stored, c.stored);
  }
}

}  // namespace
}  // namespace vexa_test

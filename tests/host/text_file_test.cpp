// Whole text files: the decoding rules for UTF-16, UTF-8 and ISO-8859-1, and loading through
// the game's runtime paths.
#include "host/files/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/e2e/process.h"
#include "tests/support/test_game.h"

namespace {

TEST(TextFile, DecodingRules) {
  struct Case {
    const char* name;
    std::string bytes;
    String text;
  };
  const Case cases[] = {
      {"no bytes", "", u""},
      {"plain ASCII", "QNT1\nabc", u"QNT1\nabc"},
      {"UTF-8 two and three bytes", "\xC3\xA9\xE2\x82\xAC", u"\u00e9\u20ac"},
      {"UTF-8 byte-order mark skipped", "\xEF\xBB\xBFhi", u"hi"},
      {"byte-order mark alone", "\xEF\xBB\xBF", u""},
      {"overlong forms accepted", std::string("\xC0\x80\xE0\x81\x81", 5), String{0, 0x41}},
      {"two-byte file with valid UTF-8", "\xC3\xA9", u"\u00e9"},
      {"lone E9", "\xE9", u"\u00e9"},
      {"two-byte file EF BB", "\xEF\xBB", u"\u00ef\u00bb"},
      {"stray continuation byte", "a\x80z", u"a\u0080z"},
      {"four-byte lead", "\xF0\x9F\x98\x80", u"\u00f0\u009f\u0098\u0080"},
      {"wrong continuation", "\xC3\x41", u"\u00c3A"},
      {"cut off by the end", "ab\xE2\x82", u"ab\u00e2\u0082"},
      {"malformed after the mark: the mark stays out", "\xEF\xBB\xBF\xE9x", u"\u00e9x"},
      {"UTF-16 big-endian", std::string("\xFE\xFF\x00\x41\x20\xAC", 6), u"A\u20ac"},
      {"UTF-16 little-endian", std::string("\xFF\xFE\x41\x00\xAC\x20", 6), u"A\u20ac"},
      {"UTF-16 odd last byte ignored", std::string("\xFE\xFF\x00\x41\x00", 5), u"A"},
      {"UTF-16 mark alone", "\xFF\xFE", u""},
      {"UTF-16 mark and one byte", "\xFF\xFEx", u""},
      {"UTF-16 surrogates kept as units", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6),
       String{0xD83D, 0xDE00}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(
        DecodeTextFileBytes(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size()),
        c.text)
        << c.name;
  }
}

TEST(TextFile, LoadsThroughRuntimePaths) {
  vexa_test::TempDir dir;
  std::filesystem::create_directories(dir.Path() + "/data/songs");
  TestGame game(FromLatin1(dir.Path()));
  ASSERT_TRUE(vexa_test::WriteFile(dir.Path() + "/data/songs/bom.txt", "\xEF\xBB\xBFQNT1"));
  // Larger than one 4096-byte read block.
  std::string big;
  for (int i = 0; i < 3000; ++i) big += "\xC3\xA9x";
  ASSERT_TRUE(vexa_test::WriteFile(dir.Path() + "/data/big.txt", big));

  EXPECT_EQ(game.LoadTextFile(u"taliscor://data/songs/bom.txt"), u"QNT1");
  EXPECT_EQ(LoadTextResource(u"songs/bom.txt"), u"QNT1");
  const String text = LoadTextResource(u"big.txt");
  ASSERT_EQ(text.size(), 6000u);
  EXPECT_EQ(text.substr(5998), u"\u00e9x");
  EXPECT_EQ(LoadTextResource(u"songs/missing.txt"), u"");
  EXPECT_EQ(game.LoadTextFile(u"taliscor://other/bom.txt"), u"");
  EXPECT_EQ(LoadTextResource(u"songs"), u"");  // a folder is no text file
}

}  // namespace

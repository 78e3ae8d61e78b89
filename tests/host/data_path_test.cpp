// Runtime paths: resolving bare names into the data folder and mapping runtime paths to the
// folders beside the program.
#include "host/files/data_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "tests/e2e/process.h"
#include "tests/support/test_game.h"

namespace {

TEST(DataPath, ResolveAndMap) {
  struct Resolve {
    String path;
    String resolved;
  };
  const Resolve resolves[] = {
      {u"songs/a.dat", u"taliscor://data/songs/a.dat"},
      {u"vumo_font.png", u"taliscor://data/vumo_font.png"},
      {u"./x", u"./x"},
      {u"/x", u"/x"},
      {u"c:/x", u"c:/x"},
      {u"taliscor://data/f", u"taliscor://data/f"},
      {u"a:b/c", u"taliscor://data/a:b/c"},
      {u"x/y:/z", u"taliscor://data/x/y:/z"},
      {u"", u"taliscor://data/"},
      {u":/x", u":/x"},
  };
  for (const Resolve& c : resolves) {
    EXPECT_EQ(ResolveDataPath(c.path), c.resolved) << EncodeUtf8(c.path);
  }

  struct Map {
    String path;
    String mapped;
  };
  const Map maps[] = {
      {u"taliscor://data/f.txt", u"C:/T/data/f.txt"},
      {u"taliscor://internal/f", u"C:/T/internal/f"},
      {u"taliscor://external/f", u"C:/T/external/f"},
      {u"taliscor://data/songs/my song", u"C:/T/data/songs/my song"},
      {u"taliscor://other/f", u""},
      {u"taliscor://DATA/f", u""},  // prefixes are case-sensitive
      {u"taliscor:data/f", u""},
      {u"songs/a.dat", u"songs/a.dat"},  // plain paths stay relative to the working directory
      {u"/etc/x", u"/etc/x"},
  };
  for (const Map& c : maps) {
    EXPECT_EQ(MapRuntimePathIn(u"C:/T", u"C:/T/internal", c.path), c.mapped) << EncodeUtf8(c.path);
  }
}

TEST(DataPath, ProgramFolderIsTheFolderOfTheRunningProgram) {
  char exe[PATH_MAX + 1] = {};
  ASSERT_GT(readlink("/proc/self/exe", exe, PATH_MAX), 0);
  std::string folder(exe);
  folder.erase(folder.rfind('/'));
  EXPECT_EQ(EncodeUtf8(ProgramFolder()), folder);
}

TEST(DataPath, GameMapsIntoItsProgramFolderAndOpensNothingOutsideIt) {
  TestGame game(u"/opt/vexa");
  EXPECT_EQ(game.MapRuntimePath(u"taliscor://data/a"), u"/opt/vexa/data/a");
  EXPECT_EQ(game.MapRuntimePath(u"taliscor://internal/a"), u"/opt/vexa/internal/a");
  EXPECT_EQ(game.OpenFile(u"taliscor://other/a", u"rb"), nullptr);

  vexa_test::TempDir dir;
  std::filesystem::create_directories(dir.Path() + "/data");
  ASSERT_TRUE(vexa_test::WriteFile(dir.Path() + "/data/f.txt", "x"));
  TestGame beside(FromLatin1(dir.Path()));
  std::FILE* file = beside.OpenFile(ResolveDataPath(u"f.txt"), u"rb");
  EXPECT_NE(file, nullptr);
  if (file) std::fclose(file);
  EXPECT_EQ(beside.OpenFile(ResolveDataPath(u"missing.txt"), u"rb"), nullptr);
}

}  // namespace

// The committed font and button pictures and the icon are the generator's output from the text
// pictures, and they have the shapes the program and the desktop rely on.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/graphics/gl_test.h"

namespace {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgba;
  int Alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
};

Picture Decode(const std::string& path) {
  Picture picture;
  int depth = 0;
  unsigned char* pixels = stbi_load(path.c_str(), &picture.width, &picture.height, &depth, 4);
  if (pixels) {
    picture.rgba.assign(pixels, pixels + static_cast<size_t>(picture.width) * picture.height * 4);
    stbi_image_free(pixels);
  }
  return picture;
}

int RunGenerator(const std::string& sources, const std::string& output) {
  const std::string command = std::string("'") + MAKE_PICTURES_PROGRAM + "' '" + sources + "' '" +
                              output + "' 2>" + output + "/errors.txt";
  return std::system(command.c_str());
}

const char* const kPictures[] = {"vumofont.png", "vumo_font.png", "button1.png",
                                 "vexa-tracker.png"};

TEST(Pictures, CommittedFilesEqualTheGeneratorsOutput) {
  TempFolder folder;
  ASSERT_EQ(RunGenerator(PICTURE_SOURCES, folder.Path()), 0);
  for (const char* name : kPictures) {
    const Picture made = Decode(folder.File(name));
    const Picture committed = Decode(DataFile(name));
    ASSERT_FALSE(made.rgba.empty()) << name;
    EXPECT_EQ(made.width, committed.width) << name;
    EXPECT_EQ(made.height, committed.height) << name;
    EXPECT_TRUE(made.rgba == committed.rgba)
        << name << " differs from its source: build the target \"pictures\" and commit data/";
  }
}

// One glyph cell as text, for telling glyphs apart and reporting them.
std::string Cell(const Picture& font, int left, int top, int width, int height) {
  std::string cell;
  for (int y = top; y < top + height; ++y) {
    for (int x = left; x < left + width; ++x) cell += font.Alpha(x, y) ? '#' : '.';
    cell += '\n';
  }
  return cell;
}

TEST(Pictures, FontsHoldADistinctGlyphForEveryPrintableCharacter) {
  struct Case {
    const char* name;
    int width, height, cell, crop;
  };
  for (const Case& c :
       {Case{"vumofont.png", 1056, 12, 11, 0}, Case{"vumo_font.png", 960, 12, 10, 1}}) {
    SCOPED_TRACE(c.name);
    const Picture font = Decode(DataFile(c.name));
    ASSERT_EQ(font.width, c.width);
    ASSERT_EQ(font.height, c.height);
    std::set<int> alphas;
    for (size_t i = 3; i < font.rgba.size(); i += 4) alphas.insert(font.rgba[i]);
    EXPECT_EQ(alphas, (std::set<int>{0, 255})) << "glyph pixels are opaque or transparent";

    std::set<std::string> seen;
    for (int code = 32; code < 128; ++code) {
      const int left = (code - 32) * c.cell;
      const std::string glyph =
          Cell(font, left + c.crop, c.crop, c.cell - 2 * c.crop, c.height - 2 * c.crop);
      const bool blank = glyph.find('#') == std::string::npos;
      EXPECT_EQ(blank, code == 32) << "character " << code << ":\n" << glyph;
      EXPECT_TRUE(seen.insert(glyph).second) << "character " << code << " repeats a glyph:\n"
                                             << glyph;
      // The cropped border stays clear.
      if (c.crop) {
        const std::string whole = Cell(font, left, 0, c.cell, c.height);
        int ink = 0;
        for (char p : whole) ink += p == '#';
        int inner = 0;
        for (char p : glyph) inner += p == '#';
        EXPECT_EQ(ink, inner) << "character " << code << " draws on the cropped border";
      }
    }
  }
}

TEST(Pictures, TrackerBlockCoversACharacterAndButtonHalvesDiffer) {
  const Picture font = Decode(DataFile("vumofont.png"));
  ASSERT_EQ(font.width, 1056);
  // "[" is the logo's block and the cursor: it covers where every other glyph draws.
  const int block = ('[' - 32) * 11;
  for (int code = 33; code < 127; ++code) {
    if (code == '[') continue;
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 11; ++x) {
        if (font.Alpha((code - 32) * 11 + x, y)) {
          EXPECT_TRUE(font.Alpha(block + x, y))
              << "character " << code << " reaches outside the cursor block at " << x << "," << y;
        }
      }
    }
  }

  const Picture button = Decode(DataFile("button1.png"));
  ASSERT_EQ(button.width, 32);
  ASSERT_GE(button.height, 14);
  // Within the click area (rows 2 to 13) each half shows something, and not the same thing.
  std::string left;
  std::string right;
  for (int y = 2; y < 14; ++y) {
    for (int x = 0; x < 16; ++x) {
      const size_t l = (static_cast<size_t>(y) * 32 + x) * 4;
      const size_t r = (static_cast<size_t>(y) * 32 + x + 16) * 4;
      left.append(button.rgba.begin() + static_cast<long>(l),
                  button.rgba.begin() + static_cast<long>(l) + 4);
      right.append(button.rgba.begin() + static_cast<long>(r),
                   button.rgba.begin() + static_cast<long>(r) + 4);
    }
  }
  EXPECT_NE(left.find_first_not_of(std::string(1, '\0')), std::string::npos);
  EXPECT_NE(right.find_first_not_of(std::string(1, '\0')), std::string::npos);
  EXPECT_NE(left, right);
}

TEST(Pictures, IconFitsTheDesktopsIconSize) {
  // Installed as a 48 x 48 application icon: square, opaque inside, transparent corners.
  const Picture icon = Decode(DataFile("vexa-tracker.png"));
  ASSERT_EQ(icon.width, 48);
  ASSERT_EQ(icon.height, 48);
  EXPECT_EQ(icon.Alpha(0, 0), 0);
  EXPECT_EQ(icon.Alpha(47, 47), 0);
  EXPECT_EQ(icon.Alpha(24, 24), 255);
}

TEST(Pictures, GeneratorRejectsBrokenSources) {
  struct Case {
    const char* file;
    std::string find, replace;
    const char* message;
  };
  const Case cases[] = {
      {"vumofont.txt", "char 65 A\n...........\n", "char 65 A\n..........\n", "11 pixels wide"},
      {"vumofont.txt", "char 66 B", "char 65 B", "already drawn"},
      {"vumo_font.txt", "char 127 delete", "char 128 delete", "outside 32 to 127"},
      {"button1.txt", "colour w FFFFFFFF\n", "", "without a colour"},
      {"icon.txt", "size 48 48", "size 48 47", "text after the last row"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    TempFolder folder;
    for (const char* source : {"vumofont.txt", "vumo_font.txt", "button1.txt", "icon.txt"}) {
      std::filesystem::copy_file(std::string(PICTURE_SOURCES) + "/" + source, folder.File(source));
    }
    std::ifstream in(folder.File(c.file));
    std::stringstream text;
    text << in.rdbuf();
    std::string content = text.str();
    const size_t at = content.find(c.find);
    ASSERT_NE(at, std::string::npos);
    content.replace(at, c.find.size(), c.replace);
    std::ofstream(folder.File(c.file), std::ios::trunc) << content;

    EXPECT_NE(RunGenerator(folder.Path(), folder.Path()), 0);
    std::ifstream errors(folder.File("errors.txt"));
    std::stringstream message;
    message << errors.rdbuf();
    EXPECT_NE(message.str().find(c.message), std::string::npos) << message.str();
    EXPECT_FALSE(std::filesystem::exists(folder.File("vumofont.png")));
  }
}

}  // namespace

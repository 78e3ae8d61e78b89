// make_pictures SOURCE_FOLDER OUTPUT_FOLDER
//
// Builds the program's font and button pictures and its icon from the text pictures in
// SOURCE_FOLDER (vumofont.txt, vumo_font.txt, button1.txt, icon.txt) and writes vumofont.png,
// vumo_font.png, button1.png and vexa-tracker.png into OUTPUT_FOLDER. The text formats are
// described at the top of each file.
#include <stb_image_write.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int FIRST_CODE = 32;
constexpr int GLYPH_COUNT = 96;

struct Line {
  int number;
  std::string text;
};

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgba;  // rows top first, 4 bytes a pixel

  void Set(int x, int y, uint32_t color) {
    unsigned char* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
    p[0] = static_cast<unsigned char>(color >> 24);
    p[1] = static_cast<unsigned char>(color >> 16);
    p[2] = static_cast<unsigned char>(color >> 8);
    p[3] = static_cast<unsigned char>(color);
  }
};

std::string currentFile;

[[noreturn]] void Fail(int line, const std::string& message) {
  std::fprintf(stderr, "make_pictures: %s:%d: %s\n", currentFile.c_str(), line, message.c_str());
  std::exit(1);
}

// The meaningful lines of a source file: without comments (";"), empty lines and line ends.
std::vector<Line> ReadLines(const std::string& path) {
  currentFile = path;
  std::ifstream in(path);
  if (!in) Fail(0, "cannot read the file");
  std::vector<Line> lines;
  std::string text;
  int number = 0;
  while (std::getline(in, text)) {
    ++number;
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) {
      text.pop_back();
    }
    if (text.empty() || text[0] == ';') continue;
    lines.push_back({number, text});
  }
  return lines;
}

// A cell font: 96 glyphs of glyphWidth x glyphHeight, each placed with a transparent border of
// `border` pixels into its cell, the cells side by side in one row. "#" is opaque white.
Picture BuildFont(const std::string& path, int glyphWidth, int glyphHeight, int border) {
  const std::vector<Line> lines = ReadLines(path);
  const int cellWidth = glyphWidth + 2 * border;
  const int cellHeight = glyphHeight + 2 * border;
  Picture picture;
  picture.width = GLYPH_COUNT * cellWidth;
  picture.height = cellHeight;
  picture.rgba.assign(static_cast<size_t>(picture.width) * picture.height * 4, 0);

  std::map<int, int> seen;  // code -> line of its header
  size_t i = 0;
  while (i < lines.size()) {
    const Line& header = lines[i];
    std::istringstream words(header.text);
    std::string keyword;
    int code = -1;
    if (!(words >> keyword >> code) || keyword != "char") {
      Fail(header.number, "expected \"char <code> <name>\"");
    }
    if (code < FIRST_CODE || code >= FIRST_CODE + GLYPH_COUNT) {
      Fail(header.number, "character code outside 32 to 127");
    }
    if (seen.count(code)) {
      Fail(header.number, "character " + std::to_string(code) + " is already drawn at line " +
                              std::to_string(seen[code]));
    }
    seen[code] = header.number;
    ++i;
    for (int row = 0; row < glyphHeight; ++row, ++i) {
      if (i >= lines.size()) Fail(header.number, "the glyph has too few rows");
      const Line& line = lines[i];
      if (static_cast<int>(line.text.size()) != glyphWidth) {
        Fail(line.number, "a row must be " + std::to_string(glyphWidth) + " pixels wide");
      }
      for (int x = 0; x < glyphWidth; ++x) {
        const char c = line.text[static_cast<size_t>(x)];
        if (c != '#' && c != '.') Fail(line.number, "pixels are \"#\" or \".\"");
        if (c == '#') {
          picture.Set((code - FIRST_CODE) * cellWidth + border + x, border + row, 0xFFFFFFFFu);
        }
      }
    }
  }
  for (int code = FIRST_CODE; code < FIRST_CODE + GLYPH_COUNT; ++code) {
    if (!seen.count(code)) Fail(0, "character " + std::to_string(code) + " is not drawn");
  }
  return picture;
}

// A colour picture: "colour <symbol> <RRGGBBAA>" lines, then "size <w> <h>" and h rows of w
// symbols.
Picture BuildColourPicture(const std::string& path) {
  const std::vector<Line> lines = ReadLines(path);
  std::map<char, uint32_t> palette;
  Picture picture;
  size_t i = 0;
  for (; i < lines.size(); ++i) {
    std::istringstream words(lines[i].text);
    std::string keyword;
    words >> keyword;
    if (keyword == "colour") {
      std::string symbol;
      std::string hex;
      if (!(words >> symbol >> hex) || symbol.size() != 1 || hex.size() != 8 ||
          hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        Fail(lines[i].number, "expected \"colour <symbol> <RRGGBBAA>\"");
      }
      palette[symbol[0]] = static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
    } else if (keyword == "size") {
      if (!(words >> picture.width >> picture.height) || picture.width <= 0 ||
          picture.height <= 0 || picture.width > 4096 || picture.height > 4096) {
        Fail(lines[i].number, "expected \"size <width> <height>\"");
      }
      ++i;
      break;
    } else {
      Fail(lines[i].number, "expected \"colour\" or \"size\"");
    }
  }
  if (picture.width == 0) Fail(0, "the picture has no \"size\" line");
  picture.rgba.assign(static_cast<size_t>(picture.width) * picture.height * 4, 0);
  for (int y = 0; y < picture.height; ++y, ++i) {
    if (i >= lines.size()) Fail(0, "the picture has too few rows");
    const Line& line = lines[i];
    if (static_cast<int>(line.text.size()) != picture.width) {
      Fail(line.number, "a row must be " + std::to_string(picture.width) + " pixels wide");
    }
    for (int x = 0; x < picture.width; ++x) {
      auto color = palette.find(line.text[static_cast<size_t>(x)]);
      if (color == palette.end()) Fail(line.number, "a symbol without a colour");
      picture.Set(x, y, color->second);
    }
  }
  if (i != lines.size()) Fail(lines[i].number, "text after the last row");
  return picture;
}

void Write(const Picture& picture, const std::string& path) {
  if (!stbi_write_png(path.c_str(), picture.width, picture.height, 4, picture.rgba.data(),
                      picture.width * 4)) {
    std::fprintf(stderr, "make_pictures: cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_pictures SOURCE_FOLDER OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string source = argv[1];
  const std::string output = argv[2];
  // The tracker's font: cells of 11 x 12 drawn whole. The default font: glyphs of 8 x 10 in
  // cells of 10 x 12 (the loader crops the one-pixel border).
  const Picture trackerFont = BuildFont(source + "/vumofont.txt", 11, 12, 0);
  const Picture defaultFont = BuildFont(source + "/vumo_font.txt", 8, 10, 1);
  const Picture button = BuildColourPicture(source + "/button1.txt");
  const Picture icon = BuildColourPicture(source + "/icon.txt");
  Write(trackerFont, output + "/vumofont.png");
  Write(defaultFont, output + "/vumo_font.png");
  Write(button, output + "/button1.png");
  Write(icon, output + "/vexa-tracker.png");
  return 0;
}

// The song as text: every number is one character whose code is the number, cells keep their own
// characters. Layout: "QNT1", positions, speed, P (patterns stored), the first 32 * P cells of
// the sixteen columns (notes, volumes, instruments, octaves; channels 1 to 4 each), 256 order
// entries, 249 instrument table elements and 31 descriptions of 21 characters.
#include "tracker/song_text.h"

#include <algorithm>

namespace {

constexpr int kHeaderLength = 7;
constexpr int kStoredTableElements = 249;
constexpr int kStoredDescriptions = 31;
constexpr int kDescriptionField = 21;

char16_t NumberCharacter(int n) {
  return static_cast<char16_t>(n);
}

// The four column groups in file order, each for channels 1 to 4.
template <typename Song>
auto& ColumnGroup(Song& song, int group) {
  switch (group) {
    case 0:
      return song.trackNotes;
    case 1:
      return song.trackVolumes;
    case 2:
      return song.trackInstruments;
    default:
      return song.trackOctaves;
  }
}

char16_t EmptyCell(int group) {
  return group == 0 ? u'.' : u'0';
}

}  // namespace

int StoredPatternCount(const c_SoundEngine& song) {
  int highest = 0;
  for (int entry : song.orderList) highest = std::max(highest, entry);
  // Only 256 patterns exist; an entry beyond them names cells that are not there.
  return std::min(highest + 1, PATTERN_COUNT);
}

String BuildSongText(const c_SoundEngine& song) {
  const int p = StoredPatternCount(song);
  const int r = ROWS_PER_PATTERN * p;
  String text = u"QNT1";
  text.reserve(static_cast<size_t>(kHeaderLength + 16 * r + 256 + kStoredTableElements +
                                   kStoredDescriptions * kDescriptionField));
  text += NumberCharacter(song.songLengthRows / ROWS_PER_PATTERN);
  text += NumberCharacter(song.songSpeed);
  text += NumberCharacter(p);
  for (int group = 0; group < 4; ++group) {
    const std::array<String, 5>& columns = ColumnGroup(song, group);
    for (int c = 1; c <= 4; ++c) {
      const String& column = columns[static_cast<size_t>(c)];
      const size_t stored = std::min(column.size(), static_cast<size_t>(r));
      text.append(column, 0, stored);
      // A column left short by a truncated file is stored with empty cells, so every section of
      // the file stays at its offset.
      text.append(static_cast<size_t>(r) - stored, EmptyCell(group));
    }
  }
  for (int entry : song.orderList) text += NumberCharacter(entry);
  for (int k = 0; k < kStoredTableElements; ++k) {
    text += NumberCharacter(song.instrumentTable[static_cast<size_t>(k)]);
  }
  for (int j = 1; j <= kStoredDescriptions; ++j) {
    String field = song.instrumentDescriptions[static_cast<size_t>(j)].substr(0, kDescriptionField);
    field.resize(kDescriptionField, u' ');
    text += field;
  }
  return text;
}

void ApplySongText(c_SoundEngine& song, const String& text) {
  // Characters read past the end of the text count as 0.
  auto code = [&text](size_t at) -> int { return at < text.size() ? text[at] : 0; };

  song.songLengthRows = ROWS_PER_PATTERN * code(4);
  song.songSpeed = code(5) == 0 ? 5 : code(5);
  const size_t p = static_cast<size_t>(code(6));
  const size_t r = ROWS_PER_PATTERN * p;
  // The grid holds 256 patterns: cells a file stores beyond them are skipped, but the sections
  // after the columns are still read at the offsets the file was written with.
  const size_t kept = std::min(r, static_cast<size_t>(COLUMN_CELLS));

  size_t offset = kHeaderLength;
  for (int group = 0; group < 4; ++group) {
    std::array<String, 5>& columns = ColumnGroup(song, group);
    for (int c = 1; c <= 4; ++c) {
      String column = offset < text.size() ? text.substr(offset, kept) : String();
      if (p <= PATTERN_COUNT - 1) {
        column.append(static_cast<size_t>(ROWS_PER_PATTERN) * (PATTERN_COUNT - p),
                      EmptyCell(group));
      }
      columns[static_cast<size_t>(c)] = column;
      offset += r;
    }
  }
  for (size_t k = 0; k < ORDER_LIST_SIZE; ++k) song.orderList[k] = code(offset + k);
  offset += ORDER_LIST_SIZE;
  for (size_t k = 0; k < kStoredTableElements; ++k) song.instrumentTable[k] = code(offset + k);
  offset += kStoredTableElements;
  for (size_t j = 1; j <= kStoredDescriptions; ++j) {
    const size_t at = offset + kDescriptionField * (j - 1);
    song.instrumentDescriptions[j] =
        at < text.size() ? text.substr(at, kDescriptionField) : String();
  }
}

String SongNameFromPath(const String& path) {
  // The name is what follows the last "songs/" of the chosen path, subfolders included.
  static const String kFolder = u"songs";
  for (size_t i = path.size(); i-- > 0;) {
    if (path[i] == u'/' && i >= kFolder.size() &&
        path.compare(i - kFolder.size(), kFolder.size(), kFolder) == 0) {
      return path.substr(i + 1);
    }
  }
  return path.empty() ? String() : path.substr(1);
}

// Any bytes, decoded as a song file's text is decoded, load into a song without reading outside
// the text: the columns fit the grid, what a file does not store is left alone, and saving the
// loaded song gives a file that reads back to exactly the same text and song.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/files/text_file.h"
#include "tracker/song_text.h"

namespace {

constexpr int kMarker = 0x1234;
constexpr char16_t kOldCell = u'\u2603';

// One application object for the whole run, built without a host (nothing is loaded).
c_SoundEngine& Engine() {
  static c_SoundEngine* engine = new c_SoundEngine();
  return *engine;
}

std::array<String, 5>* Groups(c_SoundEngine& e, int group) {
  std::array<String, 5>* groups[4] = {&e.trackNotes, &e.trackVolumes, &e.trackInstruments,
                                      &e.trackOctaves};
  return groups[group];
}

// Columns of one cell that a load must replace, and markers in the parts a file does not store.
void Prepare(c_SoundEngine& e) {
  for (int group = 0; group < 4; ++group) {
    for (int c = 1; c <= 4; ++c) (*Groups(e, group))[c].assign(1, kOldCell);
  }
  e.orderList.fill(kMarker);
  e.instrumentTable.fill(kMarker);
  e.instrumentDescriptions.fill(u"marker");
}

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckInvariants(c_SoundEngine& e, const String& text) {
  const size_t r = 32 * static_cast<size_t>(text.size() > 6 ? text[6] : 0);
  const bool columnsComplete = text.size() >= 7 + 16 * r;
  for (int group = 0; group < 4; ++group) {
    for (int c = 1; c <= 4; ++c) {
      const String& column = (*Groups(e, group))[c];
      Require(column.size() <= static_cast<size_t>(COLUMN_CELLS));
      if (columnsComplete) Require(column.size() == static_cast<size_t>(COLUMN_CELLS));
      // Every column is replaced: none keeps the prepared cells.
      Require(column != String(1, kOldCell) || text.find(kOldCell) != String::npos);
    }
  }
  Require(e.songSpeed >= 1 && e.songSpeed <= 0xFFFF);
  Require(e.songLengthRows >= 0 && e.songLengthRows % 32 == 0);
  for (int entry : e.orderList) Require(entry >= 0 && entry <= 0xFFFF);
  for (size_t k = 0; k < INSTRUMENT_TABLE_SIZE; ++k) {
    const int value = e.instrumentTable[k];
    Require(k < 249 ? value >= 0 && value <= 0xFFFF : value == kMarker);
  }
  Require(e.instrumentDescriptions[0] == u"marker");
  for (size_t j = 1; j < INSTRUMENT_DESCRIPTION_COUNT; ++j) {
    Require(e.instrumentDescriptions[j].size() <= 21);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the input's size, so AddressSanitizer sees any read past its end.
  std::vector<unsigned char> bytes(data, data + size);
  const String text = DecodeTextFileBytes(bytes.empty() ? nullptr : bytes.data(), bytes.size());
  if (text.empty()) return 0;  // nothing to load: the loader stops before reading
  // The text itself, at exactly its size.
  const String exact(text.begin(), text.end());

  c_SoundEngine& e = Engine();
  Prepare(e);
  ApplySongText(e, exact);
  CheckInvariants(e, exact);

  // Saved, the song is a complete file of its pattern count; its bytes decode to the same
  // text, and loading and saving that again gives the same text once more.
  const String saved = BuildSongText(e);
  Require(saved.size() == 1163 + 512 * static_cast<size_t>(StoredPatternCount(e)));
  const std::string file = EncodeUtf8(saved);
  const String reread =
      DecodeTextFileBytes(reinterpret_cast<const unsigned char*>(file.data()), file.size());
  Require(reread == saved);
  Prepare(e);
  ApplySongText(e, reread);
  Require(BuildSongText(e) == saved);
  return 0;
}

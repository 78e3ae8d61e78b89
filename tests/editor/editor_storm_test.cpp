// Random input against the whole tracker: keys, characters, clicks and mouse moves from a seeded
// generator, with updates and frames in between, on a fresh song and on a song whose state holds
// values no editor would make (as a loaded file can). After every update the song must still be
// consistent; the sanitizer builds also catch any read outside the tracker's arrays.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <set>

#include "graphics/drawing.h"
#include "tests/editor/editor_test_util.h"
#include "tests/support/scripted_requester.h"

namespace {

// The keys the editor reads, and a few it does not.
const std::vector<int> kKeys = {
    KEY_TAB,    KEY_RIGHT,     KEY_LEFT,   KEY_UP,    KEY_DOWN,  KEY_PAGEUP, KEY_PAGEDOWN,
    KEY_INSERT, KEY_BACKSPACE, KEY_DELETE, KEY_ENTER, KEY_ENTER, KEY_F5,     KEY_F6,
    KEY_F7,     KEY_F8,        KEY_F9,     KEY_F10,   KEY_HOME,  KEY_END,    KEY_ESCAPE,
    KEY_SHIFT,  'A',           'Q',        '0',       KEY_F3};
// The mode keys, pressed less often so that the editor gets most of the updates.
const std::vector<int> kModeKeys = {KEY_SPACE, KEY_SPACE, KEY_SPACE, KEY_SPACE, KEY_F1, KEY_F2};

// Places worth clicking: the captions, spinners, boxes and channel labels.
const std::vector<std::pair<float, float>> kHotSpots = {
    {540, 328}, {600, 328}, {540, 346}, {600, 346}, {540, 369}, {600, 369}, {540, 389}, {600, 389},
    {540, 450}, {600, 450}, {100, 450}, {400, 130}, {700, 130}, {70, 418},  {130, 418}, {200, 418},
    {270, 418}, {565, 150}, {585, 150}, {565, 174}, {585, 174}, {565, 186}, {585, 186}, {565, 198},
    {585, 198}, {565, 210}, {585, 210}, {565, 222}, {585, 222}, {565, 234}, {585, 234}, {597, 234},
    {617, 234}, {565, 246}, {585, 246}, {565, 258}, {585, 258}, {477, 366}, {497, 366}, {477, 378},
    {497, 378}, {477, 390}, {497, 390}, {389, 18},  {409, 18}};

class Storm {
 public:
  Storm(TrackerFixture& t, unsigned seed) : t(t), rng(seed) {}

  // Runs the given number of input events; calls check after every update.
  void Run(int events, const std::function<void(int)>& check) {
    for (int n = 0; n < events; ++n) {
      switch (Pick(10)) {
        case 0:
        case 1: {  // press a key (with the character it delivers)
          int key = kKeys[Pick(kKeys.size())];
          if (Pick(8) == 0) key = 1 + Pick(511);
          if (Pick(16) == 0) key = kModeKeys[Pick(kModeKeys.size())];
          t.PressKey(key);
          held.insert(key);
          break;
        }
        case 2:  // release a held key
          if (!held.empty()) {
            auto it = held.begin();
            std::advance(it, Pick(held.size()));
            t.ReleaseKey(*it);
            held.erase(it);
          }
          break;
        case 3:
        case 4:
          t.TypeChar(Character());
          break;
        case 5: {
          if (Pick(3) == 0) {
            const auto& spot = kHotSpots[Pick(kHotSpots.size())];
            t.ClickAt(spot.first, spot.second);
          } else {
            t.ClickAt(static_cast<float>(Pick(760)) - 40, static_cast<float>(Pick(560)) - 40);
          }
          break;
        }
        case 6:
          t.MoveMouse(static_cast<float>(Pick(700)), static_cast<float>(Pick(500)));
          break;
        default: {  // one to three updates, then a frame
          const int updates = 1 + Pick(3);
          for (int u = 0; u < updates; ++u) {
            t.Update();
            check(n);
          }
          t.graphics.Clear();
          t.Render();
          break;
        }
      }
    }
  }

 private:
  int Pick(size_t n) { return static_cast<int>(rng() % n); }

  int Character() {
    static const std::string kTyped =
        "ysxdcvgbhnjmq2w3er5t6z7ui9o0p<+#-.aefgABCDEFYZ !&()[]/_,;:=?~\x7f";
    switch (Pick(4)) {
      case 0:
        return 1 + Pick(0x10FFFF);
      case 1:
        return Pick(256);
      default:
        return static_cast<unsigned char>(kTyped[Pick(kTyped.size())]);
    }
  }

  TrackerFixture& t;
  std::mt19937 rng;
  std::set<int> held;
};

// The consistency every update must leave; the update's sound calls are checked and cleared.
void CheckConsistent(TrackerFixture& t, const std::array<std::array<size_t, 4>, 5>& lengths,
                     int event) {
  const c_SoundEngine& e = *t.engine;
  for (const AudioCall& call : t.audio.calls) {
    if (call.op == AudioOp::Gain || call.op == AudioOp::Pitch) {
      ASSERT_TRUE(std::isfinite(call.value)) << call << ", event " << event;
    }
    ASSERT_TRUE(call.channel >= 1 && call.channel <= 8) << call << ", event " << event;
  }
  t.audio.Clear();
  for (int c = 1; c <= 4; ++c) {
    const String* columns[4] = {&e.trackNotes[c], &e.trackVolumes[c], &e.trackInstruments[c],
                                &e.trackOctaves[c]};
    for (int k = 0; k < 4; ++k) {
      // Undo can bring back the full columns of the empty song held in the first slots.
      const size_t size = columns[k]->size();
      ASSERT_TRUE(size == lengths[c][k] || size == static_cast<size_t>(COLUMN_CELLS))
          << "channel " << c << " column " << k << " has " << size << " cells, event " << event;
    }
  }
  ASSERT_GE(e.cursorColumn, 1) << event;
  ASSERT_LE(e.cursorColumn, 8) << event;
  // A note or volume written on row 32 leaves the cursor on 33 until the next pass wraps it.
  ASSERT_GE(e.cursorRow, 1) << event;
  ASSERT_LE(e.cursorRow, 33) << event;
  ASSERT_GE(e.songPosition, 0) << event;
  ASSERT_LE(e.songPosition, 255) << event;
  ASSERT_GE(e.rowOffset, 0) << event;
  ASSERT_LT(e.rowOffset, 32) << event;
  ASSERT_TRUE(e.engineMode == MODE_EDITING || e.engineMode == MODE_PLAYING ||
              e.engineMode == MODE_STANDBY)
      << event;
  ASSERT_GE(e.undoIndex, 0);
  ASSERT_LE(e.undoIndex, 31);
  ASSERT_LE(e.songFileName.size(), 32u) << event;
  for (const String& description : e.instrumentDescriptions) {
    ASSERT_LE(description.size(), 21u) << event;
  }
}

std::array<std::array<size_t, 4>, 5> Lengths(const c_SoundEngine& e) {
  std::array<std::array<size_t, 4>, 5> lengths{};
  for (int c = 1; c <= 4; ++c) {
    lengths[c] = {e.trackNotes[c].size(), e.trackVolumes[c].size(), e.trackInstruments[c].size(),
                  e.trackOctaves[c].size()};
  }
  return lengths;
}

TEST(EditorStorm, RandomInputKeepsAFreshSongConsistent) {
  for (unsigned seed : {1u, 2u, 3u}) {
    TrackerFixture t;
    ScriptedRequester requester;  // every dialog is cancelled: nothing is written
    const auto lengths = Lengths(*t.engine);
    Storm storm(t, seed);
    storm.Run(4000, [&](int event) { CheckConsistent(t, lengths, event); });
    if (::testing::Test::HasFatalFailure()) FAIL() << "seed " << seed;
  }
}

TEST(EditorStorm, RandomInputKeepsASongWithOutOfRangeValuesConsistent) {
  for (unsigned seed : {11u, 12u, 13u}) {
    TrackerFixture t;
    ScriptedRequester requester;
    c_SoundEngine& e = *t.engine;
    std::mt19937 rng(seed);
    // What a damaged or foreign file can leave: order entries past the last pattern, no
    // positions, speed 0, columns of any length, parameters far outside the spinners' ranges.
    const std::vector<int> entries = {0, 1, 255, 256, 300, 4095, 65535, 1 << 20};
    for (int& entry : e.orderList) entry = entries[rng() % entries.size()];
    e.songLengthRows = 0;
    e.songSpeed = 0;
    const std::vector<size_t> sizes = {0, 1, 31, 32, 33, 100, 4000, 8191};
    for (int c = 1; c <= 4; ++c) {
      for (String* column :
           {&e.trackNotes[c], &e.trackVolumes[c], &e.trackInstruments[c], &e.trackOctaves[c]}) {
        column->resize(sizes[rng() % sizes.size()]);
        for (char16_t& cell : *column) cell = static_cast<char16_t>(rng() % 0x10000);
      }
    }
    for (int& element : e.instrumentTable) element = static_cast<int>(rng() % 0x10000);
    for (String& description : e.instrumentDescriptions)
      description = u"\u00fc\uffff~ 21 characters.  ";
    const auto lengths = Lengths(e);
    Storm storm(t, seed);
    storm.Run(4000, [&](int event) { CheckConsistent(t, lengths, event); });
    if (::testing::Test::HasFatalFailure()) FAIL() << "seed " << seed;
  }
}

}  // namespace

// Shared helpers of the editor tests: a tracker after its first update, driven through the real
// input device.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/input/key_codes.h"
#include "tests/support/tracker_fixture.h"

// Audio channels 1-8 stopped in the tracker's order.
inline const std::vector<AudioCall>& StopAll() {
  static const std::vector<AudioCall> calls = {StopCall(1), StopCall(2), StopCall(3), StopCall(4),
                                               StopCall(6), StopCall(5), StopCall(8), StopCall(7)};
  return calls;
}

// The rate of a semitone relative to "C-2", worked out apart from the program: the float with
// bit pattern 0x3F879C7D widened to double, raised to the power, rounded to float.
inline float NoteRate(double semitone) {
  const uint32_t bits = 0x3F879C7Du;
  float base;
  std::memcpy(&base, &bits, sizeof base);
  return static_cast<float>(std::pow(static_cast<double>(base), semitone));
}

class EditorTest : public ::testing::Test {
 protected:
  TrackerFixture t;
  c_SoundEngine& e = *t.engine;

  // The first update clamps the current instrument's values, as in the running program.
  void SetUp() override { t.Update(); }

  void EnterEditing() {
    t.TapKey(KEY_SPACE);
    ASSERT_EQ(e.engineMode, MODE_EDITING);
  }
  // Types one character and runs one update.
  void Type(int ch) {
    t.TypeChar(ch);
    t.Update();
  }
  void TypeEach(const std::string& text) {
    for (char ch : text) Type(static_cast<unsigned char>(ch));
  }
  // The one-character cell of a column as a string ("" past its end).
  static std::string Cell(const String& column, int index) {
    const String cell = CellAt(column, index);
    return cell.empty() ? std::string() : std::string(1, static_cast<char>(cell[0]));
  }
  // A channel's note, volume, instrument and octave cells at an index, e.g. "q812".
  std::string Row(int channel, int index) const {
    return Cell(e.trackNotes[channel], index) + Cell(e.trackVolumes[channel], index) +
           Cell(e.trackInstruments[channel], index) + Cell(e.trackOctaves[channel], index);
  }
  struct Columns {
    std::array<String, 5> notes, volumes, instruments, octaves;
    bool operator==(const Columns& o) const {
      return notes == o.notes && volumes == o.volumes && instruments == o.instruments &&
             octaves == o.octaves;
    }
  };
  Columns Song() const {
    return {e.trackNotes, e.trackVolumes, e.trackInstruments, e.trackOctaves};
  }
};

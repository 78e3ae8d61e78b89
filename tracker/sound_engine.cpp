#include "tracker/sound_engine.h"

#include <algorithm>

// Field initialisers give the state before the create hook: empty texts, zero numbers, standby,
// speed 4, one position, instrument 1, edit octave 2, layout "DE" and every channel audible.
c_SoundEngine::c_SoundEngine() = default;

c_SoundEngine::~c_SoundEngine() = default;

int c_SoundEngine::InstrumentParam(int instrument, int k) const {
  const long long index = 8LL * instrument + k;
  if (index < 0 || index >= INSTRUMENT_TABLE_SIZE) return 0;
  return instrumentTable[static_cast<size_t>(index)];
}

int c_SoundEngine::OrderAt(int position) const {
  if (position < 0 || position >= ORDER_LIST_SIZE) return 0;
  return orderList[static_cast<size_t>(position)];
}

int c_SoundEngine::PatternBaseAt(int position) const {
  // Any entry outside 0-255 addresses cells past the end (or before the start) of the columns;
  // limiting the product keeps later index arithmetic far from overflow.
  constexpr long long LIMIT = 1LL << 28;
  const long long base = static_cast<long long>(OrderAt(position)) * ROWS_PER_PATTERN;
  return static_cast<int>(std::clamp(base, -LIMIT, LIMIT));
}

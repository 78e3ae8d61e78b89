// How long the soak tests run: a short form by default (./test.sh), a long form with
// VEXA_SOAK=long in the environment.
#pragma once

#include <cstdlib>
#include <cstring>

inline bool LongSoak() {
  const char* soak = std::getenv("VEXA_SOAK");
  return soak && std::strcmp(soak, "long") == 0;
}

// The short or the long amount.
template <typename T>
T SoakAmount(T shortForm, T longForm) {
  return LongSoak() ? longForm : shortForm;
}

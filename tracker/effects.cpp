// The tick effects: volume envelope, envelope to pitch, arpeggio, pulse-width sweep and slides,
// then the gain and rate of all eight audio channels. Parameters come from the instrument in
// effect on each channel and are read on every tick.
#include <climits>

#include "tracker/sound_engine.h"

namespace {

struct InstrumentParams {
  int env, e2p, spd, arp1, arp2, swp, amt;
};

// Counters that only wrap for positive periods stop at INT_MAX instead of overflowing.
void CountUp(int& counter) {
  if (counter < INT_MAX) counter += 1;
}

}  // namespace

void c_SoundEngine::TickEffects() {
  InstrumentParams params[5];
  for (int c = 1; c <= 4; ++c) {
    const int i = voices[c].instrument;
    const int packed = InstrumentParam(i, 3);
    params[c] = {InstrumentParam(i, 4),
                 InstrumentParam(i, 2),
                 InstrumentParam(i, 5),
                 InstrumentParam(i, 6),
                 InstrumentParam(i, 7),
                 packed / 16,
                 packed % 16};
  }

  // 1. Volume envelope. ENV 0 makes the step infinite: the channel falls silent at once.
  float gain[5] = {};
  for (int c = 1; c <= 4; ++c) {
    VoiceState& v = voices[c];
    if (v.envelope < 1.0f) v.envelope += ENVELOPE_STEP / static_cast<float>(params[c].env);
    gain[c] = v.volume - v.envelope;
    if (gain[c] < 0) {
      v.volume = 0;
      v.envelope = 0;
      gain[c] = 0;
    }
  }
  for (int c = 1; c <= 4; ++c) {
    SetSoundChannelVolume(c, FiniteSoundValue(gain[c]));
    SetSoundChannelVolume(c + 4, FiniteSoundValue(voices[c].volume - voices[c].envelope));
  }

  // 2. Envelope to pitch.
  for (int c = 1; c <= 4; ++c) {
    if (params[c].e2p != 0) voices[c].pitchEnvelope = voices[c].envelope;
  }

  // 3. Arpeggio: base note, first offset, second offset, SPD ticks each.
  for (int c = 1; c <= 4; ++c) {
    VoiceState& v = voices[c];
    const InstrumentParams& p = params[c];
    const long long s = v.arpStep;
    if (s == 0) v.arpOffset = 0;
    if (s == p.spd) {
      v.arpOffset = static_cast<float>(p.arp1) / 15.0f * static_cast<float>(p.amt);
    }
    if (s == 2LL * p.spd) {
      v.arpOffset = static_cast<float>(p.arp2) / 15.0f * static_cast<float>(p.amt);
    }
  }
  for (int c = 1; c <= 4; ++c) {
    VoiceState& v = voices[c];
    CountUp(v.arpStep);
    if (v.arpStep == 3LL * params[c].spd) v.arpStep = 0;
  }

  // 4. Pulse-width sweep: direction +1 for SWP ticks, then -1 for SWP ticks.
  for (int c = 1; c <= 4; ++c) {
    VoiceState& v = voices[c];
    const int swp = params[c].swp;
    CountUp(v.sweepCounter);
    const int n = v.sweepCounter;
    if (swp > n) v.sweepDirection = 1;
    if (swp < n) v.sweepDirection = -1;
    if (n == 2LL * swp) v.sweepCounter = 0;
    if (swp == 0) v.sweepDirection = 1;
  }

  // 5. Slides of the "+" and "#" rows, at the speed of the channel's volume.
  for (int c = 1; c <= 4; ++c) {
    VoiceState& v = voices[c];
    if (v.lastCode == NOTE_SLIDE_DOWN) v.slide -= 8.0f * v.volume * SLIDE_STEP;
    if (v.lastCode == NOTE_SLIDE_UP) v.slide += 8.0f * v.volume * SLIDE_STEP;
  }

  // 6. Pitch of both voices, with the octave in effect.
  for (int c = 1; c <= 4; ++c) {
    const VoiceState& v = voices[c];
    const double s =
        static_cast<double>(v.note) - 24.0 + 12.0 * v.octave + static_cast<double>(v.arpOffset);
    const float p = SemitoneRate(s);
    const float drop = static_cast<float>(params[c].e2p) * v.pitchEnvelope;
    const float detune = v.pwmDetune / DETUNE_DIVISOR * static_cast<float>(v.sweepDirection);
    SetSoundChannelRate(c, FiniteSoundValue(p + v.slide - drop));
    SetSoundChannelRate(c + 4, FiniteSoundValue(p + v.slide + detune - drop));
  }
}

// The note preview's tick: while the song is not playing it shapes every voice that still sounds
// with the current instrument's envelope, arpeggio and sweep, tuned to the last previewed key.
#include <climits>

#include "audio/sound.h"
#include "tracker/sound_engine.h"

void c_SoundEngine::PreviewTick() {
  const int i = currentInstrument;
  const int env = InstrumentParam(i, 4);
  const int e2p = InstrumentParam(i, 2);
  const int spd = InstrumentParam(i, 5);
  const int arp1 = InstrumentParam(i, 6);
  const int arp2 = InstrumentParam(i, 7);
  const int swp = InstrumentParam(i, 3) / 16;
  const int amt = InstrumentParam(i, 3) % 16;

  // Envelope: one shared decay for all eight voices. ENV 0 gives +inf, which ends it at once.
  previewEnvelope = previewEnvelope + 0.1f / static_cast<float>(env);
  float gain;
  if (previewEnvelope <= 1.0f) {
    gain = 1.0f - previewEnvelope;
  } else {
    previewEnvelope = 1.0f;
    gain = 0.0f;
  }
  for (int channel = 1; channel <= 8; ++channel) {
    SetSoundChannelVolume(channel, FiniteSoundValue(gain));
  }

  if (e2p != 0) previewPitchEnvelope = previewEnvelope;

  // Arpeggio: base note, first offset, second offset, SPD ticks each. The products are formed
  // wide: a loaded song may hold parameters far outside the spinners' ranges.
  const long long step = previewArpStep;
  if (step == 0) previewArpOffset = 0.0f;
  if (step == spd) previewArpOffset = static_cast<float>(amt) * (arp1 / 15.0f);
  if (step == 2LL * spd) previewArpOffset = static_cast<float>(amt) * (arp2 / 15.0f);

  // Pulse-width sweep: +1 for SWP ticks, -1 for the next SWP ticks.
  if (previewSweepCounter < INT_MAX) previewSweepCounter += 1;
  const int n = previewSweepCounter;
  if (n < swp) previewSweepDirection = 1;
  if (n > swp) previewSweepDirection = -1;
  if (n == 2LL * swp) previewSweepCounter = 0;
  if (swp == 0) previewSweepDirection = 1;

  // Pitch: every voice is re-tuned to the last previewed key.
  const int key = lastPreviewKey.empty() ? 0 : NoteKeyCode(lastPreviewKey[0]);
  const double semitone = (key - 24 + 12.0 * editOctave) + static_cast<double>(previewArpOffset);
  const float rate = SemitoneRate(semitone);
  const float bend = static_cast<float>(e2p) * previewPitchEnvelope;
  const float detune = static_cast<float>(previewSweepDirection) * (previewDetune / 800.0f);
  for (int c = 1; c <= 4; ++c) {
    SetSoundChannelRate(c, FiniteSoundValue(rate - bend));
    SetSoundChannelRate(c + 4, FiniteSoundValue(rate + detune - bend));
  }

  if (previewArpStep < INT_MAX) previewArpStep += 1;
  if (previewArpStep == 3LL * spd) previewArpStep = 0;
}

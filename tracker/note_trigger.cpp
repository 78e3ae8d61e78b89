// The voice mapping and the note trigger: tracker channel c plays voice A on audio channel c and
// voice B on audio channel c + 4.
#include <cmath>

#include "tracker/sound_engine.h"

bool WaveformsFor(const c_SoundEngine& engine, int wav, const c_Sound** primary,
                  const c_Sound** secondary) {
  switch (wav) {
    case 1:
      *primary = engine.sampleRampB.get();
      *secondary = engine.sampleSaw.get();
      return true;
    case 2:
      *primary = engine.sampleRampC.get();
      *secondary = engine.sampleSaw.get();
      return true;
    case 3:
      *primary = engine.sampleRamp.get();
      *secondary = engine.sampleSaw.get();
      return true;
    case 4:
      *primary = engine.sampleTriangle.get();
      *secondary = engine.noSound;
      return true;
    case 5:
      *primary = engine.sampleRampB.get();
      *secondary = engine.noSound;
      return true;
    case 6:
      *primary = engine.sampleFx2b.get();
      *secondary = engine.noSound;
      return true;
    case 7:
      *primary = engine.sampleNoise.get();
      *secondary = engine.noSound;
      return true;
    default:
      return false;
  }
}

float SemitoneRate(double semitone) {
  return static_cast<float>(std::pow(static_cast<double>(SEMITONE_RATIO), semitone));
}

void c_SoundEngine::TriggerNote(const c_Sound* primary, int semitone, int channel, int loop,
                                const c_Sound* secondary, float detune, int volumeDigit,
                                float arpOffset, int octave) {
  const int voiceA = channel;
  const int voiceB = channel + 4;

  // The note-off code 128 gives exactly this semitone at any octave digit.
  if (static_cast<long long>(semitone) == 12LL * octave + 104) {
    StopSoundChannel(voiceA);
    StopSoundChannel(voiceB);
  }
  // Commands, empty cells and notes above "E-5" start nothing.
  if (semitone > 43) return;

  const float rate = SemitoneRate(semitone);
  SetSoundChannelRate(voiceA, FiniteSoundValue(rate + arpOffset));
  SetSoundChannelRate(voiceB, FiniteSoundValue(rate + arpOffset + detune / DETUNE_DIVISOR));

  // Without a volume digit the sounding voices only slide to the new pitch.
  if (volumeDigit <= 0) return;

  StopSoundChannel(voiceB);
  PlaySoundOnChannel(primary, voiceA, loop);
  PlaySoundOnChannel(secondary, voiceB, loop);
}

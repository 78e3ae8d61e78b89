// The mouse and key controls that the update applies in every mode or whenever the song is not
// playing: buttons, spinners, channel mutes, and stopping every voice.
#include "host/input/input_device.h"
#include "host/input/key_codes.h"
#include "tracker/sound_engine.h"

int c_SoundEngine::ButtonHit(int x, int y, int value) {
  const float mx = MouseX();
  const float my = MouseY();
  if (MouseHitCount(0) > 0 && mx > x && mx < x + 54 && my > y + 2 && my < y + 18) return value;
  return 0;
}

int c_SoundEngine::Spinner(int x, int y, int value, int min, int max) {
  const float mx = MouseX();
  const float my = MouseY();
  const bool hit = MouseHitCount(0) > 0;
  const bool inBand = my > y + 2 && my < y + 14;
  int result = value;
  if (hit && inBand && mx > x && mx < x + 16 && value > min) result = value - 1;
  if (hit && inBand && mx > x + 16 && mx < x + 32 && value < max) result = value + 1;
  if (result < min) result = min;
  if (result > max) result = max;
  return result;
}

void c_SoundEngine::StopAllChannels() {
  static constexpr int ORDER[8] = {1, 2, 3, 4, 6, 5, 8, 7};
  for (int channel : ORDER) StopSoundChannel(channel);
}

void c_SoundEngine::ApplyChannelMutes() {
  // The "on"/"off" labels under the four channel columns.
  static constexpr int LABEL_LEFT[5] = {0, 44, 110, 176, 242};
  const bool clicked = MouseHitCount(0) > 0;
  const float mx = MouseX();
  const float my = MouseY();
  for (int c = 1; c <= 4; ++c) {
    const bool onLabel =
        clicked && mx > LABEL_LEFT[c] && mx < LABEL_LEFT[c] + 54 && my > 410 && my < 426;
    if (KeyHitCount(KEY_F5 + c - 1) > 0 || onLabel) {
      float& enabled = channelEnabled[c];
      enabled = enabled == 0.0f ? 1.0f : enabled - 1.0f;
    }
  }
}

void c_SoundEngine::ApplySpinners() {
  editOctave = Spinner(473, 360, editOctave + 1, 1, 4) - 1;
  songSpeed = Spinner(473, 372, songSpeed, 1, 16);
  songLengthRows = Spinner(473, 384, songLengthRows / ROWS_PER_PATTERN, 1, 99) * ROWS_PER_PATTERN;
  currentInstrument = Spinner(561, 144, currentInstrument, 1, 15);

  // currentInstrument is now 1 to 15, so all eight of its elements lie inside the table.
  int* p = &instrumentTable[static_cast<size_t>(8 * currentInstrument)];
  p[0] = Spinner(561, 168, p[0], 1, 7);                    // WAV
  p[1] = Spinner(561, 180, p[1], 0, 15);                   // PWM
  p[2] = Spinner(561, 216, p[2], 0, 15);                   // E2P
  p[4] = Spinner(561, 204, p[4], 1, 255);                  // ENV
  p[6] = Spinner(561, 228, p[6], 0, 12);                   // first ARP
  p[7] = Spinner(593, 228, p[7], 0, 12);                   // second ARP
  p[5] = Spinner(561, 240, p[5], 0, 15);                   // SPD
  const int sweep = Spinner(561, 192, p[3] / 16, 0, 15);   // SWP, high nibble
  const int amount = Spinner(561, 252, p[3] % 16, 0, 15);  // AMT, low nibble
  p[3] = sweep * 16 + amount;

  const int entry = Spinner(385, 12, OrderAt(songPosition), 0, 255);
  if (songPosition >= 0 && songPosition < ORDER_LIST_SIZE) {
    orderList[static_cast<size_t>(songPosition)] = entry;
  }
}

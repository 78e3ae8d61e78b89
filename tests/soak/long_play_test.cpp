// Long playback of a song that holds every kind of cell and effect: all note keys at all octave
// digits, slides ("+", "#"), note offs ("<"), pattern ends ("-"), empty cells and characters that
// are no note at all; every volume and instrument digit and odd characters in those columns; and
// instruments with every waveform choice and parameters from the interface's ranges up to the
// extremes a loaded song file can hold (ENV 0, E2P 255, arpeggio steps of 65535, ...).
//
// 100,000 ticks on a device that checks every value: no gain or rate that is not a finite
// number, no channel but the tracker's eight, and no growth of the heap after the first passes
// through the song. Then a shorter run on OpenAL Soft's loopback device, whose mixed output
// must stay finite throughout. VEXA_SOAK=long plays 100 and 33 times as long.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iostream>
#include <random>

#include "host/input/key_codes.h"
#include "tests/soak/soak.h"
#include "tests/soak/soak_tracker.h"
#include "tests/support/loopback_audio.h"

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime (its header does not come with every compiler package).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

// Bytes the program holds on its heap right now.
size_t LiveHeapBytes() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

// Resident memory of the process in kB, from /proc.
long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

const std::u16string NOTE_CELLS = u"ysxdcvgbhnjmq2w3er5t6z7ui9o0p+#<-.AZ~ \x7f\xfc\u0100\uffff";
const std::u16string VOLUME_CELLS = u"0123456789ABCDEFabcdefg \uffff";
const std::u16string INSTRUMENT_CELLS = u"0123456789ABCDEFabcdef\u00e9";
const std::u16string OCTAVE_CELLS = u"0123456789a\u0660";

// Instruments 0 to 15: WAV, PWM, E2P, SWP * 16 + AMT, ENV, SPD, ARP1, ARP2.
const int INSTRUMENTS[16][8] = {
    {0, 0, 0, 0, 0, 0, 0, 0},                       // as a fresh song has it
    {1, 0, 0, 0, 1, 0, 0, 0},                       // shortest decay
    {2, 15, 0, 0x3F, 5, 1, 4, 7},                   // sweep 3, arpeggio each tick
    {3, 8, 0, 0xF0, 10, 2, 12, 12},                 // longest sweep, AMT 0
    {4, 0, 15, 0x0F, 0, 3, 0, 12},                  // ENV 0: silent at once; E2P 15
    {5, 3, 1, 0x11, 255, 0, 5, 5},                  // SPD 0, longest decay
    {6, 0, 0, 0x00, 2, 15, 1, 2},                   // slowest arpeggio
    {7, 15, 0, 0xFF, 1, 1, 12, 0},                  // noise
    {0, 0, 0, 0, 3, 0, 0, 0},                       // WAV 0 keeps the waveforms
    {8, 1, 0, 0, 3, 0, 0, 0},                       // WAV out of range
    {255, 255, 255, 0xFFFF, 65535, 255, 255, 255},  // a loaded file's extremes
    {1, 0, 255, 0x12, 1000, 7, 3, 9},               // large E2P
    {2, 7, 0, 0x2F, 4, 2, 3, 7},
    {4, 0, 0, 0xF1, 65535, 65535, 65535, 65535},  // huge arpeggio offsets
    {7, 0, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
    {1, 15, 15, 0xFF, 1, 15, 12, 12},
};

constexpr int POSITIONS = 8;

// Fills patterns 0 to 7 and 255: the first rows of patterns 0 and 1 hold every note cell once
// on channels 1 and 2; everything else is drawn at random, pattern ends only rarely.
void BuildSong(c_SoundEngine& e, unsigned seed) {
  std::mt19937 rng(seed);
  const auto pick = [&](const std::u16string& cells) { return cells[rng() % cells.size()]; };
  std::vector<int> patterns;
  for (int p = 0; p < POSITIONS - 1; ++p) patterns.push_back(p);
  patterns.push_back(255);
  size_t next = 0;
  for (int p : patterns) {
    for (int row = 0; row < ROWS_PER_PATTERN; ++row) {
      const int i = p * ROWS_PER_PATTERN + row;
      for (int c = 1; c <= 4; ++c) {
        char16_t note;
        if (p <= 1 && c <= 2 && next < NOTE_CELLS.size()) {
          note = NOTE_CELLS[next++];
        } else {
          const unsigned roll = rng() % 100;
          note = roll < 50   ? NOTE_CELLS[rng() % 29]  // a key
                 : roll < 72 ? u'.'
                 : roll < 82 ? (rng() % 2 ? u'+' : u'#')
                 : roll < 88 ? u'<'
                 : roll < 89 ? u'-'
                             : NOTE_CELLS[34 + rng() % (NOTE_CELLS.size() - 34)];
        }
        if (note == u'-' && row < 16) note = u'.';  // patterns mostly play through
        WriteCell(e.trackNotes[c], i, note);
        WriteCell(e.trackVolumes[c], i, pick(VOLUME_CELLS));
        WriteCell(e.trackInstruments[c], i, pick(INSTRUMENT_CELLS));
        WriteCell(e.trackOctaves[c], i, pick(OCTAVE_CELLS));
      }
    }
  }
  for (int k = 0; k < ORDER_LIST_SIZE; ++k) {
    e.orderList[static_cast<size_t>(k)] = k < POSITIONS ? patterns[static_cast<size_t>(k)] : 0;
  }
  e.songLengthRows = POSITIONS * ROWS_PER_PATTERN;
  e.songSpeed = 3;
  for (int i = 0; i < 16; ++i) {
    for (int k = 0; k < 8; ++k) {
      e.instrumentTable[static_cast<size_t>(8 * i + k)] = INSTRUMENTS[i][k];
    }
  }
}

// The state that must hold while the song plays; empty when it does.
std::string PlayingInconsistency(SoakTracker& t) {
  const c_SoundEngine& e = t.Engine();
  if (t.Audio().badCalls != 0) return "the sound device was given " + t.Audio().firstBadCall;
  if (e.engineMode != MODE_PLAYING) return "playback stopped";
  if (e.songPosition < 0 || e.songPosition >= POSITIONS) {
    return "position " + std::to_string(e.songPosition);
  }
  if (e.rowOffset < 0 || e.rowOffset > 31) return "row " + std::to_string(e.rowOffset);
  for (int c = 1; c <= 4; ++c) {
    if (e.trackNotes[c].size() != static_cast<size_t>(COLUMN_CELLS)) return "a shorter column";
    if (e.vuLevel[c] < 0 || e.vuLevel[c] > 15 * 8)
      return "level bar " + std::to_string(e.vuLevel[c]);
  }
  return std::string();
}

TEST(LongPlay, ASongWithEveryCellAndEffectPlaysOnWithFiniteValuesInConstantMemory) {
  const long ticks = SoakAmount(100000L, 10000000L);
  const long warmUp = 6 * POSITIONS * ROWS_PER_PATTERN * 3;  // six passes through the song
  SoakTracker t(RepoFolder(), SoakTracker::Screen::kRecorded);
  BuildSong(t.Engine(), 7);
  t.Update();
  t.PressKey(KEY_F1);
  t.Update();
  t.ReleaseKey(KEY_F1);

  size_t heapAfterWarmUp = 0;
  long residentAfterWarmUp = 0;
  size_t heapHighest = 0;
  for (long tick = 0; tick < ticks; ++tick) {
    t.Update();
    if (tick % 50 == 0) t.Render();  // the level bars follow the playback
    if (tick % 1000 == 0 || tick == ticks - 1) {
      const std::string problem = PlayingInconsistency(t);
      ASSERT_EQ(problem, "") << "at tick " << tick;
    }
    if (tick == warmUp) {
      heapAfterWarmUp = LiveHeapBytes();
      residentAfterWarmUp = ResidentKb();
    }
    if (tick > warmUp && tick % 1000 == 0) heapHighest = std::max(heapHighest, LiveHeapBytes());
  }
  const size_t heapAtEnd = LiveHeapBytes();
  heapHighest = std::max(heapHighest, heapAtEnd);
  const CheckingAudio& audio = t.Audio();
  std::cout << ticks << " ticks: " << audio.gainCalls << " gains, " << audio.pitchCalls
            << " rates, " << audio.playCalls << " starts, " << audio.stopCalls << " stops; heap "
            << heapAfterWarmUp << " bytes after tick " << warmUp << ", at most " << heapHighest
            << " later, " << heapAtEnd << " at the end; resident " << residentAfterWarmUp
            << " kB, then " << ResidentKb() << " kB\n";
  EXPECT_EQ(audio.badCalls, 0) << audio.firstBadCall;
  EXPECT_EQ(audio.gainCalls, 8 * (ticks + 1));
  EXPECT_GE(audio.pitchCalls, 8 * (ticks + 1));
  EXPECT_GT(audio.playCalls, ticks / 100);  // notes really started
  // The playback allocates nothing it keeps: a few kilobytes of slack for the allocator's and
  // the standard library's own bookkeeping.
  EXPECT_LE(heapHighest, heapAfterWarmUp + 16 * 1024);
}

TEST(LongPlay, TheSameSongOnOpenALSoftGivesAFiniteMix) {
  const long ticks = SoakAmount(30000L, 1000000L);
  const int rate = 44100;
  LoopbackAudio loopback(rate, 2);
  ASSERT_TRUE(loopback.Ready()) << "no OpenAL Soft loopback device";
  SoakTracker t(RepoFolder(), SoakTracker::Screen::kRecorded, &loopback.Audio());
  BuildSong(t.Engine(), 7);
  t.Update();
  t.PressKey(KEY_F1);
  t.Update();
  t.ReleaseKey(KEY_F1);

  long rendered = 0, nonFinite = 0, audible = 0;
  double peak = 0;
  for (long tick = 0; tick < ticks; ++tick) {
    t.Update();
    // The frames of one tick: 44100 / 51, spread evenly.
    const int frames = static_cast<int>((tick + 1) * rate / 51 - tick * rate / 51);
    const std::vector<float> mix = loopback.Render(frames);
    rendered += frames;
    double level = 0;
    for (float sample : mix) {
      if (!std::isfinite(sample)) {
        ++nonFinite;
        continue;
      }
      peak = std::max(peak, static_cast<double>(std::fabs(sample)));
      level += std::fabs(sample);
    }
    audible += level > 0;
    if (tick % 1000 == 0) {
      const std::string problem = PlayingInconsistency(t);
      ASSERT_EQ(problem, "") << "at tick " << tick;
    }
  }
  std::cout << ticks << " ticks, " << rendered << " frames mixed, " << audible
            << " ticks audible, peak " << peak << "\n";
  EXPECT_EQ(t.Audio().badCalls, 0) << t.Audio().firstBadCall;
  EXPECT_EQ(nonFinite, 0);
  // Volume digits up to 15 give gains up to 1.875 per voice, eight voices at most: the mix
  // stays far below what a finite but runaway value would give.
  EXPECT_LT(peak, 16.0);
  EXPECT_GT(audible, ticks / 4) << "the song hardly sounded";
}

}  // namespace

// The tracker application: the whole song and editing state, and the routines that play,
// edit, draw and store it.
#pragma once

#include <array>
#include <cmath>
#include <limits>
#include <memory>

#include "audio/sound.h"
#include "graphics/font.h"
#include "graphics/image.h"
#include "host/app.h"
#include "runtime/text.h"
#include "tracker/song_model.h"

// The player's state of one tracker channel.
struct VoiceState {
  float volume = 0;         // volume digit / 8 * the channel's channelEnabled value
  float envelope = 0;       // decay amount, grows towards 1.0
  float pitchEnvelope = 0;  // copy of envelope used for envelope-to-pitch
  int sweepCounter = 0;
  int sweepDirection = 0;
  int arpStep = 0;
  float arpOffset = 0;
  float slide = 0;
  float note = 0;      // key code (0 to 28) of the sounding note
  float rowCode = 0;   // note cell code of the current row
  float lastCode = 0;  // note cell code of the previous row
  int rowInstrument = 0;
  int rowOctave = 0;
  int instrument = 0;
  int octave = 0;
  float pwmDetune = 0;
  const c_Sound* primarySound = nullptr;    // voice A's waveform; none until a row selects one
  const c_Sound* secondarySound = nullptr;  // voice B's waveform
};

// Single-precision constants of the note rate and the tick effects.
constexpr float SEMITONE_RATIO = 1.0594631f;  // the float nearest to the twelfth root of 2
constexpr float ENVELOPE_STEP = 0.1f;         // envelope growth per tick is ENVELOPE_STEP / ENV
constexpr float SLIDE_STEP = 0.005f;          // slide per tick is 8 * volume * SLIDE_STEP
constexpr float DETUNE_DIVISOR = 800.0f;      // voice B is detuned by PWM / DETUNE_DIVISOR

// Rates and gains handed to the sound device are always finite numbers: an infinite value (a
// pitch far beyond any audible range, from extreme instrument parameters of a loaded song)
// becomes the largest float of its sign, and NaN becomes 0.
inline float FiniteSoundValue(float value) {
  if (std::isnan(value)) return 0.0f;
  if (std::isinf(value)) {
    return value > 0 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::max();
  }
  return value;
}

// Modes of the tracker.
enum EngineMode {
  MODE_EDITING = 0,
  MODE_PLAYING = 1,
  MODE_STANDBY = 2,
};

class c_SoundEngine : public c_App {
 public:
  c_SoundEngine();
  ~c_SoundEngine() override;

  int OnCreate() override;
  int OnUpdate() override;
  int OnRender() override;

  // ---- Song model ----
  // Channels are numbered 1 to 4; element 0 of the per-channel arrays is not used.
  std::array<String, 5> trackNotes;
  std::array<String, 5> trackVolumes;
  std::array<String, 5> trackInstruments;
  std::array<String, 5> trackOctaves;
  std::array<int, ORDER_LIST_SIZE> orderList{};
  int songLengthRows = 32;
  int songSpeed = 4;
  String songFileName;
  std::array<int, INSTRUMENT_TABLE_SIZE> instrumentTable{};
  std::array<String, INSTRUMENT_DESCRIPTION_COUNT> instrumentDescriptions;

  // ---- Editing and interface state ----
  int engineMode = MODE_STANDBY;
  String statusText;
  int songPosition = 0;
  int patternBase = 0;
  int rowOffset = 0;
  int cursorRow = 0;
  int cursorColumn = 0;
  int editOctave = 2;
  int currentInstrument = 1;
  String keyboardLayout = u"DE";
  std::array<float, 5> channelEnabled{{1.0f, 1.0f, 1.0f, 1.0f, 1.0f}};
  struct UndoSnapshot {
    std::array<String, 5> notes, volumes, instruments, octaves;
  };
  std::array<UndoSnapshot, UNDO_SLOTS> undoHistory;
  int undoIndex = 0;
  bool nameEntry = false;
  bool descriptionEntry = false;
  std::array<int, 5> vuLevel{};
  int upHoldFrames = 0;
  int downHoldFrames = 0;
  String clipNotes, clipVolumes, clipInstruments, clipOctaves;
  String lastPreviewKey;

  // ---- Note preview of the editor ----
  const c_Sound* previewPrimary = nullptr;
  const c_Sound* previewSecondary = nullptr;
  float previewDetune = 0;
  float previewEnvelope = 0;
  float previewPitchEnvelope = 0;
  int previewArpStep = 0;
  float previewArpOffset = 0;
  int previewSweepCounter = 0;
  int previewSweepDirection = 0;

  // ---- Player ----
  int tickCounter = 0;
  std::array<VoiceState, 5> voices;

  // ---- Resources, kept for the whole run ----
  std::shared_ptr<c_Font> trackerFont;
  std::shared_ptr<c_Image> buttonImage;
  std::shared_ptr<c_Sound> sampleRamp, sampleRampB, sampleRampC, sampleSaw, sampleFx2b,
      sampleTriangle, sampleNoise;
  const c_Sound* noSound = nullptr;  // never set: a voice given it stays silent

  // ---- Song model operations ----
  void PushUndoSnapshot();
  void RestoreUndoSnapshot();
  // Element k of instrument i's parameters; 0 for elements outside the table.
  int InstrumentParam(int instrument, int k) const;
  // The orderList entry at a position; 0 for positions outside the list.
  int OrderAt(int position) const;
  // The first cell of the pattern played at a position: its orderList entry times 32. Entries a
  // loaded song leaves above 255 give a base past the end of the columns, whose cells read as
  // empty; the result never overflows.
  int PatternBaseAt(int position) const;

  // ---- Lifecycle and controls ----
  int ButtonHit(int x, int y, int value);
  int Spinner(int x, int y, int value, int min, int max);
  void StopAllChannels();    // audio channels 1, 2, 3, 4, 6, 5, 8, 7
  void ApplyChannelMutes();  // F5-F8 and clicks on the channel labels
  void ApplySpinners();      // the value spinners of the instrument panel and the song values

  // ---- Note trigger ----
  void TriggerNote(const c_Sound* primary, int semitone, int channel, int loop,
                   const c_Sound* secondary, float detune, int volumeDigit, float arpOffset,
                   int octave);

  // ---- Sequencer and effects ----
  void PlayerUpdate();
  void ProcessRow();
  void NextPosition();
  void TickEffects();

  // ---- Song files ----
  String SaveSong(const String& name);
  String LoadSong();

  // ---- Screen ----
  void DrawScreen();

  // ---- Editor ----
  void EditorInput();
  void PreviewTick();
  // The index of the cell under the cursor.
  int CursorCell() const { return patternBase + rowOffset + cursorRow - 1; }
  void MoveCursor();
  void VolumeEntry(int character);
  void NoteEntry(int character);

  // ---- Editor commands ----
  void SongNameEntry();
  void DescriptionEntry();
  void FileCommands();
  void PositionCommands();
  void TrackCommands();
};

// The characters the song name and description entries accept.
bool IsDescriptionCharacter(int character);

// The waveforms of a "WAV" value 1 to 7; false (both unchanged) for any other value.
bool WaveformsFor(const c_SoundEngine& engine, int wav, const c_Sound** primary,
                  const c_Sound** secondary);

// The playback rate factor of a semitone relative to "C-2": 1.0594631f ^ s in double precision,
// rounded to single precision.
float SemitoneRate(double semitone);

// The three-character name of a note cell (empty when the octave digit is not "0"-"3").
String NoteCellName(const String& notes, int index, const String& octaves);

// The low 8 bits of value as two uppercase hexadecimal digits.
String HexByte(int value);

// What a user of the running tracker does and sees, for the end-to-end tests: reading the
// tracker's screen back as text, setting a value with its spinner the way a user does (click,
// look, click again), moving the editor cursor with the keys, and answering the desktop's dialogs
// (the confirmation box and the file chooser) that the program opens.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/support/screen_text.h"

namespace vexa_test {

// The tracker's colours as a 24-bit window capture has them (fractional colours are rounded
// down by the renderer).
extern const Image::Pixel TEXT_COLOUR;         // (148, 144, 164)
extern const Image::Pixel BEAT_COLOUR;         // the text colour / 1.3: rows 0, 4, 8, ...
extern const Image::Pixel STATUS_COLOUR;       // (171.6, 37.2, 104.4)
extern const Image::Pixel DESCRIPTION_COLOUR;  // (128, 128, 128), also the header line
extern const Image::Pixel EDIT_BAR_COLOUR;     // the bar behind the cursor row while editing

// Reads the tracker's texts off window captures by the glyph shapes of its font.
class ScreenReader {
 public:
  ScreenReader();
  bool Ok() const { return font.Ok(); }

  // count characters from (x, y) on; ink is any pixel within 1 of one of the colours in each
  // component. A cell that holds no glyph of the font reads as UNREADABLE_CHARACTER.
  std::string Text(const Image& shot, std::initializer_list<Image::Pixel> inks, int x, int y,
                   int count) const;
  std::string Text(const Image& shot, Image::Pixel ink, int x, int y, int count) const {
    return Text(shot, {ink}, x, y, count);
  }

  // Screen row i (0 to 31) of the pattern view, e.g. "00: C-381 ---00 ---00 ---00".
  std::string Row(const Image& shot, int screenRow) const;
  // Entry i (0 to 31) of the position list, e.g. " 01: 03" (position 1 plays pattern 3).
  std::string Position(const Image& shot, int entry) const;
  // The status line without trailing spaces.
  std::string Status(const Image& shot) const;
  // The song name box without the leading space and trailing spaces.
  std::string SongName(const Image& shot) const;
  // The current instrument's description without trailing spaces.
  std::string Description(const Image& shot) const;
  // "on " or "off" under channel c (1 to 4).
  std::string ChannelSwitch(const Image& shot, int channel) const;
  // Two hexadecimal digits at (x, y) in the text colour as a number; none when unreadable.
  std::optional<int> HexValue(const Image& shot, int x, int y) const;

 private:
  FontShapes font;
};

// A value spinner of the screen: the picture at (x, y) whose left half decreases and right half
// increases the value shown as two hexadecimal digits at (valueX, valueY); the value is the shown
// number shifted right by `shift` and masked with `mask` (the two arpeggio offsets share one
// display, one digit each).
struct Spinner {
  const char* name;
  int x, y;
  int valueX, valueY;
  int shift = 0;
  int mask = 0xFF;
};

namespace spinners {
extern const Spinner INSTRUMENT, WAV, PWM, SWP, ENV, E2P, ARP1, ARP2, SPD, AMT;  // instrument
extern const Spinner OCTAVE, SPEED, LENGTH;  // song values ("OCTAVE" shows the edit octave)
extern const Spinner ORDER;                  // the current position's pattern number
}  // namespace spinners

// The value a spinner's display shows; none when unreadable.
std::optional<int> SpinnerValue(const ScreenReader& reader, const Image& shot,
                                const Spinner& spinner);

// Clicks the spinner's halves until its display shows the target, looking at the screen between
// rounds of clicks as a user does (clicks that land in the same update of a busy program count
// once, so the value is read back rather than assumed). False, with the reason in error, when it
// does not get there in a bounded number of rounds.
bool SetSpinner(TrackerSession& tracker, const ScreenReader& reader, const Spinner& spinner,
                int target, std::string* error);

// The editor cursor as the test moves it: row 1 to 32 of the screen, column 1 to 8 (odd: a
// channel's note column, even: its volume column).
class EditorCursor {
 public:
  int row = 1;
  int column = 1;

  // The keys (xdotool names) that take the cursor from where it is to the row and column the
  // shortest way (both wrap around), and notes the new place.
  std::vector<std::string> MovesTo(int toRow, int toColumn);
  // A note or volume typed: the cursor moves one row down. Typing on row 32 is avoided by the
  // tests (the cursor then stands on row 33 until the next update wraps it).
  void Typed() { ++row; }
};

// Answers the desktop's dialogs (zenity) the program opens: waits for the dialog window by its
// title, gives it the keyboard focus and types into it. Every xdotool run and every wait is
// bounded.
class DialogUser {
 public:
  static constexpr const char* CONFIRM_TITLE = "File Operation";
  static constexpr const char* LOAD_TITLE = "Select a File from DATA/SONGS/ to Load!";

  bool Xdotool(std::vector<std::string> arguments, std::string* output = nullptr);
  std::string FocusedWindow();

  // The visible window with exactly this title, focused; empty when none came in time.
  std::string WaitForDialog(const std::string& title, double timeoutSeconds = 60);
  // Types into the chooser's location field, slowly: GTK's completion garbles fast typing.
  bool TypeLocation(const std::string& path);
  // Presses the key until the dialog's window is gone.
  bool CloseWith(const std::string& id, const std::string& key, double timeoutSeconds = 30);

  // The whole answers: the confirmation box answered OK, a file chosen in the load chooser.
  // False with the reason in error.
  bool Confirm(std::string* error);
  bool ChooseFile(const std::string& path, std::string* error);

 private:
  bool Visible(const std::string& id);
  std::string title_;
};

// The rate factor of a semitone relative to "C-2" (the float with bit pattern 0x3F879C7D to the
// power, rounded to float) and the pitch it sounds at with the tracker's waveforms, whose one
// cycle of 64 frames at 16744 frames a second is 261.625 Hz at rate 1.0.
double NoteRate(int semitone);
double NoteHz(int semitone);
constexpr double UPDATE_RATE = 51.0;
constexpr double TICK_SECONDS = 1.0 / UPDATE_RATE;

// A folder of the test run for keeping failure evidence: the VEXA_E2E_KEEP folder when set,
// otherwise empty (nothing kept).
std::string KeepFolder();
// Saves the capture to KeepFolder()/name when a keep folder is set.
void KeepImage(const Image& shot, const std::string& name);
void KeepFile(const std::string& path, const std::string& name);

}  // namespace vexa_test

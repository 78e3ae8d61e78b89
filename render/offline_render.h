// Rendering a song file offline: the tracker loads the song and plays it with its own player
// on an OpenAL Soft loopback device, one tick after another, and every tick's frames go to a
// sink. Each tick is exactly rate / 51 frames long, the fraction carried from tick to tick, so
// a song always gives the same samples at the same places.
//
// Playback starts as F1 starts it (position 0, row 0, every voice stopped), except that the
// first row is played on the first tick instead of after songSpeed ticks: row r of the song
// starts exactly at frame TickStartFrame(r * songSpeed). The song plays until it has wrapped
// back to position 0 the requested number of times; then the effects keep ticking without new
// rows until the output falls silent, for at most two seconds (the release tail).
#pragma once

#include <optional>
#include <string>

#include "runtime/text.h"

constexpr int TICKS_PER_SECOND = 51;
// Songs that take longer are cut off here (30 minutes).
constexpr long long RENDER_LIMIT_TICKS = 30LL * 60 * TICKS_PER_SECOND;
// The release tail lasts at most two seconds.
constexpr long long MAX_TAIL_TICKS = 2LL * TICKS_PER_SECOND;

// The first frame of tick k: floor(k * rate / 51).
long long TickStartFrame(long long tick, int rate);

// How long a render was: ticks of the song itself and of the release tail.
struct RenderLength {
  long long songTicks = 0;
  long long tailTicks = 0;
  long long Ticks() const { return songTicks + tailTicks; }
};

struct RenderSettings {
  int rate = 44100;
  // Times the song plays through, back to position 0.
  int loops = 1;
  // 1 to 4: only this tracker channel sounds (the other channels' voices get gain 0); 0: all.
  int soloChannel = 0;
  // The song part stops here when the song has not come back to its start by then.
  long long limitTicks = RENDER_LIMIT_TICKS;
  // When set, the length is not searched for but taken from here (so that the channels
  // rendered on their own line up with the mix): exactly these song and tail ticks.
  std::optional<RenderLength> fixedLength;
  // The folder that holds the "data" folder with the waveforms; empty: the folder of the
  // running program, as for the tracker.
  String programFolder;
};

// Where the player is, reported at every row.
struct RenderProgress {
  double fraction = 0;  // of the whole song part, 0 to 1
  int loop = 1;         // the pass through the song, from 1
  int loops = 1;
  int position = 0;  // of the row being played
  int row = 0;
  int positions = 0;  // the song's number of positions
};

// Receives the rendered sound.
class RenderSink {
 public:
  virtual ~RenderSink() = default;
  // Interleaved stereo float samples (1.0 = full scale); false stops the render.
  virtual bool Write(const float* samples, int frames) = 0;
  // Called before each row is played; false stops the render.
  virtual bool Progress(const RenderProgress& /*progress*/) { return true; }
};

enum class RenderStatus {
  DONE,           // the song came back to its start as often as asked, then the tail
  LIMIT_REACHED,  // the song part was cut off at limitTicks (no tail follows)
  STOPPED,        // the sink asked to stop
  FAILED,         // nothing rendered; see error
};

struct RenderReport {
  RenderStatus status = RenderStatus::FAILED;
  std::string error;
  RenderLength length;
  long long frames = 0;
  int songSpeed = 0;
  int positions = 0;
};

// Renders the song file at songPath (a path in the file system) into the sink. Loading goes
// through the tracker's own host and song reader; a file that is missing, unreadable, empty or
// does not begin with the song magic "QNT1" fails with a message naming it.
RenderReport RenderSong(const std::string& songPath, const RenderSettings& settings,
                        RenderSink& sink);

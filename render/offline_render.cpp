#include "render/offline_render.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "graphics/drawing.h"
#include "graphics/font.h"
#include "host/input/input_device.h"
#include "host/input/key_codes.h"
#include "render/channel_solo_audio.h"
#include "render/loopback_device.h"
#include "render/pcm16.h"
#include "render/render_host.h"
#include "render/song_source.h"
#include "tracker/song_text.h"
#include "tracker/sound_engine.h"

long long TickStartFrame(long long tick, int rate) {
  return tick * rate / TICKS_PER_SECOND;
}

namespace {

constexpr int kOutputChannels = 2;

// The devices the tracker reaches through the process-wide pointers, installed for one render
// and taken away again at its end.
class InstalledDevices {
 public:
  InstalledDevices(gxtkGraphics* graphics, c_InputDevice* input) {
    InstallGraphicsDevice(graphics);
    SetInputDevice(input);
  }
  ~InstalledDevices() {
    SetDrawFont(nullptr);
    InstallGraphicsDevice(nullptr);
    SetInputDevice(nullptr);
  }
};

class Renderer {
 public:
  Renderer(const RenderSettings& settings, RenderSink& sink) : settings(settings), sink(sink) {}

  RenderReport Run(const std::string& songPath);

 private:
  bool Fail(const std::string& message) {
    report.status = RenderStatus::FAILED;
    report.error = message;
    return false;
  }
  bool SetUpTracker(const std::string& songPath);
  // One application update of the tracker, as the host runs it; the input device holds only
  // what the renderer put into it.
  void Update() {
    engine->OnUpdate();
    input.EndUpdate();
  }
  // Mixes the frames of the current tick into the buffer.
  int MixTick();
  bool PlaySong();
  bool PlayTail();

  const RenderSettings& settings;
  RenderSink& sink;
  RenderReport report;

  c_InputDevice input;
  std::unique_ptr<c_SoundEngine> engine;
  long long tick = 0;
  std::vector<float> buffer;
  LoopbackDevice* loopback = nullptr;
};

RenderReport Renderer::Run(const std::string& songPath) {
  const std::string problem = ProbeSongFile(songPath);
  if (!problem.empty()) {
    Fail(problem);
    return report;
  }
  if (settings.soloChannel < 0 || settings.soloChannel > 4 || settings.loops < 1) {
    Fail("bad render settings");
    return report;
  }

  // Destroyed in reverse order: the tracker, then the devices it used, then the host.
  RenderHost host(settings.programFolder);
  LoopbackDevice device(settings.rate);
  if (!device.Ready()) {
    Fail(device.Error());
    return report;
  }
  loopback = &device;
  std::unique_ptr<gxtkAudio> audio;
  if (settings.soloChannel != 0) {
    audio = std::make_unique<ChannelSoloAudio>(device.Device(), device.ContextAttributes(),
                                               settings.soloChannel);
  } else {
    audio = gxtkAudio::OnDevice(device.Device(), device.ContextAttributes());
  }
  if (!audio->Context()) {
    Fail("cannot create an OpenAL context on the loopback device");
    return report;
  }
  if (!device.CheckContext()) {
    Fail(device.Error());
    return report;
  }
  HeadlessGraphics graphics;
  InstalledDevices installed(&graphics, &input);

  if (SetUpTracker(songPath) && PlaySong() && report.status != RenderStatus::LIMIT_REACHED) {
    if (PlayTail()) report.status = RenderStatus::DONE;
  }
  engine.reset();
  loopback = nullptr;
  return report;
}

bool Renderer::SetUpTracker(const std::string& songPath) {
  // The tracker as it is after start-up: font, button picture and waveforms loaded, the empty
  // song built.
  engine = std::make_unique<c_SoundEngine>();
  engine->OnCreate();
  const struct {
    const std::shared_ptr<c_Sound>& sound;
    const char* file;
  } waveforms[] = {{engine->sampleRamp, "ramp_64.wav"},    {engine->sampleRampB, "ramp_b_64.wav"},
                   {engine->sampleRampC, "ramp_c_64.wav"}, {engine->sampleSaw, "saw_64.wav"},
                   {engine->sampleFx2b, "fx2b.wav"},       {engine->sampleTriangle, "tri_64.wav"},
                   {engine->sampleNoise, "hnoise.wav"}};
  for (const auto& waveform : waveforms) {
    if (!waveform.sound) {
      const String path =
          BBGame::Game()->MapRuntimePath(u"taliscor://data/" + FromLatin1(waveform.file));
      return Fail("cannot load the waveform " + EncodeUtf8(path));
    }
  }

  // Loading as the tracker loads a chosen song file: its text through the host, then the song
  // reader. The tracker then shows the song from position 0, row 0.
  const SongSource source(songPath);
  const String text = BBGame::Game()->LoadTextFile(source.HostPath());
  if (text.empty()) return Fail("cannot read song " + songPath);
  if (!HasSongMagic(text))
    return Fail(songPath + " is not a song file (it does not begin with QNT1)");
  ApplySongText(*engine, text);
  engine->statusText = u"File Loaded...";
  engine->rowOffset = 0;
  engine->songPosition = 0;
  // One update without input, as follows every load in the tracker: its spinners bring the
  // song length, the speed, the first order entry and the current instrument's values into
  // their ranges.
  Update();

  // F1: every voice stopped, position 0, row 0, playing.
  input.PutKeyHit(KEY_F1);
  Update();
  input.PutKeyRelease(KEY_F1);
  if (engine->engineMode != MODE_PLAYING) return Fail("the tracker did not start playing");
  // The tracker plays the first row songSpeed + 1 updates after F1; here the first row is
  // played on the first tick, so row r starts at tick r * songSpeed.
  engine->tickCounter = engine->songSpeed;

  report.songSpeed = engine->songSpeed;
  report.positions = engine->songLengthRows / ROWS_PER_PATTERN;
  return true;
}

int Renderer::MixTick() {
  const int frames = static_cast<int>(TickStartFrame(tick + 1, settings.rate) -
                                      TickStartFrame(tick, settings.rate));
  buffer.resize(static_cast<size_t>(frames) * kOutputChannels);
  loopback->Render(buffer.data(), frames);
  return frames;
}

bool Renderer::PlaySong() {
  const int loops = settings.loops;
  const int positions = report.positions > 0 ? report.positions : 1;
  int wraps = 0;
  for (;;) {
    const bool rowDue = engine->tickCounter == engine->songSpeed;
    if (settings.fixedLength) {
      if (tick >= settings.fixedLength->songTicks) break;
    } else {
      // The song ends where the row after its last wrap would begin.
      if (wraps >= loops && rowDue) break;
      if (tick >= settings.limitTicks) {
        report.status = RenderStatus::LIMIT_REACHED;
        break;
      }
    }
    if (rowDue) {
      RenderProgress progress;
      progress.loop = wraps + 1;
      progress.loops = loops;
      progress.position = engine->songPosition;
      progress.row = engine->rowOffset;
      progress.positions = report.positions;
      if (settings.fixedLength) {
        const long long total = settings.fixedLength->songTicks;
        progress.fraction = total > 0 ? static_cast<double>(tick) / total : 1.0;
      } else {
        const double inLoop =
            (progress.position + progress.row / static_cast<double>(ROWS_PER_PATTERN)) / positions;
        progress.fraction = (wraps + std::min(inLoop, 1.0)) / loops;
      }
      if (!sink.Progress(progress)) {
        report.status = RenderStatus::STOPPED;
        return false;
      }
    }

    Update();
    // A row that leaves the row offset at 0 moved on to another position; one that moved on
    // to position 0 finished a pass through the song.
    if (rowDue && engine->rowOffset == 0 && engine->songPosition == 0) ++wraps;

    const int frames = MixTick();
    if (!sink.Write(buffer.data(), frames)) {
      report.status = RenderStatus::STOPPED;
      return false;
    }
    report.frames += frames;
    ++tick;
    ++report.length.songTicks;
  }
  return true;
}

bool Renderer::PlayTail() {
  const long long limit = settings.fixedLength ? settings.fixedLength->tailTicks : MAX_TAIL_TICKS;
  for (long long k = 0; k < limit; ++k) {
    // The effects go on shaping the sounding notes; no further row is read.
    engine->TickEffects();
    const int frames = MixTick();
    if (!settings.fixedLength && SilentIn16Bits(buffer.data(), buffer.size())) break;
    if (!sink.Write(buffer.data(), frames)) {
      report.status = RenderStatus::STOPPED;
      return false;
    }
    report.frames += frames;
    ++tick;
    ++report.length.tailTicks;
  }
  return true;
}

}  // namespace

RenderReport RenderSong(const std::string& songPath, const RenderSettings& settings,
                        RenderSink& sink) {
  Renderer renderer(settings, sink);
  return renderer.Run(songPath);
}

// The channel-based sound device on OpenAL: 32 sample channels and a music channel, each with
// one OpenAL source; a loaded sample is one OpenAL buffer.
#pragma once

#include <memory>

#include "runtime/text.h"

// OpenAL's own handle types (the same declarations as <AL/alc.h>), so that this header does not
// pull in OpenAL.
typedef struct ALCdevice_struct ALCdevice;
typedef struct ALCcontext_struct ALCcontext;

class gxtkSample {
 public:
  gxtkSample();
  virtual ~gxtkSample();  // does what DiscardSample does
  virtual void DiscardSample();

  unsigned int buffer = 0;  // OpenAL buffer name, 0 when it has none
};

enum ChannelState {
  CHANNEL_STOPPED = 0,
  CHANNEL_PLAYING = 1,
  CHANNEL_PAUSED = 2,
};

class gxtkAudio {
 public:
  static constexpr int CHANNEL_COUNT = 33;
  static constexpr int MUSIC_CHANNEL = 32;

  // Opens the default OpenAL device (then "Generic Hardware", then "Generic Software"), makes a
  // context current and sets up the channels; prints a message and runs on without sound when
  // any step fails.
  gxtkAudio();
  // The program keeps its device for the whole run; tests and tools end theirs here: the
  // sources and the buffers waiting for deletion are deleted, the context is destroyed and a
  // device the constructor opened is closed. Buffers of samples still held elsewhere go with
  // the OpenAL device; such samples must not be played on a later device.
  virtual ~gxtkAudio();

  // For tests and offline rendering: uses a device the caller opened (for instance an
  // ALC_SOFT_loopback device), creating the context on it with the given attributes and making
  // it current. The caller closes the device after the returned object is gone.
  static std::unique_ptr<gxtkAudio> OnDevice(ALCdevice* device, const int* contextAttributes);

  virtual int SuspendChannels();
  virtual int ResumeChannels();
  virtual std::shared_ptr<gxtkSample> LoadSampleFile(const String& path);
  virtual bool FillSampleFromFile(gxtkSample* sample, const String& path);
  virtual int PlayOnChannel(const std::shared_ptr<gxtkSample>& sample, int channel, int flags);
  virtual int StopChannel(int channel);
  virtual int PauseChannel(int channel);
  virtual int ResumeChannel(int channel);
  virtual int GetChannelState(int channel);
  virtual int SetChannelGain(int channel, float volume);
  virtual int SetChannelPan(int channel, float pan);
  virtual int SetChannelPitch(int channel, float rate);
  virtual int PlayMusicFile(const String& path, int flags);
  virtual int StopMusic();
  virtual int PauseMusic();
  virtual int ResumeMusic();
  virtual int GetMusicState();
  virtual int SetMusicGain(float volume);

  ALCdevice* Device() const { return device; }
  ALCcontext* Context() const { return context; }

 protected:
  struct NoDevice {};
  // A device that makes no OpenAL calls: for subclasses that record the calls made to it. Like
  // every device it becomes the process-wide audio device.
  explicit gxtkAudio(NoDevice);
  // What OnDevice builds, for subclasses that change how channels sound on such a device.
  gxtkAudio(ALCdevice* device, const int* contextAttributes);

  struct Channel {
    unsigned int source = 0;
    std::shared_ptr<gxtkSample> sample;
    int flags = 0;
    int state = CHANNEL_STOPPED;
  };

  unsigned int AcquireSource(int channel);
  void FlushDiscardedBuffers();

  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  Channel channels[CHANNEL_COUNT];

 private:
  // What every constructor that talks to OpenAL does last: no distance attenuation, all
  // channels cleared, the music channel's source made.
  void SetUpChannels();

  bool ownsDevice = false;  // opened by the constructor, so closed by the destructor
};

// The process-wide audio device (set when a device is constructed).
gxtkAudio* AudioDevice();
void SetAudioDevice(gxtkAudio* device);

// The channel-based sound device: every channel owns one OpenAL source, made when it is first
// needed and kept; a sample is one OpenAL buffer attached to the source when it plays.
#include "audio/sound_device.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <cmath>

#include "audio/discard_list.h"
#include "host/game.h"
#include "runtime/print.h"

namespace {

gxtkAudio* theAudioDevice = nullptr;

int SourceState(unsigned int source) {
  ALint state = AL_INITIAL;
  alGetSourcei(source, AL_SOURCE_STATE, &state);
  return state;
}

ALenum BufferFormat(int bytesPerSample, int channels) {
  if (bytesPerSample == 1 && channels == 1) return AL_FORMAT_MONO8;
  if (bytesPerSample == 1 && channels == 2) return AL_FORMAT_STEREO8;
  if (bytesPerSample == 2 && channels == 1) return AL_FORMAT_MONO16;
  if (bytesPerSample == 2 && channels == 2) return AL_FORMAT_STEREO16;
  return 0;
}

}  // namespace

gxtkAudio* AudioDevice() {
  return theAudioDevice;
}
void SetAudioDevice(gxtkAudio* device) {
  theAudioDevice = device;
}

gxtkAudio::gxtkAudio() {
  SetAudioDevice(this);
  device = alcOpenDevice(nullptr);
  if (!device) device = alcOpenDevice("Generic Hardware");
  if (!device) device = alcOpenDevice("Generic Software");
  if (!device) {
    PrintLine(u"OpenAl error: alcOpenDevice failed");
  } else {
    ownsDevice = true;
    context = alcCreateContext(device, nullptr);
    if (!context) {
      PrintLine(u"OpenAl error: alcCreateContext failed");
    } else if (!alcMakeContextCurrent(context)) {
      PrintLine(u"OpenAl error: alcMakeContextCurrent failed");
    }
  }
  SetUpChannels();
}

gxtkAudio::gxtkAudio(NoDevice) {
  SetAudioDevice(this);
}

std::unique_ptr<gxtkAudio> gxtkAudio::OnDevice(ALCdevice* device, const int* contextAttributes) {
  return std::unique_ptr<gxtkAudio>(new gxtkAudio(device, contextAttributes));
}

gxtkAudio::gxtkAudio(ALCdevice* openedDevice, const int* contextAttributes) {
  SetAudioDevice(this);
  device = openedDevice;
  context = device ? alcCreateContext(device, contextAttributes) : nullptr;
  if (!context) {
    PrintLine(u"OpenAl error: alcCreateContext failed");
  } else if (!alcMakeContextCurrent(context)) {
    PrintLine(u"OpenAl error: alcMakeContextCurrent failed");
  }
  SetUpChannels();
}

void gxtkAudio::SetUpChannels() {
  alDistanceModel(AL_NONE);
  for (Channel& channel : channels) channel = Channel();
  AcquireSource(MUSIC_CHANNEL);
}

gxtkAudio::~gxtkAudio() {
  if (context) {
    ALCcontext* previous = alcGetCurrentContext();
    if (previous != context) alcMakeContextCurrent(context);
    for (Channel& channel : channels) {
      if (channel.source == 0) continue;
      alSourceStop(channel.source);
      alSourcei(channel.source, AL_BUFFER, 0);
    }
    // Samples no one else holds go to the discard list now; nothing is attached any more.
    for (Channel& channel : channels) channel.sample.reset();
    std::vector<unsigned int>& discarded = DiscardedBuffers();
    for (unsigned int name : discarded) alDeleteBuffers(1, &name);
    discarded.clear();
    for (Channel& channel : channels) {
      if (channel.source != 0) alDeleteSources(1, &channel.source);
      channel.source = 0;
    }
    alcMakeContextCurrent(previous != context ? previous : nullptr);
    alcDestroyContext(context);
  }
  if (ownsDevice && device) alcCloseDevice(device);
  if (AudioDevice() == this) SetAudioDevice(nullptr);
}

// The largest gain a source may reach; far above what any caller passes.
constexpr float kMaxSourceGain = 16.0f;

unsigned int gxtkAudio::AcquireSource(int channel) {
  Channel& target = channels[channel];
  if (target.source != 0) return target.source;
  alGetError();
  ALuint source = 0;
  alGenSources(1, &source);
  target.source = source;
  if (alGetError() == AL_NO_ERROR) {
    // Gains reach the source as given: OpenAL would otherwise cap a source at unity gain, and
    // volume digits above 8 are meant to sound louder than 8.
    alSourcef(source, AL_MAX_GAIN, kMaxSourceGain);
  } else {
    target.source = 0;
    // Out of sources: borrow the source of the lowest stopped sample channel. The music
    // channel's source is never taken.
    for (int i = 0; i < MUSIC_CHANNEL; ++i) {
      if (channels[i].source != 0 && GetChannelState(i) == CHANNEL_STOPPED) {
        target.source = channels[i].source;
        channels[i].source = 0;
        break;
      }
    }
  }
  return target.source;
}

void gxtkAudio::FlushDiscardedBuffers() {
  std::vector<unsigned int>& discarded = DiscardedBuffers();
  if (discarded.empty()) return;
  // A stopped source needs no buffer: every later start attaches its own. Detaching from every
  // stopped source, whatever state the channel records, lets the buffers of stopped and ended
  // channels go too.
  for (Channel& channel : channels) {
    if (channel.source != 0 && SourceState(channel.source) == AL_STOPPED) {
      alSourcei(channel.source, AL_BUFFER, 0);
    }
  }
  size_t kept = 0;
  for (unsigned int name : discarded) {
    alGetError();
    alDeleteBuffers(1, &name);
    // Still attached to a source that plays or is paused: try again at the next flush.
    if (alGetError() != AL_NO_ERROR) discarded[kept++] = name;
  }
  discarded.resize(kept);
}

int gxtkAudio::SuspendChannels() {
  for (Channel& channel : channels) {
    if (channel.state == CHANNEL_PLAYING && SourceState(channel.source) == AL_PLAYING) {
      alSourcePause(channel.source);
    }
  }
  return 0;
}

int gxtkAudio::ResumeChannels() {
  for (Channel& channel : channels) {
    if (channel.state == CHANNEL_PLAYING && SourceState(channel.source) == AL_PAUSED) {
      alSourcePlay(channel.source);
    }
  }
  return 0;
}

std::shared_ptr<gxtkSample> gxtkAudio::LoadSampleFile(const String& path) {
  FlushDiscardedBuffers();
  auto sample = std::make_shared<gxtkSample>();
  if (!FillSampleFromFile(sample.get(), path)) return nullptr;
  return sample;
}

bool gxtkAudio::FillSampleFromFile(gxtkSample* sample, const String& path) {
  BBGame* game = BBGame::Game();
  if (!game) return false;
  std::optional<AudioFileData> data = game->LoadAudioFile(path);
  if (!data) return false;
  // Refilling a sample lets its old buffer go the usual way.
  sample->DiscardSample();
  ALuint buffer = 0;
  alGenBuffers(1, &buffer);
  sample->buffer = buffer;
  // The size is a whole number of frames; an unusable shape gives format 0, which OpenAL
  // refuses, and the sample then plays silence.
  const long long bytes =
      static_cast<long long>(data->bytesPerSample) * data->channels * data->length;
  alBufferData(buffer, BufferFormat(data->bytesPerSample, data->channels), data->pcm.data(),
               static_cast<ALsizei>(bytes), data->rate);
  return true;
}

int gxtkAudio::PlayOnChannel(const std::shared_ptr<gxtkSample>& sample, int channel, int flags) {
  FlushDiscardedBuffers();
  const unsigned int source = AcquireSource(channel);
  if (source == 0) return -1;
  alSourceStop(source);
  alSourcei(source, AL_BUFFER, static_cast<ALint>(sample ? sample->buffer : 0));
  alSourcei(source, AL_LOOPING, flags != 0 ? AL_TRUE : AL_FALSE);
  alSourcePlay(source);
  Channel& target = channels[channel];
  target.sample = sample;
  target.flags = flags;
  target.state = CHANNEL_PLAYING;
  return 0;
}

int gxtkAudio::StopChannel(int channel) {
  Channel& target = channels[channel];
  if (target.state != CHANNEL_STOPPED) {
    alSourceStop(target.source);
    target.state = CHANNEL_STOPPED;
  }
  return 0;
}

int gxtkAudio::PauseChannel(int channel) {
  Channel& target = channels[channel];
  if (target.state != CHANNEL_PLAYING) return 0;
  if (SourceState(target.source) == AL_STOPPED) {
    target.state = CHANNEL_STOPPED;
  } else {
    alSourcePause(target.source);
    target.state = CHANNEL_PAUSED;
  }
  return 0;
}

int gxtkAudio::ResumeChannel(int channel) {
  Channel& target = channels[channel];
  if (target.state != CHANNEL_PAUSED) return 0;
  alSourcePlay(target.source);
  target.state = CHANNEL_PLAYING;
  return 0;
}

int gxtkAudio::GetChannelState(int channel) {
  Channel& target = channels[channel];
  if (target.state == CHANNEL_PLAYING && SourceState(target.source) == AL_STOPPED) {
    target.state = CHANNEL_STOPPED;
  }
  return target.state;
}

int gxtkAudio::SetChannelGain(int channel, float volume) {
  alSourcef(AcquireSource(channel), AL_GAIN, volume);
  return 0;
}

int gxtkAudio::SetChannelPan(int channel, float pan) {
  alSource3f(AcquireSource(channel), AL_POSITION, std::sin(pan), 0.0f, -std::cos(pan));
  return 0;
}

int gxtkAudio::SetChannelPitch(int channel, float rate) {
  alSourcef(AcquireSource(channel), AL_PITCH, rate);
  return 0;
}

// Music is a sample played on the music channel; the program itself never plays any.
int gxtkAudio::PlayMusicFile(const String& path, int flags) {
  std::shared_ptr<gxtkSample> music = LoadSampleFile(path);
  if (!music) return -1;
  return PlayOnChannel(music, MUSIC_CHANNEL, flags);
}

int gxtkAudio::StopMusic() {
  return StopChannel(MUSIC_CHANNEL);
}
int gxtkAudio::PauseMusic() {
  return PauseChannel(MUSIC_CHANNEL);
}
int gxtkAudio::ResumeMusic() {
  return ResumeChannel(MUSIC_CHANNEL);
}
int gxtkAudio::GetMusicState() {
  return GetChannelState(MUSIC_CHANNEL);
}
int gxtkAudio::SetMusicGain(float volume) {
  return SetChannelGain(MUSIC_CHANNEL, volume);
}

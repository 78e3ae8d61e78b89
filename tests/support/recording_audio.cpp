#include "tests/support/recording_audio.h"

#include <ostream>

namespace {

std::string BaseName(const String& path) {
  const std::string text = ToLatin1(path);
  const size_t slash = text.find_last_of("/\\");
  return slash == std::string::npos ? text : text.substr(slash + 1);
}

const char* OpName(AudioOp op) {
  switch (op) {
    case AudioOp::Load:
      return "Load";
    case AudioOp::Play:
      return "Play";
    case AudioOp::Stop:
      return "Stop";
    case AudioOp::Pause:
      return "Pause";
    case AudioOp::Resume:
      return "Resume";
    case AudioOp::State:
      return "State";
    case AudioOp::Gain:
      return "Gain";
    case AudioOp::Pan:
      return "Pan";
    case AudioOp::Pitch:
      return "Pitch";
  }
  return "?";
}

}  // namespace

bool AudioCall::operator==(const AudioCall& other) const {
  if (op != other.op || channel != other.channel) return false;
  switch (op) {
    case AudioOp::Play:
      return flags == other.flags && name == other.name;
    case AudioOp::Gain:
    case AudioOp::Pan:
    case AudioOp::Pitch:
      return value == other.value;
    case AudioOp::Load:
      return name == other.name;
    default:
      return true;
  }
}

std::ostream& operator<<(std::ostream& out, const AudioCall& call) {
  out << OpName(call.op) << "(" << call.channel;
  if (call.op == AudioOp::Play) out << ", " << call.name << ", flags " << call.flags;
  if (call.op == AudioOp::Load) out << ", " << call.name;
  if (call.op == AudioOp::Gain || call.op == AudioOp::Pan || call.op == AudioOp::Pitch) {
    out.precision(9);
    out << ", " << call.value;
  }
  return out << ")";
}

RecordingAudio::RecordingAudio() : gxtkAudio(NoDevice{}) {
  SetAudioDevice(this);
}

RecordingAudio::~RecordingAudio() {
  if (AudioDevice() == this) SetAudioDevice(nullptr);
}

std::string RecordingAudio::NameOf(const gxtkSample* sample) const {
  for (const auto& entry : samplesByName) {
    if (entry.second.get() == sample) return entry.first;
  }
  return std::string();
}

std::vector<AudioCall> RecordingAudio::Only(AudioOp op) const {
  std::vector<AudioCall> result;
  for (const AudioCall& call : calls) {
    if (call.op == op) result.push_back(call);
  }
  return result;
}

float RecordingAudio::LastValue(AudioOp op, int channel, float fallback) const {
  for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
    if (it->op == op && it->channel == channel) return it->value;
  }
  return fallback;
}

std::shared_ptr<gxtkSample> RecordingAudio::LoadSampleFile(const String& path) {
  const std::string name = BaseName(path);
  AudioCall call{AudioOp::Load};
  call.name = name;
  if (failingNames.count(name)) {
    calls.push_back(call);
    return nullptr;
  }
  std::shared_ptr<gxtkSample>& sample = samplesByName[name];
  if (!sample) sample = std::make_shared<gxtkSample>();
  call.sample = sample.get();
  calls.push_back(call);
  return sample;
}

bool RecordingAudio::FillSampleFromFile(gxtkSample* /*sample*/, const String& path) {
  return failingNames.count(BaseName(path)) == 0;
}

int RecordingAudio::PlayOnChannel(const std::shared_ptr<gxtkSample>& sample, int channel,
                                  int flags) {
  AudioCall call{AudioOp::Play, channel};
  call.flags = flags;
  call.sample = sample.get();
  call.name = NameOf(sample.get());
  calls.push_back(call);
  if (channel >= 0 && channel < CHANNEL_COUNT) states[channel] = CHANNEL_PLAYING;
  return 0;
}

int RecordingAudio::StopChannel(int channel) {
  calls.push_back(AudioCall(AudioOp::Stop, channel));
  if (channel >= 0 && channel < CHANNEL_COUNT) states[channel] = CHANNEL_STOPPED;
  return 0;
}

int RecordingAudio::PauseChannel(int channel) {
  calls.push_back(AudioCall(AudioOp::Pause, channel));
  return 0;
}

int RecordingAudio::ResumeChannel(int channel) {
  calls.push_back(AudioCall(AudioOp::Resume, channel));
  return 0;
}

int RecordingAudio::GetChannelState(int channel) {
  calls.push_back(AudioCall(AudioOp::State, channel));
  return (channel >= 0 && channel < CHANNEL_COUNT) ? states[channel] : 0;
}

int RecordingAudio::SetChannelGain(int channel, float volume) {
  calls.push_back(AudioCall(AudioOp::Gain, channel, volume));
  return 0;
}

int RecordingAudio::SetChannelPan(int channel, float pan) {
  calls.push_back(AudioCall(AudioOp::Pan, channel, pan));
  return 0;
}

int RecordingAudio::SetChannelPitch(int channel, float rate) {
  calls.push_back(AudioCall(AudioOp::Pitch, channel, rate));
  return 0;
}

AudioCall PlayCall(int channel, const std::string& name, int flags) {
  AudioCall call{AudioOp::Play, channel};
  call.flags = flags;
  call.name = name;
  return call;
}

AudioCall StopCall(int channel) {
  return AudioCall(AudioOp::Stop, channel);
}
AudioCall GainCall(int channel, float value) {
  return AudioCall(AudioOp::Gain, channel, value);
}
AudioCall PitchCall(int channel, float value) {
  return AudioCall(AudioOp::Pitch, channel, value);
}

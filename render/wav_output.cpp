#include "render/wav_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr int kChannels = 2;
constexpr int kBytesPerSample = 2;
constexpr long long kHeaderBytes = 44;
// The RIFF size field counts everything after its own 8 bytes and must fit into 32 bits.
constexpr long long kMaxDataBytes = 0xFFFFFFFFLL - (kHeaderBytes - 8);

void PutLittle(unsigned char*& at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) *at++ = static_cast<unsigned char>(value >> (8 * i));
}

void PutTag(unsigned char*& at, const char* tag) {
  std::memcpy(at, tag, 4);
  at += 4;
}

// The 44-byte header of a PCM WAV file with dataBytes of samples.
void BuildHeader(unsigned char* header, int rate, uint32_t dataBytes) {
  unsigned char* at = header;
  PutTag(at, "RIFF");
  PutLittle(at, dataBytes + static_cast<uint32_t>(kHeaderBytes - 8), 4);
  PutTag(at, "WAVE");
  PutTag(at, "fmt ");
  PutLittle(at, 16, 4);
  PutLittle(at, 1, 2);  // integer PCM
  PutLittle(at, kChannels, 2);
  PutLittle(at, static_cast<uint32_t>(rate), 4);
  PutLittle(at, static_cast<uint32_t>(rate * kChannels * kBytesPerSample), 4);
  PutLittle(at, kChannels * kBytesPerSample, 2);
  PutLittle(at, 8 * kBytesPerSample, 2);
  PutTag(at, "data");
  PutLittle(at, dataBytes, 4);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Reason(int error) {
  return std::strerror(error);
}

// The permissions a newly created file gets (mkstemp makes its files private).
mode_t NewFileMode() {
  const mode_t mask = umask(022);
  umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

WavOutput::~WavOutput() {
  Discard();
}

bool WavOutput::Open(const std::string& path, int sampleRate, std::string* error) {
  Discard();
  target = path;
  rate = sampleRate;
  frames = 0;
  failed = false;
  writeError = 0;
  finished = false;
  meter = LevelMeter();

  struct stat info;
  if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    *error = "cannot write " + path + ": it is a folder";
    return false;
  }
  std::string pattern = FolderOf(path) + "/." + NameOf(path) + ".XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) {
    *error = "cannot write " + path + ": " + Reason(errno);
    return false;
  }
  temporary = pattern;
  fchmod(fd, NewFileMode());
  file = fdopen(fd, "wb");
  if (!file) {
    *error = "cannot write " + path + ": " + Reason(errno);
    close(fd);
    Discard();
    return false;
  }
  unsigned char header[kHeaderBytes];
  BuildHeader(header, rate, 0);
  if (std::fwrite(header, 1, sizeof header, file) != sizeof header) {
    *error = "cannot write " + path + ": " + Reason(errno);
    Discard();
    return false;
  }
  return true;
}

bool WavOutput::Write(const float* samples, int count) {
  if (!file || failed || count <= 0) return file && !failed;
  const size_t values = static_cast<size_t>(count) * kChannels;
  buffer.resize(values);
  ToPcm16(samples, buffer.data(), values, meter);
  if ((frames + count) * kChannels * kBytesPerSample > kMaxDataBytes) {
    failed = true;
    writeError = EFBIG;
    return false;
  }
  // The file holds little-endian samples, as this machine keeps them.
  if (std::fwrite(buffer.data(), sizeof(int16_t), values, file) != values) {
    failed = true;
    writeError = errno != 0 ? errno : EIO;
    return false;
  }
  frames += count;
  return true;
}

bool WavOutput::Finish(std::string* error) {
  if (!file) {
    *error = "cannot write " + target + ": the file is not open";
    return false;
  }
  unsigned char header[kHeaderBytes];
  BuildHeader(header, rate, static_cast<uint32_t>(frames * kChannels * kBytesPerSample));
  errno = failed ? writeError : 0;
  bool ok = !failed && std::fflush(file) == 0 && std::fseek(file, 0, SEEK_SET) == 0 &&
            std::fwrite(header, 1, sizeof header, file) == sizeof header &&
            std::fflush(file) == 0 && fsync(fileno(file)) == 0;
  const int reason = errno;
  ok = std::fclose(file) == 0 && ok;
  file = nullptr;
  if (!ok) {
    *error = "cannot write " + target + ": " + Reason(reason != 0 ? reason : EIO);
    Discard();
    return false;
  }
  finished = true;
  return true;
}

bool WavOutput::Publish(std::string* error) {
  if (!finished || temporary.empty()) {
    *error = "cannot write " + target + ": the file is not complete";
    return false;
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    *error = "cannot write " + target + ": " + Reason(errno);
    Discard();
    return false;
  }
  temporary.clear();
  return true;
}

std::string WavOutput::WriteFailure() const {
  return "cannot write " + target + ": " + Reason(writeError != 0 ? writeError : EIO);
}

void WavOutput::Discard() {
  if (file) std::fclose(file);
  file = nullptr;
  if (!temporary.empty()) unlink(temporary.c_str());
  temporary.clear();
  finished = false;
}

std::string StemPath(const std::string& target, int channel) {
  const size_t slash = target.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = target.rfind('.');
  // A leading dot names a hidden file, not an extension.
  if (dot == std::string::npos || dot <= nameStart) dot = target.size();
  return target.substr(0, dot) + "-" + std::to_string(channel) + target.substr(dot);
}

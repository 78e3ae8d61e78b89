// WAV files assembled byte by byte for tests, and scratch folders to put them in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// Appends little-endian fields and four-character tags.
class ByteWriter {
 public:
  ByteWriter& Tag(const char* tag) {
    bytes.insert(bytes.end(), tag, tag + 4);
    return *this;
  }
  ByteWriter& U16(uint32_t value) { return Le(value, 2); }
  ByteWriter& U32(uint32_t value) { return Le(value, 4); }
  ByteWriter& Raw(const Bytes& raw) {
    bytes.insert(bytes.end(), raw.begin(), raw.end());
    return *this;
  }
  Bytes bytes;

 private:
  ByteWriter& Le(uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
    return *this;
  }
};

// "RIFF", size, "WAVE" and a PCM format chunk of formatSize bytes (16 plus zero padding).
inline ByteWriter WavHeader(int channels, int rate, int bits, int format = 1, int formatSize = 16) {
  ByteWriter w;
  w.Tag("RIFF").U32(0).Tag("WAVE").Tag("fmt ").U32(formatSize);
  w.U16(format).U16(channels).U32(rate).U32(rate * channels * (bits / 8));
  w.U16(channels * (bits / 8)).U16(bits);
  for (int i = 16; i < formatSize; ++i) w.bytes.push_back(0);
  return w;
}

// A complete canonical file around the given sample bytes.
inline Bytes PcmWav(int channels, int rate, int bits, const Bytes& data) {
  ByteWriter w = WavHeader(channels, rate, bits);
  w.Tag("data").U32(static_cast<uint32_t>(data.size())).Raw(data);
  return w.bytes;
}

// Sample bytes of signed 16-bit values.
inline Bytes Pcm16(const std::vector<int>& values) {
  ByteWriter w;
  for (int v : values) w.U16(static_cast<uint16_t>(static_cast<int16_t>(v)));
  return w.bytes;
}

// A fresh empty folder under the system's temporary folder, removed by the destructor.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return path; }
  std::string File(const std::string& name) const { return path + "/" + name; }
  // Writes the bytes to name in the folder and returns the file's path.
  std::string Write(const std::string& name, const Bytes& bytes) const;

 private:
  std::string path;
};

Bytes ReadFileBytes(const std::string& path);

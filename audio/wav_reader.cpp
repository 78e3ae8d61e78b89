// The RIFF WAVE reader: the format chunk must come first; every chunk after it is skipped until
// the first "data" chunk, which is read whole. Sample data is returned exactly as stored.
#include "audio/wav_reader.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace {

bool ReadBytes(std::FILE* file, void* out, size_t count) {
  return std::fread(out, 1, count, file) == count;
}

bool ReadTag(std::FILE* file, const char* tag) {
  char bytes[4];
  return ReadBytes(file, bytes, 4) && std::memcmp(bytes, tag, 4) == 0;
}

// Little-endian unsigned integer of 2 or 4 bytes; fallback when the read comes up short.
int64_t ReadUnsigned(std::FILE* file, int size, int64_t fallback) {
  unsigned char bytes[4];
  if (!ReadBytes(file, bytes, size)) return fallback;
  int64_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

// Reads and throws away up to count bytes; stops early at the end of the file.
void Skip(std::FILE* file, int64_t count) {
  unsigned char block[4096];
  while (count > 0) {
    const size_t want = count < static_cast<int64_t>(sizeof block) ? count : sizeof block;
    const size_t got = std::fread(block, 1, want, file);
    if (got == 0) return;
    count -= got;
  }
}

// Bytes between the read position and the end of the file; -1 when the file cannot tell.
int64_t RemainingBytes(std::FILE* file) {
  const long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long end = std::ftell(file);
  if (std::fseek(file, here, SEEK_SET) != 0 || end < here) return -1;
  return end - here;
}

// Reads exactly size bytes into pcm. The size was checked against what the file holds, so a
// claim larger than the file never reaches the allocator; a file that cannot report its size is
// read in pieces, so memory only grows with bytes that actually arrive.
bool ReadData(std::FILE* file, int64_t size, std::vector<unsigned char>& pcm) {
  const int64_t remaining = RemainingBytes(file);
  if (remaining >= 0) {
    if (size > remaining) return false;
    pcm.resize(size);
    return ReadBytes(file, pcm.data(), size);
  }
  constexpr int64_t kPiece = 1 << 16;
  while (static_cast<int64_t>(pcm.size()) < size) {
    const size_t have = pcm.size();
    const size_t want = size - have < kPiece ? size - have : kPiece;
    pcm.resize(have + want);
    if (!ReadBytes(file, pcm.data() + have, want)) return false;
  }
  return true;
}

}  // namespace

std::optional<AudioFileData> ReadWavFile(std::FILE* file) {
  if (!ReadTag(file, "RIFF")) return std::nullopt;
  Skip(file, 4);  // RIFF size, not needed
  if (!ReadTag(file, "WAVE")) return std::nullopt;
  if (!ReadTag(file, "fmt ")) return std::nullopt;
  const int64_t formatSize = ReadUnsigned(file, 4, -1);
  if (ReadUnsigned(file, 2, -1) != 1) return std::nullopt;  // only integer PCM
  const int channels = static_cast<int>(ReadUnsigned(file, 2, -1));
  const int rate = static_cast<int>(static_cast<uint32_t>(ReadUnsigned(file, 4, -1)));
  Skip(file, 6);  // byte rate and block align follow from the rest
  const int bytesPerSample = static_cast<int>(ReadUnsigned(file, 2, 0) / 8);
  if (formatSize > 16) Skip(file, formatSize - 16);

  for (;;) {
    char id[4] = {0, 0, 0, 0};
    const bool haveId = ReadBytes(file, id, 4);
    if (!haveId || std::feof(file)) return std::nullopt;
    const int64_t size = ReadUnsigned(file, 4, -1);
    if (size < 0) return std::nullopt;  // the file ended inside the chunk header
    if (std::memcmp(id, "data", 4) != 0) {
      Skip(file, size);  // sizes are used as stored: no pad byte after an odd size
      continue;
    }
    // Shapes the device cannot divide into frames, and data OpenAL could not take in one
    // buffer, are refused before anything is allocated.
    const int frameBytes = channels * bytesPerSample;
    if (channels <= 0 || frameBytes <= 0 || size > INT_MAX) return std::nullopt;
    AudioFileData result;
    if (!ReadData(file, size, result.pcm)) return std::nullopt;
    result.length = static_cast<int>(size / frameBytes);
    result.channels = channels;
    result.bytesPerSample = bytesPerSample;
    result.rate = rate;
    return result;
  }
}

// The WAV reader on arbitrary bytes: it must refuse or accept without reading out of bounds,
// leaking, or allocating more than the input could justify.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "audio/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;  // fmemopen needs a non-empty buffer
  std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!file) return 0;
  const std::optional<AudioFileData> result = ReadWavFile(file);
  std::fclose(file);
  if (result) {
    const size_t frameBytes = static_cast<size_t>(result->channels) * result->bytesPerSample;
    // What the reader promises its caller: a non-empty frame shape and the frames in the buffer.
    if (frameBytes == 0 || result->length < 0 ||
        static_cast<size_t>(result->length) * frameBytes > result->pcm.size() ||
        result->pcm.size() > size) {
      std::abort();
    }
  }
  return 0;
}

// The Ogg Vorbis reader: stb_vorbis decodes the whole stream into interleaved 16-bit samples in
// a buffer that doubles whenever less than its initial size is left free.
#include "audio/ogg_reader.h"

#include <climits>

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

std::optional<AudioFileData> ReadOggFile(std::FILE* file) {
  int error = 0;
  // The decoder reads from the file but leaves closing it to the caller.
  stb_vorbis* decoder = stb_vorbis_open_file(file, 0, &error, nullptr);
  if (!decoder) return std::nullopt;
  const stb_vorbis_info info = stb_vorbis_get_info(decoder);
  const int channels = info.channels;
  if (channels <= 0) {
    stb_vorbis_close(decoder);
    return std::nullopt;
  }

  // Sizes in samples; the bytes are written by the decoder as 16-bit samples in place.
  const size_t step = static_cast<size_t>(channels) * 4096;
  AudioFileData result;
  result.pcm.resize(step * sizeof(short));
  size_t used = 0;
  long long frames = 0;
  for (;;) {
    const size_t capacity = result.pcm.size() / sizeof(short);
    short* out = reinterpret_cast<short*>(result.pcm.data()) + used;
    const int n = stb_vorbis_get_samples_short_interleaved(decoder, channels, out,
                                                           static_cast<int>(capacity - used));
    if (n <= 0) break;
    frames += n;
    used += static_cast<size_t>(n) * channels;
    // OpenAL takes one buffer of at most INT_MAX bytes.
    if ((used + 2 * step) * sizeof(short) > static_cast<size_t>(INT_MAX)) {
      stb_vorbis_close(decoder);
      return std::nullopt;
    }
    if (used + step > capacity) result.pcm.resize(result.pcm.size() * 2);
  }
  stb_vorbis_close(decoder);

  result.pcm.resize(used * sizeof(short));
  result.length = static_cast<int>(frames);
  result.channels = channels;
  result.bytesPerSample = 2;
  result.rate = static_cast<int>(info.sample_rate);
  return result;
}

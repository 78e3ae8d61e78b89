// Decoded sample data as the host's LoadAudioFile returns it.
#pragma once

#include <vector>

struct AudioFileData {
  std::vector<unsigned char> pcm;  // interleaved samples, channel 0 first in every frame
  int length = 0;                  // sample frames
  int channels = 0;                // as stored in the file
  int bytesPerSample = 0;          // 1 (unsigned 8-bit) or 2 (signed 16-bit little-endian)
  int rate = 0;                    // sample frames per second
};

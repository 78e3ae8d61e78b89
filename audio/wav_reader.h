// The RIFF WAVE reader for uncompressed PCM.
#pragma once

#include <cstdio>
#include <optional>

#include "audio/audio_file.h"

// Reads a WAV file from an open file; none when it is not PCM, is truncated before its "data"
// chunk, or its "data" chunk claims more bytes than the file holds. The file stays open.
std::optional<AudioFileData> ReadWavFile(std::FILE* file);

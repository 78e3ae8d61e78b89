// The Ogg Vorbis reader on stb_vorbis.
#pragma once

#include <cstdio>
#include <optional>

#include "audio/audio_file.h"

// Decodes a whole Ogg Vorbis stream into interleaved 16-bit samples; none when the decoder
// rejects it. The file stays open.
std::optional<AudioFileData> ReadOggFile(std::FILE* file);

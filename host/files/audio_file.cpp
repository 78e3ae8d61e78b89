// The host's sample decoding: the reader is chosen by the file name's extension.
#include "audio/ogg_reader.h"
#include "audio/wav_reader.h"
#include "host/game.h"

namespace {

bool EndsWithLower(const String& path, const char* suffix) {
  const String tail = FromLatin1(suffix);
  if (path.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char16_t c = path[path.size() - tail.size() + i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != tail[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<AudioFileData> BBGlfwGame::LoadAudioFile(const String& path) {
  std::FILE* file = OpenFile(path, u"rb");
  if (!file) return std::nullopt;
  std::optional<AudioFileData> result;
  if (EndsWithLower(path, ".wav")) {
    result = ReadWavFile(file);
  } else if (EndsWithLower(path, ".ogg")) {
    result = ReadOggFile(file);
  }
  std::fclose(file);
  return result;
}

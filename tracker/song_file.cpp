// Saving and loading songs in the data folder's "songs" folder.
#include <cstdio>
#include <memory>

#include "host/dialogs/requester.h"
#include "host/game.h"
#include "runtime/stream.h"
#include "tracker/song_text.h"

namespace {

const String kSongsFolder = u"taliscor://data/songs/";

// The file a song is written to before it replaces the target: a hidden name in the same
// folder, so the final rename never crosses file systems.
String TemporaryPathFor(const String& target) {
  const size_t slash = target.rfind(u'/');
  return target.substr(0, slash + 1) + u"." + target.substr(slash + 1) + u".saving";
}

bool RemoveFile(const String& path) {
  const String mapped = BBGame::Game()->MapRuntimePath(path);
  return !mapped.empty() && std::remove(EncodeUtf8(mapped).c_str()) == 0;
}

bool RenameFile(const String& from, const String& to) {
  const String mappedFrom = BBGame::Game()->MapRuntimePath(from);
  const String mappedTo = BBGame::Game()->MapRuntimePath(to);
  if (mappedFrom.empty() || mappedTo.empty()) return false;
  return std::rename(EncodeUtf8(mappedFrom).c_str(), EncodeUtf8(mappedTo).c_str()) == 0;
}

// Writes the text as UTF-8 to a temporary file, puts it on the storage device and only then
// renames it over the target. Any failure removes the temporary file and leaves an existing
// song untouched.
bool WriteSongFile(const String& target, const String& text) {
  const String temporary = TemporaryPathFor(target);
  std::unique_ptr<c_FileStream> stream = OpenFileStream(temporary, u"w");
  if (!stream) return false;
  bool written = true;
  try {
    stream->WriteText(text, u"utf8");
  } catch (c_StreamWriteError&) {
    written = false;
  }
  written = written && stream->Sync();
  if (BBFileStream* host = stream->Host()) written = host->Close() == 0 && written;
  stream->Close();
  if (written && RenameFile(temporary, target)) return true;
  RemoveFile(temporary);
  return false;
}

}  // namespace

String c_SoundEngine::SaveSong(const String& name) {
  if (name.empty()) return u"Enter a Name...";
  if (!ConfirmDialog(u"File Operation",
                     u"There might be an existing File ! Do you really want to continue ?",
                     false)) {
    return u"Save Failed...";
  }
  if (!WriteSongFile(kSongsFolder + name, BuildSongText(*this))) return u"Saving Failed!";
  return u"File Saved...";
}

String c_SoundEngine::LoadSong() {
  const String path = RequestFile(u"Select a File from DATA/SONGS/ to Load!", u"SongData:dat",
                                  false, u"data/songs/");
  songFileName = SongNameFromPath(path);
  const String text = BBGame::Game()->LoadTextFile(kSongsFolder + songFileName);
  if (text.empty()) return u"Loading Failed!";
  ApplySongText(*this, text);
  return u"File Loaded...";
}

// Saving and loading songs in the data folder's "songs" folder.
#include "host/dialogs/requester.h"
#include "host/game.h"
#include "tracker/song_text.h"

namespace {
const String kSongsFolder = u"taliscor://data/songs/";
}  // namespace

String c_SoundEngine::LoadSong() {
  const String path = RequestFile(u"Select a File from DATA/SONGS/ to Load!", u"SongData:dat",
                                  false, u"data/songs/");
  songFileName = SongNameFromPath(path);
  const String text = BBGame::Game()->LoadTextFile(kSongsFolder + songFileName);
  if (text.empty()) return u"Loading Failed!";
  ApplySongText(*this, text);
  return u"File Loaded...";
}

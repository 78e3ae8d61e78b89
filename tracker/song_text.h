// Converting the song to and from the text of a song file.
#pragma once

#include "runtime/text.h"
#include "tracker/sound_engine.h"

// Number of patterns a song file stores: the highest pattern in the order list + 1 (1 to 256).
int StoredPatternCount(const c_SoundEngine& song);

// The whole song file as text.
String BuildSongText(const c_SoundEngine& song);

// Replaces the song data with the song read from a file's text. The magic is not checked;
// numbers missing at the end of a short text read as 0 and descriptions as empty. Undo history,
// editing state and voices are left as they are.
void ApplySongText(c_SoundEngine& song, const String& text);

// The song's name in a chosen path: what follows the last "songs/" (subfolders included), else
// the path without its first character.
String SongNameFromPath(const String& path);

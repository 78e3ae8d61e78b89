#include "tracker/sound_engine.h"

// The editor's pass (cursor, note entry, commands and the note preview) is handled here.
void c_SoundEngine::EditorInput() {}

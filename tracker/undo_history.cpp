#include "tracker/sound_engine.h"

void c_SoundEngine::PushUndoSnapshot() {
  undoIndex += 1;
  if (undoIndex > UNDO_SLOTS - 1 || undoIndex < 0) undoIndex = 0;
  UndoSnapshot& slot = undoHistory[static_cast<size_t>(undoIndex)];
  slot.notes = trackNotes;
  slot.volumes = trackVolumes;
  slot.instruments = trackInstruments;
  slot.octaves = trackOctaves;
}

void c_SoundEngine::RestoreUndoSnapshot() {
  if (undoIndex > 0) undoIndex -= 1;
  if (undoIndex > UNDO_SLOTS - 1 || undoIndex < 0) undoIndex = 0;
  const UndoSnapshot& slot = undoHistory[static_cast<size_t>(undoIndex)];
  trackNotes = slot.notes;
  trackVolumes = slot.volumes;
  trackInstruments = slot.instruments;
  trackOctaves = slot.octaves;
}

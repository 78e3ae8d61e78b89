// Runtime paths: "taliscor://data/" names the data folder beside the program.
#pragma once

#include "runtime/text.h"

// Bare names become "taliscor://data/" + name; paths with a scheme or drive ("x:/" where the
// first "/" is the one after the first ":/"), and paths starting with "./" or "/" stay as given.
String ResolveDataPath(const String& path);

// Maps a runtime path given the program's folder: "taliscor://data/" and "taliscor://external/"
// go to folders beside the program, "taliscor://internal/" to internalFolder; any other
// "taliscor:" path gives empty text; every other path is returned unchanged.
String MapRuntimePathIn(const String& appFolder, const String& internalFolder, const String& path);

// The folder that holds the running program (from /proc/self/exe), without the trailing "/".
// Aborts the process when the program's file name has no "/".
String ProgramFolder();

// Decoding whole text files into text.
#pragma once

#include <cstddef>

#include "runtime/text.h"

// Decodes a text file's bytes: FE FF / FF FE start UTF-16 (big / little endian, a last odd byte
// ignored); otherwise, unless the file is exactly 2 bytes long, a UTF-8 byte-order mark is
// skipped and the rest decoded as UTF-8 of one to three bytes per unit, falling back to one
// character per byte (ISO-8859-1) for the whole content when any sequence is malformed.
String DecodeTextFileBytes(const unsigned char* bytes, size_t count);

// LoadTextFile (ResolveDataPath (path)) through the game.
String LoadTextResource(const String& path);

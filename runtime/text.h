// Text as the program handles it: a sequence of 16-bit UTF-16 code units. Lengths and indexes
// count units. Text leaves the program as UTF-8 with every unit encoded on its own.
#pragma once

#include <string>

using String = std::u16string;

// Encodes every UTF-16 unit on its own: below 0x80 one byte, below 0x800 two bytes, otherwise
// three bytes. Surrogate halves are encoded separately, never combined.
std::string EncodeUtf8(const String& text);

// Appends the encoding of one unit to out and returns the number of bytes appended (1 to 3).
int AppendUtf8Unit(std::string& out, char16_t unit);

// Builds a text from 8-bit characters, one unit per byte (ISO-8859-1). Handy for ASCII names.
String FromLatin1(const std::string& bytes);

// Lossy view of a text as 8-bit characters (units above 255 become '?'); for file system paths
// and messages where the program only ever produces ASCII.
std::string ToLatin1(const String& text);

// The text's integer value like the C library's atoi, looking at no more than its first 63 units.
int TextToInt(const String& text);

// Decimal text of an integer.
String IntToText(int value);

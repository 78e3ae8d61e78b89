// Text exchanged with the dialog programs: their arguments and their answers are UTF-8.
#pragma once

#include <string>

#include "runtime/text.h"

// UTF-8 for a program argument: surrogate pairs become one four-byte character, a lone surrogate
// becomes U+FFFD and NUL units are left out (an argument cannot hold them).
std::string ToUtf8Argument(const String& text);

// Decodes a program's UTF-8 output into text: characters above U+FFFF become surrogate pairs and
// every malformed byte becomes U+FFFD.
String FromUtf8Output(const std::string& bytes);

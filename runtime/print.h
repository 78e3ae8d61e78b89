// Text output on the standard streams.
#pragma once

#include "runtime/text.h"

// Writes the text as UTF-8 (each unit on its own) plus a newline to standard output and flushes.
void PrintLine(const String& text);

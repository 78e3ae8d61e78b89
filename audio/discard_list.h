// OpenAL buffers waiting to be deleted. A buffer may still be attached to a source when its
// sample goes away; it is deleted by the device once no source holds it any more.
#pragma once

#include <vector>

// The process-wide list of buffer names waiting for deletion.
std::vector<unsigned int>& DiscardedBuffers();

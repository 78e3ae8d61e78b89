// A loaded sample: one OpenAL buffer, handed to the discard list when the sample goes away.
#include "audio/discard_list.h"
#include "audio/sound_device.h"

gxtkSample::gxtkSample() = default;

gxtkSample::~gxtkSample() {
  gxtkSample::DiscardSample();
}

void gxtkSample::DiscardSample() {
  if (buffer == 0) return;
  // Without a device the buffer's OpenAL device is gone already, and with it the buffer; a name
  // kept now could only ever match a buffer of a later device.
  if (AudioDevice()) DiscardedBuffers().push_back(buffer);
  buffer = 0;
}

// Framework streams: the application writes files through c_FileStream, text always as UTF-8.
#pragma once

#include <memory>

#include "runtime/data_buffer.h"
#include "runtime/file_stream.h"
#include "runtime/runtime_error.h"
#include "runtime/text.h"

class c_Stream {
 public:
  virtual ~c_Stream();
  virtual int Write(c_DataBuffer* buffer, int offset, int count) = 0;
  virtual void Close() = 0;

  // Writes the text as UTF-8 whatever the encoding named; throws c_StreamWriteError when a
  // write makes no progress (for instance on a closed stream). An empty text writes nothing.
  void WriteText(const String& text, const String& encoding);
};

class c_FileStream : public c_Stream {
 public:
  explicit c_FileStream(std::unique_ptr<BBFileStream> stream);
  ~c_FileStream() override;

  int Write(c_DataBuffer* buffer, int offset, int count) override;
  // Closes the file; closing a closed stream does nothing.
  void Close() override;

  // Flushes what was written and waits until it is on the storage device (for writing a file
  // safely before it replaces another). False when the stream is closed or this fails.
  bool Sync();

  // The host stream, or none once closed.
  BBFileStream* Host() const { return stream.get(); }

 private:
  std::unique_ptr<BBFileStream> stream;
};

// A stream that failed; the stream is not owned.
class c_StreamError : public ThrowableObject {
 public:
  explicit c_StreamError(c_Stream* stream) : stream(stream) {}
  c_Stream* Stream() const { return stream; }

 private:
  c_Stream* stream;
};

class c_StreamWriteError : public c_StreamError {
 public:
  using c_StreamError::c_StreamError;
};

// Opens a file stream on a runtime path ("taliscor://data/..."; not prefixed with the data
// folder) with mode "r", "w", "u" or "a" (positioned at the end). None when the mode is unknown
// or the file cannot be opened.
std::unique_ptr<c_FileStream> OpenFileStream(const String& path, const String& mode);

// The host layer of streams: a C file opened through the game's OpenFile, with its position
// and length tracked in bytes.
#pragma once

#include <cstdio>

#include "runtime/data_buffer.h"
#include "runtime/text.h"

class BBStream {
 public:
  virtual ~BBStream();
  virtual int Eof() = 0;
  virtual int Close() = 0;
  virtual int Length() = 0;
  virtual int Position() = 0;
  virtual int Seek(int offset) = 0;
  virtual int Read(BBDataBuffer* buffer, int offset, int count) = 0;
  virtual int Write(BBDataBuffer* buffer, int offset, int count) = 0;
};

class BBFileStream : public BBStream {
 public:
  BBFileStream();
  ~BBFileStream() override;  // closes the file if one is open

  // -1 when no file is open, else 1 at the end and 0 before it.
  int Eof() override;
  // The result of the C close (0 when nothing was open); afterwards no file, position and
  // length 0.
  int Close() override;
  int Length() override;
  int Position() override;
  // Moves to offset bytes from the start; returns the position afterwards (0 with no file).
  int Seek(int offset) override;
  // Reads up to count bytes into the buffer at offset; returns the bytes read.
  int Read(BBDataBuffer* buffer, int offset, int count) override;
  // Writes count bytes from the buffer at offset; returns the bytes written. Counts reaching
  // outside the buffer are cut to what it holds.
  int Write(BBDataBuffer* buffer, int offset, int count) override;

  // Opens the runtime path (mapped by the game, not prefixed with the data folder) with mode
  // "r" (read), "w" (create or truncate), "u" (read and write, created when missing) or "a"
  // (as "u", positioned at the end). False when a file is already open, the mode is unknown
  // (the file system is not touched) or the file cannot be opened.
  bool Open(const String& path, const String& mode);

  // Hands everything written so far to the operating system and waits until it is on the
  // storage device (fflush + fsync). False when no file is open or either step fails.
  bool Sync();

  // The open C file, or none.
  std::FILE* File() const { return file; }

 private:
  enum class LastAccess { NONE, READ, WRITE };
  // C streams need a positioning call between a read and a following write and vice versa.
  void SwitchAccess(LastAccess access);

  std::FILE* file = nullptr;
  int position = 0;
  int length = 0;
  LastAccess lastAccess = LastAccess::NONE;
};

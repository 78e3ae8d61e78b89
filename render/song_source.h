// The song file a render reads: clear reasons for files that cannot be songs, and the file's
// path as the tracker's host reads it.
#pragma once

#include <string>

#include "runtime/text.h"

// Empty when the file can be opened for reading and is not empty; otherwise the reason, naming
// the file ("cannot read song x.dat: No such file or directory", "… it is a folder", "song x.dat
// is empty").
std::string ProbeSongFile(const std::string& path);

// Whether the text read from a song file begins with the song magic "QNT1".
bool HasSongMagic(const String& text);

// The song's file opened for the host's text reader: the path as host text, or a name of the
// open file under /dev/fd when the path does not survive the host's UTF-8 text (a file name
// with characters beyond U+FFFF or with bytes that are not UTF-8). A relative path is kept
// relative to the working folder: it never reads as one of the host's "taliscor:" paths.
class SongSource {
 public:
  explicit SongSource(const std::string& path);
  ~SongSource();
  SongSource(const SongSource&) = delete;
  SongSource& operator=(const SongSource&) = delete;

  const String& HostPath() const { return hostPath; }

 private:
  String hostPath;
  int fd = -1;
};

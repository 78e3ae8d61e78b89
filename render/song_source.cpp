#include "render/song_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/files/text_file.h"

std::string ProbeSongFile(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    return "cannot read song " + path + ": " + std::strerror(errno);
  }
  if (S_ISDIR(info.st_mode)) return "cannot read song " + path + ": it is a folder";
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return "cannot read song " + path + ": " + std::strerror(errno);
  close(fd);
  if (S_ISREG(info.st_mode) && info.st_size == 0) return "song " + path + " is empty";
  return std::string();
}

bool HasSongMagic(const String& text) {
  return text.compare(0, 4, u"QNT1") == 0;
}

SongSource::SongSource(const std::string& path) {
  std::string local = path;
  // "./" keeps a relative name from reading as a scheme such as "taliscor:".
  if (!local.empty() && local[0] != '/') local = "./" + local;
  const String text =
      DecodeTextFileBytes(reinterpret_cast<const unsigned char*>(local.data()), local.size());
  if (EncodeUtf8(text) == local) {
    hostPath = text;
    return;
  }
  fd = open(path.c_str(), O_RDONLY);
  hostPath = FromLatin1("/dev/fd/" + std::to_string(fd));
}

SongSource::~SongSource() {
  if (fd >= 0) close(fd);
}

// Saving and loading songs in the data folder's "songs" folder.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

#include "host/dialogs/requester.h"
#include "host/game.h"
#include "runtime/stream.h"
#include "tracker/song_text.h"

namespace {

const String kSongsFolder = u"taliscor://data/songs/";

// Attempts at finding a temporary name that no file has yet.
constexpr int kTemporaryNameTries = 100;

// The file system path of a runtime path, as the C library takes it.
std::string FileSystemPath(const String& path) {
  const String mapped = BBGame::Game()->MapRuntimePath(path);
  return mapped.empty() ? std::string() : EncodeUtf8(mapped);
}

bool Exists(const String& path) {
  const std::string fsPath = FileSystemPath(path);
  struct stat info;
  return !fsPath.empty() && lstat(fsPath.c_str(), &info) == 0;
}

// The file a song is written to before it replaces the target: a hidden name in the same
// folder (so the final rename never crosses file systems and the chooser does not list it) that
// no file has yet, so no other file is ever overwritten by it. Empty when none is free.
String TemporaryPathFor(const String& target) {
  const size_t slash = target.rfind(u'/');
  const String stem = target.substr(0, slash + 1) + u"." + target.substr(slash + 1);
  for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    const String candidate =
        stem + (attempt == 0 ? String() : u"." + IntToText(attempt)) + u".saving";
    if (!Exists(candidate)) return candidate;
  }
  return String();
}

// Whether an existing file at the path may not be written by this process: a song the user
// write-protected keeps its content, as it would if it were opened for writing.
bool WriteProtected(const String& path) {
  const std::string fsPath = FileSystemPath(path);
  if (fsPath.empty() || faccessat(AT_FDCWD, fsPath.c_str(), W_OK, AT_EACCESS) == 0) return false;
  return errno == EACCES || errno == EPERM || errno == EROFS;
}

void RemoveFile(const String& path) {
  const std::string fsPath = FileSystemPath(path);
  if (!fsPath.empty()) std::remove(fsPath.c_str());
}

bool RenameFile(const String& from, const String& to) {
  const std::string fsFrom = FileSystemPath(from);
  const std::string fsTo = FileSystemPath(to);
  return !fsFrom.empty() && !fsTo.empty() && std::rename(fsFrom.c_str(), fsTo.c_str()) == 0;
}

// A song saved over an existing one keeps that file's permissions.
void KeepPermissions(const String& target, std::FILE* file) {
  const std::string fsTarget = FileSystemPath(target);
  struct stat info;
  if (file && !fsTarget.empty() && stat(fsTarget.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    fchmod(fileno(file), info.st_mode & 07777);
  }
}

// Puts the folder's entry of a renamed file on the storage device. The song is already saved
// when this runs; a failure here only weakens the guarantee after a power loss.
void SyncFolderOf(const String& path) {
  const std::string fsPath = FileSystemPath(path);
  const size_t slash = fsPath.rfind('/');
  if (slash == std::string::npos) return;
  const int folder = open(fsPath.substr(0, slash + 1).c_str(), O_RDONLY | O_DIRECTORY);
  if (folder < 0) return;
  fsync(folder);
  close(folder);
}

// While a song is written, a write past the process's file size limit fails with EFBIG like any
// other failed write instead of ending the program with SIGXFSZ.
class FileSizeSignalIgnored {
 public:
  FileSizeSignalIgnored() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, &previous);
  }
  ~FileSizeSignalIgnored() { sigaction(SIGXFSZ, &previous, nullptr); }
  FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
  FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

 private:
  struct sigaction previous {};
};

// Writes the text as UTF-8 to a temporary file, puts it on the storage device and only then
// renames it over the target. Any failure removes the temporary file and leaves an existing
// song untouched; so does a target this process may not write (renaming needs only the
// folder's permission, which would otherwise replace a write-protected song).
bool WriteSongFile(const String& target, const String& text) {
  if (WriteProtected(target)) return false;
  const String temporary = TemporaryPathFor(target);
  if (temporary.empty()) return false;
  const FileSizeSignalIgnored fileSizeSignal;
  std::unique_ptr<c_FileStream> stream = OpenFileStream(temporary, u"w");
  if (!stream) return false;
  bool written = true;
  try {
    stream->WriteText(text, u"utf8");
  } catch (c_StreamWriteError&) {
    written = false;
  }
  if (BBFileStream* host = stream->Host()) KeepPermissions(target, host->File());
  written = written && stream->Sync();
  // The close's own result counts too: a file system may report a failed write only there.
  if (BBFileStream* host = stream->Host()) written = host->Close() == 0 && written;
  stream->Close();
  if (written && RenameFile(temporary, target)) {
    SyncFolderOf(target);
    return true;
  }
  RemoveFile(temporary);
  return false;
}

}  // namespace

String c_SoundEngine::SaveSong(const String& name) {
  if (name.empty()) return u"Enter a Name...";
  if (!ConfirmDialog(u"File Operation",
                     u"There might be an existing File ! Do you really want to continue ?",
                     false)) {
    return u"Save Failed...";
  }
  if (!WriteSongFile(kSongsFolder + name, BuildSongText(*this))) return u"Saving Failed!";
  return u"File Saved...";
}

String c_SoundEngine::LoadSong() {
  const String path = RequestFile(u"Select a File from DATA/SONGS/ to Load!", u"SongData:dat",
                                  false, u"data/songs/");
  songFileName = SongNameFromPath(path);
  const String text = BBGame::Game()->LoadTextFile(kSongsFolder + songFileName);
  if (text.empty()) return u"Loading Failed!";
  ApplySongText(*this, text);
  return u"File Loaded...";
}

#include "host/dialogs/initial_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "host/dialogs/utf8_text.h"

namespace {

bool IsFolderOnDisk(const String& path) {
  struct stat info;
  return stat(ToUtf8Argument(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

String CurrentFolder() {
  std::string buffer(4096, '\0');
  while (getcwd(&buffer[0], buffer.size()) == nullptr) {
    if (errno != ERANGE) return u"/";
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  return FromUtf8Output(buffer);
}

}  // namespace

std::optional<InitialPath> SplitInitialPath(const String& path) {
  InitialPath split;
  const size_t slash = path.rfind(u'/');
  if (slash == String::npos) {
    split.fileName = path;
  } else {
    // "/name" names a file in the root folder, so the folder keeps its "/".
    split.folder = path.substr(0, slash == 0 ? 1 : slash);
    split.fileName = path.substr(slash + 1);
  }
  if (split.fileName.size() >= MAX_FILE_NAME_LENGTH) return std::nullopt;
  return split;
}

String JoinPath(const String& folder, const String& fileName) {
  if (!folder.empty() && folder.back() == u'/') return folder + fileName;
  return folder + u"/" + fileName;
}

String ChooseStartFolder(const String& folder, const String& currentFolder,
                         const String& programFolder,
                         const std::function<bool(const String&)>& isFolder) {
  if (folder.empty()) return currentFolder;
  if (folder.front() == u'/') return folder;
  const String underCurrent = JoinPath(currentFolder, folder);
  if (isFolder(underCurrent)) return underCurrent;
  if (!programFolder.empty()) {
    const String besideProgram = JoinPath(programFolder, folder);
    if (isFolder(besideProgram)) return besideProgram;
  }
  return underCurrent;
}

String StartFolder(const String& folder, const String& programFolder) {
  return ChooseStartFolder(folder, CurrentFolder(), programFolder, IsFolderOnDisk);
}

#include "host/files/data_path.h"

#include "host/files/text_file.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace {

bool StartsWith(const String& text, const String& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

String ResolveDataPath(const String& path) {
  const size_t scheme = path.find(u":/");
  if (scheme != String::npos && path.find(u'/') == scheme + 1) return path;
  if (StartsWith(path, u"./") || StartsWith(path, u"/")) return path;
  return u"taliscor://data/" + path;
}

String MapRuntimePathIn(const String& appFolder, const String& internalFolder,
                        const String& path) {
  if (!StartsWith(path, u"taliscor:")) return path;
  static const String kData = u"taliscor://data/";
  static const String kInternal = u"taliscor://internal/";
  static const String kExternal = u"taliscor://external/";
  if (StartsWith(path, kData)) return appFolder + u"/data/" + path.substr(kData.size());
  if (StartsWith(path, kInternal)) return internalFolder + u"/" + path.substr(kInternal.size());
  if (StartsWith(path, kExternal)) {
    return appFolder + u"/external/" + path.substr(kExternal.size());
  }
  return String();
}

String ProgramFolder() {
  char buffer[PATH_MAX + 1];
  const ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
  const size_t length = n > 0 ? static_cast<size_t>(n) : 0;
  const String exe = DecodeTextFileBytes(reinterpret_cast<const unsigned char*>(buffer), length);
  const size_t slash = exe.rfind(u'/');
  if (slash == String::npos) std::abort();
  return exe.substr(0, slash);
}

// The command lines of the desktop's dialog programs: zenity (GTK) and kdialog (KDE).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/dialogs/file_filter.h"
#include "runtime/text.h"

enum class DialogProgram { kZenity, kKdialog };

struct DialogProgramPath {
  DialogProgram program;
  std::string path;  // the executable found on the search path
};

// zenity when it is on the search path (a PATH value), else kdialog; none when neither is.
std::optional<DialogProgramPath> FindDialogProgram(const std::string& searchPath);

struct FileDialogCommand {
  String title;
  std::vector<FileFilterEntry> filter;
  bool save = false;
  String startPath;         // absolute: the start folder + "/" + the proposed name
  unsigned long owner = 0;  // X11 window the dialog belongs to; 0 for none
};

// Each vector starts with the program's name; the rest are its arguments.
std::vector<std::string> FileDialogArguments(DialogProgram program,
                                             const FileDialogCommand& command);
// An OK/Cancel question; serious shows a warning icon, otherwise an information icon.
std::vector<std::string> QuestionArguments(DialogProgram program, const String& title,
                                           const String& message, bool serious,
                                           unsigned long owner);
// A warning with an OK button only.
std::vector<std::string> WarningArguments(DialogProgram program, const String& title,
                                          const String& message, unsigned long owner);

// Environment entries that keep GTK from printing warnings about services it cannot reach:
// without a session bus (neither DBUS_SESSION_BUS_ADDRESS nor the bus socket in
// XDG_RUNTIME_DIR) the accessibility bridge and the settings store cannot work anyway, so they
// are switched off (NO_AT_BRIDGE=1, GSETTINGS_BACKEND=memory) unless already set. getVariable
// reads an environment variable (null when unset); exists tells whether a path exists.
std::vector<std::string> QuietEnvironment(
    const std::function<const char*(const char*)>& getVariable,
    const std::function<bool(const std::string&)>& exists);

#include "host/dialogs/dialog_commands.h"

#include "host/dialogs/child_process.h"
#include "host/dialogs/utf8_text.h"

namespace {

// GTK matches patterns with case; "*.[dD][aA][tT]" also offers files saved as "SONG.DAT".
std::string CaselessPattern(const String& extension) {
  std::string pattern = "*.";
  for (unsigned char c : ToUtf8Argument(extension)) {
    const char lower = static_cast<char>(c | 0x20);
    if (lower >= 'a' && lower <= 'z') {
      pattern += '[';
      pattern += lower;
      pattern += static_cast<char>(lower - 'a' + 'A');
      pattern += ']';
    } else {
      pattern += static_cast<char>(c);
    }
  }
  return pattern;
}

std::string PlainPatterns(const FileFilterEntry& entry) {
  if (entry.extensions.empty()) return "*";
  std::string patterns;
  for (const String& extension : entry.extensions) {
    if (!patterns.empty()) patterns += ' ';
    patterns += "*." + ToUtf8Argument(extension);
  }
  return patterns;
}

std::string ZenityFilter(const FileFilterEntry& entry) {
  std::string patterns;
  for (const String& extension : entry.extensions) {
    if (!patterns.empty()) patterns += ' ';
    patterns += CaselessPattern(extension);
  }
  if (patterns.empty()) patterns = "*";
  // Without a description the plain patterns name the entry.
  const std::string name =
      entry.description.empty() ? PlainPatterns(entry) : ToUtf8Argument(entry.description);
  return "--file-filter=" + name + " | " + patterns;
}

// Qt's form "Description (*.a *.b)", one entry a line.
std::string KdialogFilter(const std::vector<FileFilterEntry>& filter) {
  std::string text;
  for (const FileFilterEntry& entry : filter) {
    if (!text.empty()) text += '\n';
    const std::string patterns = PlainPatterns(entry);
    text += entry.description.empty() ? patterns
                                      : ToUtf8Argument(entry.description) + " (" + patterns + ")";
  }
  return text;
}

void AddZenityOwner(std::vector<std::string>& arguments, unsigned long owner) {
  if (owner != 0) arguments.push_back("--attach=" + std::to_string(owner));
}

void AddKdialogOwner(std::vector<std::string>& arguments, unsigned long owner) {
  if (owner == 0) return;
  arguments.push_back("--attach");
  arguments.push_back(std::to_string(owner));
}

}  // namespace

std::optional<DialogProgramPath> FindDialogProgram(const std::string& searchPath) {
  std::string path = FindProgram("zenity", searchPath);
  if (!path.empty()) return DialogProgramPath{DialogProgram::kZenity, path};
  path = FindProgram("kdialog", searchPath);
  if (!path.empty()) return DialogProgramPath{DialogProgram::kKdialog, path};
  return std::nullopt;
}

std::vector<std::string> FileDialogArguments(DialogProgram program,
                                             const FileDialogCommand& command) {
  if (program == DialogProgram::kZenity) {
    std::vector<std::string> arguments = {"zenity", "--file-selection",
                                          "--title=" + ToUtf8Argument(command.title)};
    AddZenityOwner(arguments, command.owner);
    if (command.save) {
      arguments.push_back("--save");
      arguments.push_back("--confirm-overwrite");
    }
    arguments.push_back("--filename=" + ToUtf8Argument(command.startPath));
    for (const FileFilterEntry& entry : command.filter) arguments.push_back(ZenityFilter(entry));
    return arguments;
  }
  std::vector<std::string> arguments = {"kdialog", "--title", ToUtf8Argument(command.title)};
  AddKdialogOwner(arguments, command.owner);
  // kdialog's open chooser accepts existing files only; its save chooser asks before replacing.
  arguments.push_back(command.save ? "--getsavefilename" : "--getopenfilename");
  arguments.push_back(ToUtf8Argument(command.startPath));
  const std::string filter = KdialogFilter(command.filter);
  if (!filter.empty()) arguments.push_back(filter);
  return arguments;
}

std::vector<std::string> QuestionArguments(DialogProgram program, const String& title,
                                           const String& message, bool serious,
                                           unsigned long owner) {
  if (program == DialogProgram::kZenity) {
    std::vector<std::string> arguments = {
        "zenity",
        "--question",
        "--title=" + ToUtf8Argument(title),
        "--text=" + ToUtf8Argument(message),
        "--no-markup",
        serious ? "--icon-name=dialog-warning" : "--icon-name=dialog-information",
        "--ok-label=OK",
        "--cancel-label=Cancel"};
    AddZenityOwner(arguments, owner);
    return arguments;
  }
  std::vector<std::string> arguments = {"kdialog", "--title", ToUtf8Argument(title)};
  AddKdialogOwner(arguments, owner);
  if (serious) {
    arguments.insert(arguments.end(), {"--warningcontinuecancel", ToUtf8Argument(message),
                                       "--continue-label", "OK", "--cancel-label", "Cancel"});
  } else {
    arguments.insert(arguments.end(), {"--yesno", ToUtf8Argument(message), "--yes-label", "OK",
                                       "--no-label", "Cancel"});
  }
  return arguments;
}

std::vector<std::string> WarningArguments(DialogProgram program, const String& title,
                                          const String& message, unsigned long owner) {
  if (program == DialogProgram::kZenity) {
    std::vector<std::string> arguments = {"zenity", "--warning", "--title=" + ToUtf8Argument(title),
                                          "--text=" + ToUtf8Argument(message), "--no-markup"};
    AddZenityOwner(arguments, owner);
    return arguments;
  }
  std::vector<std::string> arguments = {"kdialog", "--title", ToUtf8Argument(title)};
  AddKdialogOwner(arguments, owner);
  arguments.insert(arguments.end(), {"--sorry", ToUtf8Argument(message)});
  return arguments;
}

std::vector<std::string> QuietEnvironment(
    const std::function<const char*(const char*)>& getVariable,
    const std::function<bool(const std::string&)>& exists) {
  const char* address = getVariable("DBUS_SESSION_BUS_ADDRESS");
  if (address && *address) return {};
  const char* runtimeFolder = getVariable("XDG_RUNTIME_DIR");
  if (runtimeFolder && *runtimeFolder && exists(std::string(runtimeFolder) + "/bus")) return {};
  std::vector<std::string> entries;
  if (!getVariable("NO_AT_BRIDGE")) entries.push_back("NO_AT_BRIDGE=1");
  if (!getVariable("GSETTINGS_BACKEND")) entries.push_back("GSETTINGS_BACKEND=memory");
  return entries;
}

#include "host/dialogs/desktop_requester.h"

#include <sys/stat.h>

#include <cstdlib>
#include <utility>

#include "host/dialogs/child_process.h"
#include "host/dialogs/dialog_commands.h"
#include "host/dialogs/file_filter.h"
#include "host/dialogs/initial_path.h"
#include "host/dialogs/owner_window.h"
#include "host/dialogs/utf8_text.h"

namespace {

std::vector<std::string> DialogEnvironment() {
  return QuietEnvironment([](const char* name) { return std::getenv(name); },
                          [](const std::string& path) {
                            struct stat info;
                            return stat(path.c_str(), &info) == 0;
                          });
}

// Runs one dialog; its standard output when it closed with OK (exit status 0), else none.
std::optional<std::string> RunDialog(const DialogProgramPath& program,
                                     const std::vector<std::string>& arguments) {
  const ChildResult result = RunChild(program.path, arguments, DialogEnvironment());
  if (!result.exited || result.exitStatus != 0) return std::nullopt;
  return result.output;
}

// The chosen path: the output without the line end the program puts after it.
String ChosenPath(std::string output) {
  if (!output.empty() && output.back() == '\n') output.pop_back();
  return FromUtf8Output(output);
}

bool IsExistingFile(const String& path) {
  struct stat info;
  return stat(ToUtf8Argument(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

String FileName(const String& path) {
  return path.substr(path.rfind(u'/') + 1);
}

}  // namespace

DesktopRequester::DesktopRequester(std::function<String()> programFolder,
                                   std::function<GLFWwindow*()> ownerWindow, std::string searchPath)
    : programFolder(std::move(programFolder)),
      ownerWindow(std::move(ownerWindow)),
      searchPath(std::move(searchPath)) {}

std::string DesktopRequester::SearchPath() const {
  if (!searchPath.empty()) return searchPath;
  const char* path = std::getenv("PATH");
  return path ? path : "/usr/local/bin:/usr/bin:/bin";
}

String DesktopRequester::RequestFile(const String& title, const String& filter, bool save,
                                     const String& initialPath) {
  const std::optional<InitialPath> initial = SplitInitialPath(initialPath);
  if (!initial) return String();
  const std::optional<DialogProgramPath> program = FindDialogProgram(SearchPath());
  if (!program) return String();

  OwnerWindow owner(ownerWindow ? ownerWindow() : nullptr);
  FileDialogCommand command;
  command.title = title;
  command.filter = ParseFileFilter(filter);
  command.save = save;
  command.startPath = JoinPath(
      StartFolder(initial->folder, programFolder ? programFolder() : String()), initial->fileName);
  command.owner = owner.NativeId();
  while (true) {
    const std::optional<std::string> output =
        RunDialog(*program, FileDialogArguments(program->program, command));
    if (!output) return String();
    const String path = ChosenPath(*output);
    if (path.empty() || save || IsExistingFile(path)) return path;
    // The chooser let a name through that names no file: say so and ask again from there.
    RunDialog(*program,
              WarningArguments(program->program, title,
                               FileName(path) + u"\nFile not found.\nCheck the file name and try "
                                                u"again.",
                               command.owner));
    command.startPath = path;
  }
}

bool DesktopRequester::ConfirmDialog(const String& title, const String& message, bool serious) {
  const std::optional<DialogProgramPath> program = FindDialogProgram(SearchPath());
  if (!program) return false;
  OwnerWindow owner(ownerWindow ? ownerWindow() : nullptr);
  return RunDialog(*program,
                   QuestionArguments(program->program, title, message, serious, owner.NativeId()))
      .has_value();
}

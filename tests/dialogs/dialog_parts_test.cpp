// The parts of the desktop requester that need no dialog: the filter, the start folder, the
// command lines of zenity and kdialog, the text conversions and the child process runner.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>

#include "host/dialogs/child_process.h"
#include "host/dialogs/dialog_commands.h"
#include "host/dialogs/file_filter.h"
#include "host/dialogs/initial_path.h"
#include "host/dialogs/utf8_text.h"

namespace {

using Strings = std::vector<std::string>;

std::string Utf8(const String& text) {
  return ToUtf8Argument(text);
}

std::string Describe(const std::vector<FileFilterEntry>& entries) {
  std::string text;
  for (const FileFilterEntry& entry : entries) {
    text += "[" + Utf8(entry.description) + ":";
    for (const String& extension : entry.extensions) text += Utf8(extension) + ",";
    text += "]";
  }
  return text;
}

TEST(FileFilter, SplitsEntriesDescriptionsAndExtensions) {
  const std::vector<std::pair<String, std::string>> cases = {
      {u"SongData:dat", "[SongData:dat,]"},
      {u"Text:txt,doc", "[Text:txt,doc,]"},
      {u"SongData:dat;Text:txt,doc", "[SongData:dat,][Text:txt,doc,]"},
      {u" Text : txt , doc ", "[Text:txt,doc,]"},
      {u"Text:txt,,doc,", "[Text:txt,doc,]"},
      {u"SongData:dat;;", "[SongData:dat,]"},
      // Without ":" or without extensions an entry offers all files.
      {u"Everything", "[Everything:]"},
      {u"Nothing:", "[Nothing:]"},
      {u":dat", "[:dat,]"},
      {u"", ""},
      // Only the first ":" ends the description.
      {u"Odd:a:b", "[Odd:a:b,]"},
  };
  for (const auto& [filter, expected] : cases) {
    EXPECT_EQ(Describe(ParseFileFilter(filter)), expected) << Utf8(filter);
  }
}

TEST(InitialPath, SplitsAtTheLastSlash) {
  struct Case {
    String path;
    String folder;
    String fileName;
  };
  const std::vector<Case> cases = {
      {u"data/songs/", u"data/songs", u""}, {u"data/songs/tune.dat", u"data/songs", u"tune.dat"},
      {u"tune.dat", u"", u"tune.dat"},      {u"", u"", u""},
      {u"/tune.dat", u"/", u"tune.dat"},    {u"/home/user/songs/", u"/home/user/songs", u""},
  };
  for (const Case& c : cases) {
    const std::optional<InitialPath> split = SplitInitialPath(c.path);
    ASSERT_TRUE(split.has_value()) << Utf8(c.path);
    EXPECT_EQ(split->folder, c.folder) << Utf8(c.path);
    EXPECT_EQ(split->fileName, c.fileName) << Utf8(c.path);
  }
}

TEST(InitialPath, RefusesFileNamesOf260CharactersOrMore) {
  const String folder = u"data/songs/";
  EXPECT_TRUE(SplitInitialPath(folder + String(259, u'x')).has_value());
  EXPECT_FALSE(SplitInitialPath(folder + String(260, u'x')).has_value());
  EXPECT_FALSE(SplitInitialPath(String(300, u'x')).has_value());
  // Only the name counts: a long folder is fine.
  EXPECT_TRUE(SplitInitialPath(String(400, u'f') + u"/" + String(259, u'x')).has_value());
}

TEST(InitialPath, StartFolderPrefersTheCurrentFolderThenTheProgramsFolder) {
  const String current = u"/home/user/work";
  const String program = u"/opt/vexa";
  struct Case {
    String folder;
    std::set<String> existing;
    String expected;
  };
  const std::vector<Case> cases = {
      {u"data/songs",
       {u"/home/user/work/data/songs", u"/opt/vexa/data/songs"},
       u"/home/user/work/data/songs"},
      {u"data/songs", {u"/opt/vexa/data/songs"}, u"/opt/vexa/data/songs"},
      // Neither exists: the folder the caller named, under the current folder.
      {u"data/songs", {}, u"/home/user/work/data/songs"},
      {u"", {}, u"/home/user/work"},
      {u"/srv/music", {}, u"/srv/music"},
  };
  for (const Case& c : cases) {
    const auto isFolder = [&](const String& path) { return c.existing.count(path) > 0; };
    EXPECT_EQ(Utf8(ChooseStartFolder(c.folder, current, program, isFolder)), Utf8(c.expected))
        << Utf8(c.folder);
  }
  EXPECT_EQ(JoinPath(u"/", u"a.dat"), u"/a.dat");
  EXPECT_EQ(JoinPath(u"/x", u""), u"/x/");
}

TEST(DialogCommands, ZenityFileChooser) {
  FileDialogCommand command;
  command.title = u"Select a File from DATA/SONGS/ to Load!";
  command.filter = ParseFileFilter(u"SongData:dat;Text:txt,doc;All");
  command.startPath = u"/home/user/data/songs/";
  EXPECT_EQ(
      FileDialogArguments(DialogProgram::kZenity, command),
      (Strings{"zenity", "--file-selection", "--title=Select a File from DATA/SONGS/ to Load!",
               "--filename=/home/user/data/songs/", "--file-filter=SongData | *.[dD][aA][tT]",
               "--file-filter=Text | *.[tT][xX][tT] *.[dD][oO][cC]", "--file-filter=All | *"}));

  command.filter = ParseFileFilter(u":mp3");
  command.save = true;
  command.owner = 4194311;
  command.startPath = u"/tmp/a b/it's $(x).dat";
  EXPECT_EQ(
      FileDialogArguments(DialogProgram::kZenity, command),
      (Strings{"zenity", "--file-selection", "--title=Select a File from DATA/SONGS/ to Load!",
               "--attach=4194311", "--save", "--confirm-overwrite",
               "--filename=/tmp/a b/it's $(x).dat", "--file-filter=*.mp3 | *.[mM][pP]3"}));
}

TEST(DialogCommands, KdialogFileChooser) {
  FileDialogCommand command;
  command.title = u"Pick";
  command.filter = ParseFileFilter(u"SongData:dat;Text:txt,doc");
  command.startPath = u"/home/user/data/songs/";
  EXPECT_EQ(FileDialogArguments(DialogProgram::kKdialog, command),
            (Strings{"kdialog", "--title", "Pick", "--getopenfilename", "/home/user/data/songs/",
                     "SongData (*.dat)\nText (*.txt *.doc)"}));
  command.filter.clear();
  command.save = true;
  command.owner = 77;
  EXPECT_EQ(FileDialogArguments(DialogProgram::kKdialog, command),
            (Strings{"kdialog", "--title", "Pick", "--attach", "77", "--getsavefilename",
                     "/home/user/data/songs/"}));
}

TEST(DialogCommands, Questions) {
  const String message = u"There might be an existing File ! Do you really want to continue ?";
  EXPECT_EQ(QuestionArguments(DialogProgram::kZenity, u"File Operation", message, false, 0),
            (Strings{"zenity", "--question", "--title=File Operation",
                     "--text=There might be an existing File ! Do you really want to continue ?",
                     "--no-markup", "--icon-name=dialog-information", "--ok-label=OK",
                     "--cancel-label=Cancel"}));
  EXPECT_EQ(QuestionArguments(DialogProgram::kZenity, u"T", u"<b>&", true, 9),
            (Strings{"zenity", "--question", "--title=T", "--text=<b>&", "--no-markup",
                     "--icon-name=dialog-warning", "--ok-label=OK", "--cancel-label=Cancel",
                     "--attach=9"}));
  EXPECT_EQ(QuestionArguments(DialogProgram::kKdialog, u"T", u"Go?", false, 0),
            (Strings{"kdialog", "--title", "T", "--yesno", "Go?", "--yes-label", "OK", "--no-label",
                     "Cancel"}));
  EXPECT_EQ(QuestionArguments(DialogProgram::kKdialog, u"T", u"Go?", true, 9),
            (Strings{"kdialog", "--title", "T", "--attach", "9", "--warningcontinuecancel", "Go?",
                     "--continue-label", "OK", "--cancel-label", "Cancel"}));
  EXPECT_EQ(WarningArguments(DialogProgram::kZenity, u"T", u"x.dat\nFile not found.", 0),
            (Strings{"zenity", "--warning", "--title=T", "--text=x.dat\nFile not found.",
                     "--no-markup"}));
  EXPECT_EQ(WarningArguments(DialogProgram::kKdialog, u"T", u"gone", 0),
            (Strings{"kdialog", "--title", "T", "--sorry", "gone"}));
}

TEST(DialogCommands, QuietEnvironmentOnlyWithoutASessionBus) {
  struct Case {
    std::map<std::string, std::string> variables;
    std::set<std::string> files;
    Strings expected;
  };
  const Strings quiet = {"NO_AT_BRIDGE=1", "GSETTINGS_BACKEND=memory"};
  const std::vector<Case> cases = {
      {{}, {}, quiet},
      {{{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus"}}, {}, {}},
      {{{"XDG_RUNTIME_DIR", "/run/user/1000"}}, {"/run/user/1000/bus"}, {}},
      {{{"XDG_RUNTIME_DIR", "/run/user/1000"}}, {}, quiet},
      {{{"DBUS_SESSION_BUS_ADDRESS", ""}}, {}, quiet},
      // The user's own choices stay.
      {{{"NO_AT_BRIDGE", "0"}}, {}, {"GSETTINGS_BACKEND=memory"}},
      {{{"GSETTINGS_BACKEND", "dconf"}}, {}, {"NO_AT_BRIDGE=1"}},
  };
  for (const Case& c : cases) {
    const auto get = [&](const char* name) -> const char* {
      const auto found = c.variables.find(name);
      return found == c.variables.end() ? nullptr : found->second.c_str();
    };
    const auto exists = [&](const std::string& path) { return c.files.count(path) > 0; };
    EXPECT_EQ(QuietEnvironment(get, exists), c.expected);
  }
}

TEST(Utf8Text, ArgumentsAndOutputs) {
  // Surrogate pairs join into one character; lone halves and NULs cannot pass as such.
  EXPECT_EQ(ToUtf8Argument(u"S\u00fc\u20ac\U0001F3B5"), "S\xC3\xBC\xE2\x82\xAC\xF0\x9F\x8E\xB5");
  EXPECT_EQ(ToUtf8Argument(String(u"a\xD800"
                                  u"b")),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(ToUtf8Argument(String(u"a\0b", 3)), "ab");

  EXPECT_EQ(FromUtf8Output("S\xC3\xBC\xE2\x82\xAC\xF0\x9F\x8E\xB5"), u"S\u00fc\u20ac\U0001F3B5");
  struct Case {
    std::string bytes;
    String text;
  };
  const std::vector<Case> malformed = {
      {"a\x80z", u"a\uFFFDz"},                  // stray continuation byte
      {"a\xC3", u"a\uFFFD"},                    // cut off at the end
      {"\xC0\xAF", u"\uFFFD\uFFFD"},            // overlong "/"
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate half
      {"\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\xE2\x82z", u"\uFFFD\uFFFDz"},
  };
  for (const Case& c : malformed) EXPECT_EQ(FromUtf8Output(c.bytes), c.text);
}

class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/vexa-dialogs-XXXXXX";
    path = mkdtemp(pattern);
  }
  ~TempFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
  std::string path;
};

void WriteFile(const std::string& path, const std::string& text, mode_t mode) {
  std::ofstream(path) << text;
  chmod(path.c_str(), mode);
}

TEST(ChildProcess, FindsExecutablesOnTheSearchPath) {
  TempFolder first, second;
  WriteFile(first.path + "/kdialog", "#!/bin/sh\n", 0755);
  WriteFile(first.path + "/zenity", "not executable", 0644);
  mkdir((first.path + "/tool").c_str(), 0755);
  WriteFile(second.path + "/zenity", "#!/bin/sh\n", 0755);
  WriteFile(second.path + "/tool", "#!/bin/sh\n", 0755);

  const std::string both = first.path + "::" + second.path;
  EXPECT_EQ(FindProgram("zenity", both), second.path + "/zenity");
  EXPECT_EQ(FindProgram("tool", both), second.path + "/tool");  // a folder is no program
  EXPECT_EQ(FindProgram("missing", both), "");
  EXPECT_EQ(FindProgram("../bin/sh", "/usr"), "");

  // zenity wins wherever it is on the path; kdialog when there is no zenity.
  std::optional<DialogProgramPath> found = FindDialogProgram(both);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->program, DialogProgram::kZenity);
  EXPECT_EQ(found->path, second.path + "/zenity");
  found = FindDialogProgram(first.path);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->program, DialogProgram::kKdialog);
  EXPECT_FALSE(FindDialogProgram("/nonexistent-folder").has_value());
}

TEST(ChildProcess, PassesArgumentsVerbatimAndReportsHowTheChildEnded) {
  TempFolder folder;
  const std::string script = folder.path + "/child";
  // Prints its arguments one a line and exits with the status named by the first one.
  WriteFile(script,
            "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done\n"
            "case \"$1\" in\n"
            "  hang) exec sleep 30 ;;\n"
            "  kill) kill -9 $$ ;;\n"
            "  env) printf '%s\\n' \"$VEXA_TEST_VALUE\"; exit 0 ;;\n"
            "  stdin) cat; exit 0 ;;\n"
            "  *) exit \"$1\" ;;\n"
            "esac\n",
            0755);

  ChildResult result = RunChild(script, {"child", "3", "$(touch pwned) `x` 'q' \"d\" a;b", "*"});
  EXPECT_TRUE(result.started);
  EXPECT_TRUE(result.exited);
  EXPECT_EQ(result.exitStatus, 3);
  EXPECT_EQ(result.output, "3\n$(touch pwned) `x` 'q' \"d\" a;b\n*\n");
  EXPECT_NE(access((folder.path + "/pwned").c_str(), F_OK), 0);

  result = RunChild(script, {"child", "env"}, {"VEXA_TEST_VALUE=set by caller"});
  EXPECT_EQ(result.output, "env\nset by caller\n");

  // Standard input is empty, not the caller's.
  result = RunChild(script, {"child", "stdin"}, {}, 10000);
  EXPECT_TRUE(result.exited);
  EXPECT_EQ(result.output, "stdin\n");

  result = RunChild(script, {"child", "kill"});
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.exited);

  result = RunChild(script, {"child", "hang"}, {}, 300);
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.exited);
  EXPECT_EQ(result.output, "hang\n");

  result = RunChild(folder.path + "/missing", {"missing"});
  EXPECT_FALSE(result.started);
  EXPECT_FALSE(result.exited);
}

}  // namespace

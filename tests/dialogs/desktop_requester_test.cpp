// The desktop requester with stand-in dialog programs: shell scripts named zenity or kdialog that
// record their arguments and give scripted answers, so the results of every way a dialog can end
// are checked without a display.
#include "host/dialogs/desktop_requester.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "host/dialogs/utf8_text.h"

namespace {

using Strings = std::vector<std::string>;

std::string MakeTempFolder() {
  char pattern[] = "/tmp/vexa-requester-XXXXXX";
  return mkdtemp(pattern);
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string CurrentFolder() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) ? buffer : "";
}

// A stand-in dialog program. Call n records its arguments in args.n, prints reply.n if there is
// one and exits with the status in status.n (1, cancelled, when there is none; "kill" makes it
// die from a signal).
class FakeDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    bin = MakeTempFolder();
    state = MakeTempFolder();
    work = MakeTempFolder();
    previousFolder = CurrentFolder();
  }
  void TearDown() override {
    ASSERT_EQ(chdir(previousFolder.c_str()), 0);
    for (const std::string& folder : {bin, state, work}) {
      std::system(("rm -rf '" + folder + "'").c_str());
    }
  }

  void Install(const std::string& name) {
    const std::string path = bin + "/" + name;
    WriteFile(path,
              "#!/bin/sh\n"
              "dir='" +
                  state +
                  "'\n"
                  "n=$(( $(cat \"$dir/count\" 2>/dev/null || echo 0) + 1 ))\n"
                  "echo $n > \"$dir/count\"\n"
                  "printf '%s\\0' \"$@\" > \"$dir/args.$n\"\n"
                  "[ -f \"$dir/reply.$n\" ] && cat \"$dir/reply.$n\"\n"
                  "status=$(cat \"$dir/status.$n\" 2>/dev/null || echo 1)\n"
                  "[ \"$status\" = kill ] && kill -9 $$\n"
                  "exit $status\n");
    chmod(path.c_str(), 0755);
  }

  void Answer(int call, const std::string& reply, const std::string& status) {
    WriteFile(state + "/reply." + std::to_string(call), reply);
    WriteFile(state + "/status." + std::to_string(call), status);
  }

  int Calls() { return std::atoi(ReadFile(state + "/count").c_str()); }

  Strings Arguments(int call) {
    const std::string text = ReadFile(state + "/args." + std::to_string(call));
    Strings arguments;
    std::string::size_type start = 0, end;
    while ((end = text.find('\0', start)) != std::string::npos) {
      arguments.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return arguments;
  }

  String Text(const std::string& utf8) { return FromUtf8Output(utf8); }

  std::string bin, state, work, previousFolder;
};

const String kLoadTitle = u"Select a File from DATA/SONGS/ to Load!";

TEST_F(FakeDialogs, OpenReturnsTheChosenFileAndStartsInTheFolderUnderTheCurrentOne) {
  Install("zenity");
  ASSERT_EQ(mkdir((work + "/data").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((work + "/data/songs").c_str(), 0755), 0);
  // A name a shell would take apart; the program receives and returns it untouched.
  const std::string chosen = work + "/data/songs/my 'tune' $(touch x) ;*.dat";
  WriteFile(chosen, "QNT1");
  Answer(1, chosen + "\n", "0");
  ASSERT_EQ(chdir(work.c_str()), 0);

  DesktopRequester requester({}, {}, bin);
  EXPECT_EQ(requester.RequestFile(kLoadTitle, u"SongData:dat", false, u"data/songs/"),
            Text(chosen));
  EXPECT_EQ(CurrentFolder(), work);
  EXPECT_EQ(Calls(), 1);
  EXPECT_EQ(
      Arguments(1),
      (Strings{"--file-selection", "--title=Select a File from DATA/SONGS/ to Load!",
               "--filename=" + work + "/data/songs/", "--file-filter=SongData | *.[dD][aA][tT]"}));
  EXPECT_NE(access((work + "/data/songs/x").c_str(), F_OK), 0);
}

TEST_F(FakeDialogs, StartsBesideTheProgramWhenTheCurrentFolderLacksTheStartFolder) {
  Install("zenity");
  const std::string program = MakeTempFolder();
  ASSERT_EQ(mkdir((program + "/data").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((program + "/data/songs").c_str(), 0755), 0);
  ASSERT_EQ(chdir(work.c_str()), 0);

  DesktopRequester requester([&] { return Text(program); }, {}, bin);
  EXPECT_EQ(requester.RequestFile(kLoadTitle, u"SongData:dat", false, u"data/songs/"), u"");
  EXPECT_EQ(Arguments(1).at(2), "--filename=" + program + "/data/songs/");
  // Once the current folder has it, that one wins.
  ASSERT_EQ(mkdir((work + "/data").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((work + "/data/songs").c_str(), 0755), 0);
  EXPECT_EQ(requester.RequestFile(kLoadTitle, u"SongData:dat", false, u"data/songs/"), u"");
  EXPECT_EQ(Arguments(2).at(2), "--filename=" + work + "/data/songs/");
  std::system(("rm -rf '" + program + "'").c_str());
}

TEST_F(FakeDialogs, OpenAsksAgainWhenTheNameDoesNotExist) {
  Install("zenity");
  const std::string missing = work + "/missing.dat";
  const std::string present = work + "/present.dat";
  WriteFile(present, "QNT1");
  Answer(1, missing + "\n", "0");  // the chooser lets a new name through
  Answer(2, "", "0");              // the warning is acknowledged
  Answer(3, present + "\n", "0");  // the chooser again, now with a file

  DesktopRequester requester({}, {}, bin);
  EXPECT_EQ(requester.RequestFile(u"Load", u"SongData:dat", false, Text(work + "/")),
            Text(present));
  ASSERT_EQ(Calls(), 3);
  EXPECT_EQ(Arguments(2), (Strings{"--warning", "--title=Load",
                                   "--text=missing.dat\nFile not found.\nCheck the file name and "
                                   "try again.",
                                   "--no-markup"}));
  EXPECT_EQ(Arguments(3)[2], "--filename=" + missing);

  // Closing the chooser that opens again gives up.
  std::system(("rm -f '" + state + "'/*").c_str());
  Answer(1, missing + "\n", "0");
  Answer(2, "", "1");
  EXPECT_EQ(requester.RequestFile(u"Load", u"SongData:dat", false, Text(work + "/")), u"");
  EXPECT_EQ(Calls(), 3);
}

TEST_F(FakeDialogs, SaveReturnsANewNameAndDecodesUtf8) {
  Install("zenity");
  // Only the one line end after the path is removed.
  Answer(1, work + "/Tune \xC3\xBC \xF0\x9F\x8E\xB5 .dat\n", "0");
  DesktopRequester requester({}, {}, bin);
  EXPECT_EQ(requester.RequestFile(u"Save", u"SongData:dat", true, Text(work + "/new.dat")),
            Text(work) + u"/Tune \u00fc \U0001F3B5 .dat");
  EXPECT_EQ(Arguments(1), (Strings{"--file-selection", "--title=Save", "--save",
                                   "--confirm-overwrite", "--filename=" + work + "/new.dat",
                                   "--file-filter=SongData | *.[dD][aA][tT]"}));
}

TEST_F(FakeDialogs, ADialogThatDoesNotAnswerOkIsCancelled) {
  Install("zenity");
  DesktopRequester requester({}, {}, bin);
  const std::string existing = work + "/song.dat";
  WriteFile(existing, "QNT1");
  struct Case {
    const char* what;
    std::string reply;
    std::string status;
    bool question;  // also a case for the question
  };
  const std::vector<Case> cases = {
      {"cancelled", "", "1", true},
      {"failed", existing + "\n", "255", true},
      {"killed", existing + "\n", "kill", true},
      {"nothing chosen", "", "0", false},
  };
  for (const Case& c : cases) {
    std::system(("rm -f '" + state + "'/*").c_str());
    Answer(1, c.reply, c.status);
    EXPECT_EQ(requester.RequestFile(u"Load", u"SongData:dat", false, u"x/"), u"") << c.what;
    if (!c.question) continue;
    std::system(("rm -f '" + state + "'/*").c_str());
    Answer(1, c.reply, c.status);
    EXPECT_FALSE(requester.ConfirmDialog(u"File Operation", u"Sure?", false)) << c.what;
  }
}

TEST_F(FakeDialogs, ConfirmIsTrueOnlyForOk) {
  Install("zenity");
  DesktopRequester requester({}, {}, bin);
  Answer(1, "", "0");
  EXPECT_TRUE(requester.ConfirmDialog(u"File Operation", u"Continue ?", true));
  EXPECT_EQ(Arguments(1),
            (Strings{"--question", "--title=File Operation", "--text=Continue ?", "--no-markup",
                     "--icon-name=dialog-warning", "--ok-label=OK", "--cancel-label=Cancel"}));
  Answer(2, "", "1");
  EXPECT_FALSE(requester.ConfirmDialog(u"File Operation", u"Continue ?", false));
}

TEST_F(FakeDialogs, LongFileNamesAreRefusedWithoutShowingAnything) {
  Install("zenity");
  DesktopRequester requester({}, {}, bin);
  const String folder = Text(work + "/");
  EXPECT_EQ(requester.RequestFile(u"Save", u"", true, folder + String(260, u'n')), u"");
  EXPECT_EQ(Calls(), 0);
  Answer(1, work + "/n\n", "0");
  EXPECT_EQ(requester.RequestFile(u"Save", u"", true, folder + String(259, u'n')),
            Text(work + "/n"));
  EXPECT_EQ(Calls(), 1);
}

TEST_F(FakeDialogs, KdialogServesWhenThereIsNoZenity) {
  Install("kdialog");
  DesktopRequester requester({}, {}, bin);
  Answer(1, work + "/out.dat\n", "0");
  EXPECT_EQ(requester.RequestFile(u"Save", u"SongData:dat", true, Text(work + "/")),
            Text(work + "/out.dat"));
  EXPECT_EQ(Arguments(1),
            (Strings{"--title", "Save", "--getsavefilename", work + "/", "SongData (*.dat)"}));
  Answer(2, "", "0");
  EXPECT_TRUE(requester.ConfirmDialog(u"Q", u"Go?", false));
  EXPECT_EQ(Arguments(2)[2], "--yesno");
}

TEST_F(FakeDialogs, WithoutADialogProgramEverythingIsCancelled) {
  DesktopRequester requester({}, {}, bin);
  EXPECT_EQ(requester.RequestFile(u"Load", u"SongData:dat", false, u"data/songs/"), u"");
  EXPECT_FALSE(requester.ConfirmDialog(u"File Operation", u"Sure?", false));
}

}  // namespace

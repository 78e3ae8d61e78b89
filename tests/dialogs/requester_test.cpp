// The application's dialog calls reach the installed requester; without one they are cancelled.
#include "host/dialogs/requester.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_requester.h"

namespace {

TEST(Requester, CallsGoToTheInstalledRequesterAndAreCancelledWithoutOne) {
  ASSERT_EQ(CurrentRequester(), nullptr);
  EXPECT_EQ(RequestFile(u"t", u"SongData:dat", false, u"data/songs/"), u"");
  EXPECT_FALSE(ConfirmDialog(u"t", u"m", false));
  {
    ScriptedRequester scripted;
    EXPECT_EQ(CurrentRequester(), &scripted);
    scripted.AnswerFile(u"/songs/a.dat");
    scripted.AnswerConfirm(true);
    EXPECT_EQ(RequestFile(u"Load", u"SongData:dat", false, u"data/songs/"), u"/songs/a.dat");
    EXPECT_TRUE(ConfirmDialog(u"File Operation", u"Sure?", true));
    // Out of answers: cancelled.
    EXPECT_EQ(RequestFile(u"Load", u"", true, u"x"), u"");
    EXPECT_FALSE(ConfirmDialog(u"File Operation", u"Again?", false));

    ASSERT_EQ(scripted.calls.size(), 4u);
    const ScriptedRequester::Call& file = scripted.calls[0];
    EXPECT_EQ(file.kind, ScriptedRequester::Call::kRequestFile);
    EXPECT_EQ(file.title, u"Load");
    EXPECT_EQ(file.filter, u"SongData:dat");
    EXPECT_FALSE(file.save);
    EXPECT_EQ(file.initialPath, u"data/songs/");
    const ScriptedRequester::Call& confirm = scripted.calls[1];
    EXPECT_EQ(confirm.kind, ScriptedRequester::Call::kConfirmDialog);
    EXPECT_EQ(confirm.message, u"Sure?");
    EXPECT_TRUE(confirm.serious);
    EXPECT_TRUE(scripted.calls[2].save);
  }
  EXPECT_EQ(CurrentRequester(), nullptr);
}

}  // namespace

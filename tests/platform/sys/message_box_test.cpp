// Questions on a server without a desktop: a hook answers them, or the
// default button does after the question was logged.
#include "platform/sys/message_box.h"

#include <gtest/gtest.h>

#include "platform/sys/server_settings.h"
#include "platform/sys/shell_execute.h"
#include "support/server_questions.h"

namespace {

TEST(MsgBox, WithNobodyToAskTheDefaultButtonAnswers) {
  struct Case {
    int32_t buttons;
    int32_t answer;
  };
  const Case cases[] = {
      {sys::vbOKOnly, sys::vbOK},
      {sys::vbYesNo + sys::vbQuestion, sys::vbYes},
      {sys::vbYesNo + sys::vbQuestion + sys::vbDefaultButton2, sys::vbNo},
      {sys::vbYesNo + sys::vbInformation + sys::vbDefaultButton2, sys::vbNo},
      {sys::vbYesNoCancel + sys::vbDefaultButton3, sys::vbCancel},
      {sys::vbOKCancel + sys::vbDefaultButton2, sys::vbCancel},
      {sys::vbYesNo + sys::vbDefaultButton3, sys::vbNo},  // no third button: the last one
  };
  for (const Case& c : cases) EXPECT_EQ(sys::DefaultButtonOf(c.buttons), c.answer) << c.buttons;
  sys::ClearShellRecord();
  EXPECT_EQ(sys::MsgBox(u"是否覆盖？", sys::vbYesNo + sys::vbDefaultButton2, u"提示"), sys::vbNo);
  EXPECT_EQ(sys::LoggedEvents(), (std::vector<vb::String>{u"提示: 是否覆盖？"}));
}

TEST(MsgBox, AnInstalledHookAnswersAndIsTakenAwayAgain) {
  sys::ClearShellRecord();
  {
    qe_test::ServerQuestions answers(sys::vbYes);
    answers.Queue(sys::vbNo);
    EXPECT_EQ(sys::MsgBox(u"first", sys::vbYesNo + sys::vbDefaultButton2, u"T"), sys::vbNo);
    EXPECT_EQ(sys::MsgBox(u"second", sys::vbYesNo + sys::vbDefaultButton2, u"T"), sys::vbYes);
    ASSERT_EQ(answers.Asked().size(), 2u);
    EXPECT_EQ(answers.Asked()[1].prompt, u"second");
    EXPECT_EQ(answers.Asked()[1].buttons, sys::vbYesNo + sys::vbDefaultButton2);
    EXPECT_EQ(answers.Asked()[1].title, u"T");
  }
  EXPECT_TRUE(sys::LoggedEvents().empty());
  EXPECT_EQ(sys::MsgBox(u"third", sys::vbYesNo + sys::vbDefaultButton2, u"T"), sys::vbNo);
}

TEST(ServerSettings, TheProcessSettingStandsBeforeTheEnvironment) {
  ::setenv("QE_TEST_SETTING", "从环境", 1);
  EXPECT_EQ(sys::ServerSetting("TEST_SETTING"), u"从环境");
  sys::SetServerSetting("TEST_SETTING", u"");
  EXPECT_EQ(sys::ServerSetting("TEST_SETTING"), u"");
  sys::ResetServerSetting("TEST_SETTING");
  EXPECT_EQ(sys::ServerSetting("TEST_SETTING"), u"从环境");
  ::unsetenv("QE_TEST_SETTING");
  EXPECT_EQ(sys::ServerSetting("TEST_SETTING"), u"");
}

}  // namespace

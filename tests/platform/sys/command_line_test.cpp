// Command lines without a shell: splitting, the interpreter, the platform's
// own programs, WScript.Shell and the environment values.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/com/registry.h"
#include "platform/sys/command_line.h"
#include "platform/sys/environ.h"
#include "platform/sys/programs.h"
#include "platform/sys/rar_program.h"
#include "platform/vb/raises.h"
#include "support/archive_bytes.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;
using vb::String;

std::vector<String> Texts(vb::StringView line) {
  std::vector<String> texts;
  for (const sys::Argument& argument : sys::SplitCommandLine(line)) texts.push_back(argument.text);
  return texts;
}

TEST(SplitCommandLine, FollowsTheRunTimeRules) {
  struct Case {
    vb::StringView line;
    std::vector<String> expected;
  } cases[] = {
      {u"a.exe b  c\td", {u"a.exe", u"b", u"c", u"d"}},
      {u"\"C:\\Program Files\\a.exe\" \"x y\" z", {u"C:\\Program Files\\a.exe", u"x y", u"z"}},
      {u"C:\\a\\\\b.exe \"C:\\x\\\" y", {u"C:\\a\\\\b.exe", u"C:\\x\" y"}},       // 2n+1 backslashes: a quote
      {u"p \"C:\\x\\\\\" y", {u"p", u"C:\\x\\", u"y"}},                           // 2n: n and the quote groups
      {u"p a\\\\b \"say \"\"hi\"\"\"", {u"p", u"a\\\\b", u"say \"hi\""}},
      {u"p a&b | c > d ^ %PATH%", {u"p", u"a&b", u"|", u"c", u">", u"d", u"^", u"%PATH%"}},
      {u"p \"\" x", {u"p", u"", u"x"}},
      {u"  ", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Texts(c.line), c.expected) << vb::ToUtf8(c.line);
}

TEST(InterpreterCommand, IsTheTextAfterTheSwitchWithTheQuoteRule) {
  auto command = [](vb::StringView line) {
    return sys::InterpreterCommand(line, sys::SplitCommandLine(line)).value_or(u"<none>");
  };
  EXPECT_EQ(command(u"cmd.exe /c  C:\\rar.exe x  -r \"a b\""), u"C:\\rar.exe x  -r \"a b\"");
  EXPECT_EQ(command(u"cmd /Q /C \"C:\\rar.exe\" x \"a b\""), u"C:\\rar.exe\" x \"a b");
  EXPECT_EQ(command(u"cmd /c \"C:\\my tools\\rar.exe\""), u"\"C:\\my tools\\rar.exe\"");
  EXPECT_EQ(command(u"cmd /s /c \"C:\\my tools\\rar.exe\""), u"C:\\my tools\\rar.exe");
  EXPECT_EQ(command(u"cmd.exe"), u"<none>");
  EXPECT_EQ(command(u"cmd.exe x /c y"), u"<none>");
}

class ProgramsTest : public testing::Test {
 protected:
  void SetUp() override {
    sys::ClearCommandLinesRun();
    site_.WriteFile("site/x/a.rar", qe_test::Rar4Bytes({qe_test::RarFile("\xD6\xD0.txt", "extracted")}));
  }
  qe_test::TempSite site_;
};

TEST_F(ProgramsTest, TheInterpreterRunsTheRarToolFromAnyFolder) {
  EXPECT_EQ(sys::RunCommandLine(u"C:\\site\\cmd.exe /c  D:\\\\rar.exe x  -r -o+ -p- \"C:\\site\\x\\a.rar\" \"C:\\site\\x\""),
            sys::kRarSuccess);
  EXPECT_EQ(sys::RunCommandLine(u"RAR X C:\\site\\x\\a.rar C:\\site\\y\\"), sys::kRarSuccess);  // a new folder by its "\"
  EXPECT_TRUE(stdfs::exists(site_.Host("site/x/中.txt")));
  EXPECT_TRUE(stdfs::exists(site_.Host("site/y/中.txt")));
  EXPECT_EQ(sys::CommandLinesRun().size(), 2u);
}

TEST_F(ProgramsTest, NothingButThePlatformsProgramsRuns) {
  site_.WriteFile("site/x/keep.txt", "kept");
  // A quote in a name cannot end the argument and start a command: the
  // interpreter's operators are ordinary characters.
  EXPECT_EQ(sys::RunCommandLine(u"cmd.exe /c  C:\\rar.exe x \"C:\\site\\x\\a.rar\" & del \"C:\\site\\x\\keep.txt\""),
            sys::kRarUserError);
  EXPECT_EQ(sys::RunCommandLine(u"cmd.exe /c del C:\\site\\x\\keep.txt"), sys::kProgramNotFound);
  EXPECT_EQ(sys::RunCommandLine(u"/bin/rm -rf C:\\site"), sys::kProgramNotFound);
  EXPECT_EQ(sys::RunCommandLine(u"cmd /c cmd /c cmd /c cmd /c cmd /c cmd /c rar x a"), sys::kProgramNotFound);
  EXPECT_TRUE(stdfs::exists(site_.Host("site/x/keep.txt")));
}

TEST_F(ProgramsTest, TheRarToolsExitCodes) {
  struct Case {
    vb::StringView line;
    int32_t exit_code;
  } cases[] = {
      {u"rar a -ep1 -r -t -o+ \"C:\\site\\x\\b.rar\" \"C:\\site\\x\\a.rar\"", sys::kRarFatalError},  // no packing
      {u"rar x -r -o+ -p- C:\\site\\x\\missing.rar C:\\site\\x", sys::kRarOpenError},
      {u"rar x -z C:\\site\\x\\a.rar C:\\site\\x", sys::kRarUserError},
      {u"rar x C:\\site\\x\\a.rar C:\\site\\x\\not-a-folder", sys::kRarUserError},  // a file mask to the real tool
      {u"rar x C:\\site\\x\\a.rar *.txt C:\\site\\x", sys::kRarUserError},
      {u"rar t C:\\site\\x\\a.rar", sys::kRarUserError},
      {u"rar x C:\\site\\x\\a.rar C:\\..\\..\\", sys::kRarOpenError},  // never off the drive
  };
  for (const Case& c : cases) EXPECT_EQ(sys::RunCommandLine(c.line), c.exit_code) << vb::ToUtf8(c.line);
  EXPECT_FALSE(stdfs::exists(site_.Host("site/x/b.rar")));
}

TEST_F(ProgramsTest, WScriptShellRunsAndRecordsEachLine) {
  vb::Variant shell(com::CreateObject(u"WScript.Shell"));
  String line = u"cmd.exe /c rar x C:\\site\\x\\a.rar C:\\site\\waited\\";
  EXPECT_EQ(vb::CLng(com::Call(shell, u"Run", line, 1, true)), 0);
  EXPECT_TRUE(stdfs::exists(site_.Host("site/waited/中.txt")));
  EXPECT_EQ(vb::CLng(com::Call(shell, u"run", u"nothing.exe", 0, true)), sys::kProgramNotFound);

  EXPECT_EQ(vb::CLng(com::Call(shell, u"Run", u"rar x C:\\site\\x\\a.rar C:\\site\\later\\", 1, false)), 0);
  for (int i = 0; i < 200 && !stdfs::exists(site_.Host("site/later/中.txt")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(stdfs::exists(site_.Host("site/later/中.txt")));
  EXPECT_EQ(sys::CommandLinesRun(),
            (std::vector<String>{line, u"nothing.exe", u"rar x C:\\site\\x\\a.rar C:\\site\\later\\"}));
}

TEST(Environ, GivesTheInterpreterAndTheSystemDrive) {
  EXPECT_EQ(sys::Environ(u"ComSpec"), u"C:\\Windows\\system32\\cmd.exe");
  EXPECT_EQ(sys::Environ(u"COMSPEC"), u"C:\\Windows\\system32\\cmd.exe");
  EXPECT_EQ(sys::Environ(u"SystemDrive"), u"C:");
  EXPECT_EQ(sys::Environ(u"PATH"), u"");
  sys::SetSystemDrive(u"d:");
  EXPECT_EQ(sys::Environ(u"systemdrive"), u"d:");
  EXPECT_RAISES(5, sys::SetSystemDrive(u"D:\\"));
  EXPECT_RAISES(5, sys::SetSystemDrive(u"1:"));
  sys::SetSystemDrive(u"C:");
}

}  // namespace

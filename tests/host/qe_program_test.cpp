// The qe program as a person uses it from a shell.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "host/serve_process.h"
#include "support/temp_site.h"

namespace {

struct Run {
  int status;
  std::string out;
};

// A program that does not end by itself is stopped after `seconds` (status 124).
Run Qe(const std::string& args, int seconds = 0) {
  std::string command = (seconds ? "timeout " + std::to_string(seconds) + " " : std::string()) +
                        "'" QE_PROGRAM_PATH "' " + args + " 2>&1";
  Run r{0, {}};
  FILE* p = ::popen(command.c_str(), "r");
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int status = ::pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

TEST(QeProgram, CallsAMemberByNameInAnyCase) {
  EXPECT_EQ(Qe("call CommGetVersion").out, "04.01.01\n");
  EXPECT_EQ(Qe("call commgetversion").out, "04.01.01\n");
  auto swap = Qe("call CommScriptSwapImage");
  EXPECT_EQ(swap.status, 0);
  EXPECT_EQ(swap.out.rfind("<Script Language=\"JavaScript\">function KesraSwapImgRestore()", 0), 0u);
}

TEST(QeProgram, DigestsAPasswordAsTheStoredDigestsWere) {
  EXPECT_EQ(Qe("call CommMd5 中").out, "6CBA308F8D5F2B49971DBB43879A078C\n");
}

TEST(QeProgram, ListsTheMembersInSlotOrder) {
  auto list = Qe("call --list");
  EXPECT_EQ(list.status, 0);
  size_t lines = 0;
  for (char c : list.out) lines += c == '\n';
  EXPECT_EQ(lines, 316u);
  EXPECT_EQ(list.out.rfind("CommMd5(ByVal p_String As String) As String\n", 0), 0u);
}

TEST(QeProgram, RunTimeErrorsExitWithTheirNumber) {
  auto r = Qe("call NoSuchMember");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.rfind("error 438: ", 0), 0u);
  r = Qe("call CommCloseWindowModal");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.rfind("error 449: ", 0), 0u);
}

TEST(QeProgram, ConvertsArgumentsAndLeavesOptionalsOut) {
  EXPECT_EQ(Qe("call CommCloseWindowModal False").out, "<head><base target=\"_self\"></head>\n");
  EXPECT_EQ(Qe("call CommShowSuccess '' ''").out, "<Script>{history.go(-1);}</Script>\n");
  EXPECT_EQ(Qe("call CommCloseWindowModal -").status, 1);  // required: cannot be left out
}

TEST(QeProgram, ABackslashBeforeALoneDashPassesItAsText) {
  EXPECT_EQ(Qe("call CommHtmlEncode '\\-'").out, "-\n");
  EXPECT_EQ(Qe("call CommHtmlEncode '\\\\-'").out, "\\-\n");
  EXPECT_EQ(Qe("call CommHtmlEncode '\\-x'").out, "\\-x\n");  // only backslashes before the dash
  EXPECT_EQ(Qe("call CommHtmlEncode 'C:\\a-'").out, "C:\\a-\n");
  EXPECT_EQ(Qe("call CommHtmlEncode -").out.rfind("error 449: ", 0), 0u);
  EXPECT_NE(Qe("call --help").out.find("\"\\-\" passes the text \"-\""), std::string::npos);
}

TEST(QeProgram, ConvertsUbbMarkupFromTheShell) {
  auto r = Qe("call CommUBBCode '[b]x[/b] http://a.cn/'");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "<b>x</b> <img align=absmiddle src=../comm_ubb/pic/url.asp><a target=_blank href=http://a.cn/>http://a.cn/</a>\n");
}

TEST(QeProgram, ShowsTheResponseOfARefusedRequest) {
  auto r = Qe("call --query 'id=1%27' --response CommCheckInject");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("HTTP/1.1 200 OK\n", 0), 0u);
  EXPECT_NE(r.out.find("\n\n<Script Language=\"JavaScript\">"), std::string::npos);
  EXPECT_NE(r.out.find("history.back();"), std::string::npos);
  EXPECT_NE(r.out.find("对不起，请不要在参数中包含非法字符尝试注入！</ul>"), std::string::npos);
  // A harmless query writes nothing.
  r = Qe("call --query 'id=12' --response CommCheckInject");
  EXPECT_EQ(r.out, "HTTP/1.1 200 OK\nContent-Type: text/html\nCache-Control: private\n\n");
}

TEST(QeProgram, PrintsTheDialogFrameAndNoMouseScriptForSpreadsheets) {
  auto frame = Qe("call CommShowDialogFrame 600 400");
  EXPECT_EQ(frame.status, 0);
  EXPECT_EQ(frame.out.rfind("<style type=\"text/css\"><!--dialog {", 0), 0u);
  EXPECT_NE(frame.out.find("<dialog class=\"dialog\" id=\"Dialog\"><div class=\"dialog-header\" id=\"Title_Dialog\" "
                           "style=\"float:left;width:600px;"),
            std::string::npos);
  EXPECT_NE(frame.out.find("height:375px;"), std::string::npos);
  EXPECT_TRUE(frame.out.ends_with("</div></dialog>\n"));
  EXPECT_EQ(Qe("call --query excel=yes CommScriptMouse").out, "");
  EXPECT_EQ(Qe("call --query excel=no CommScriptMouse").out.rfind("<script Language=\"JavaScript\">function NoContextMenu", 0), 0u);
  auto office = Qe("call CommShowDialogFrame 800 500 False");
  EXPECT_EQ(office.status, 0);
  EXPECT_NE(office.out.find("<dialog class=\"dialog\" id=\"Dialog\"><div id=\"DivHeader_Dialog\""), std::string::npos);
  EXPECT_NE(office.out.find("<iframe id=\"Frame_Dialog\" src=\"\", style=\"width:784px;height:500px;"),
            std::string::npos);
  EXPECT_TRUE(office.out.ends_with("</div></dialog>\n"));
}

TEST(QeProgram, ServeRefusesLimitsOutOfRange) {
  for (const char* args : {"serve --max-sessions 0", "serve --max-sessions 12x", "serve --threads 5000",
                           "serve --max-sessions"}) {
    auto r = Qe(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.out.rfind("qe serve: --", 0), 0u) << args << ": " << r.out;
  }
}

TEST(QeProgram, ServeRefusesAPortInUseAndASiteFolderThatIsNotThere) {
  qe_test::TempSite site;
  host_test::ServeProcess first(site.SiteFolder());
  auto second = Qe("serve --site '" + site.SiteFolder().string() + "' --listen 127.0.0.1:" +
                       std::to_string(first.Port()),
                   20);
  EXPECT_EQ(second.status, 1) << second.out;
  EXPECT_NE(second.out.find("qe serve: cannot listen on http://127.0.0.1:" + std::to_string(first.Port()) +
                            "/: the address is in use"),
            std::string::npos)
      << second.out;
  EXPECT_TRUE(first.Running());

  std::filesystem::path missing = site.SiteFolder() / "sitte";
  auto slip = Qe("serve --site '" + missing.string() + "' --listen 127.0.0.1:0", 20);
  EXPECT_EQ(slip.status, 1) << slip.out;
  EXPECT_EQ(slip.out, "qe serve: the site folder " + missing.string() + " does not exist\n");
  EXPECT_FALSE(std::filesystem::exists(missing));

  // An empty value (an unset shell variable) names no folder either.
  auto unset = Qe("serve --site '' --listen 127.0.0.1:0", 20);
  EXPECT_EQ(unset.status, 1) << unset.out;
  EXPECT_EQ(unset.out.rfind("qe serve: the site folder", 0), 0u) << unset.out;
}

}  // namespace

// The online update's downloads, version comparison and batch, against
// loopback FTP and HTTP servers holding program files the test builds.
#include "maintenance/kesra_update.h"

#include <gtest/gtest.h>
#include <strings.h>

#include "common/kesra_error_page.h"
#include "page/kesra_show_form.h"
#include "platform/asp/context.h"
#include "platform/sys/server_settings.h"
#include "facade/qecls.h"
#include "platform/sys/shell_execute.h"
#include "support/file_content.h"
#include "support/pe_image.h"
#include "support/python_servers.h"
#include "support/temp_site.h"

namespace {

namespace stdfs = std::filesystem;
using vb::String;
using vb::Variant;

constexpr char16_t kDownloaded[] = u"下载完成！";
constexpr char16_t kLatest[] = u"当前程序为最新版本，不需升级！";

std::string Program(const std::u16string& version) {
  if (version.empty()) return qe_test::PeImage("");
  return qe_test::PeImage(qe_test::VersionBlock(u"080404B0", {{u"ProductVersion", version}}, {{0x0804, 0x04B0}}));
}

class UpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.MakeFolder("Windows/System32");
    site_.MakeFolder("served");
    sys::ClearShellRecord();
  }
  void TearDown() override {
    for (const char* name : {"UPDATE_FTP_HOST", "UPDATE_WEB_HOST", "UPDATE_PROVIDER"}) sys::ResetServerSetting(name);
  }
  // The program files on the servers: FTP under /KESRA_STUDIO/ as named,
  // HTTP under /kesra_studio/ in lower case.
  void Serve(const std::u16string& version, bool with_exe = true) {
    for (const auto& e : stdfs::directory_iterator(site_.Host("served"))) stdfs::remove_all(e.path());
    if (with_exe) {
      site_.WriteFile("served/KESRA_STUDIO/Qe.exe", "program");
      site_.WriteFile("served/kesra_studio/qe.exe", "program");
    }
    site_.WriteFile("served/KESRA_STUDIO/Qe.dll", Program(version));
    site_.WriteFile("served/kesra_studio/qe.dll", Program(version));
  }
  // A file of the update folder, found without regard to case (FTP keeps
  // the names' case, HTTP lower-cases them).
  std::string Update(const std::string& name) const {
    for (const auto& e : stdfs::directory_iterator(site_.Host("Windows/System32/update")))
      if (strcasecmp(e.path().filename().c_str(), name.c_str()) == 0) return qe_test::FileContent(e.path());
    return "missing";
  }
  qe_test::TempSite site_;
};

TEST_F(UpdateTest, TheVersionOfTheDownloadedLibraryDecides) {
  qe_test::PythonServer ftp(qe_test::kFtpServer, site_.Host("served"));
  qe_test::PythonServer http(qe_test::kHttpServer, site_.Host("served"));
  sys::SetServerSetting("UPDATE_FTP_HOST", vb::FromUtf8(ftp.Address()));
  sys::SetServerSetting("UPDATE_WEB_HOST", vb::FromUtf8(http.Address()));
  const std::vector<std::pair<std::u16string, std::u16string>> cases = {
      {u"4.01.0001", kLatest}, {u"4.02.0000", kDownloaded}, {u"3.09.0000", kLatest},
      {u"04.01.02", kDownloaded}, {u"04.01", kLatest},     {u"5", kDownloaded},
      {u"", u"不能检测下载程序的版本号，请重新下载或手动升级！"},
  };
  for (int16_t mode : {1, 2}) {
    for (const auto& [version, outcome] : cases) {
      SCOPED_TRACE(vb::ToUtf8(version) + " mode " + std::to_string(mode));
      Serve(version);
      stdfs::remove_all(site_.Host("Windows/System32/update"));
      EXPECT_EQ(qe::KesraUpDateDownload(mode), outcome);
      EXPECT_EQ(Update("qe.exe"), "program");
      EXPECT_EQ(Update("qe.dll"), Program(version));
    }
  }
  EXPECT_TRUE(sys::ShellOpenings().empty());
}

TEST_F(UpdateTest, AFileTheServerLacksFailsTheDownloadAndNamesTheOtherMode) {
  Serve(u"4.02.0000", false);
  qe_test::PythonServer ftp(qe_test::kFtpServer, site_.Host("served"));
  qe_test::PythonServer http(qe_test::kHttpServer, site_.Host("served"));
  sys::SetServerSetting("UPDATE_FTP_HOST", vb::FromUtf8(ftp.Address()));
  sys::SetServerSetting("UPDATE_WEB_HOST", u"www.example.invalid");
  EXPECT_EQ(qe::KesraUpDateDownload(1),
            u"下载失败！请尝试用http方式进行下载或直接登录www.example.invalid网站进行手动下载升级。");
  // The library that did come stays in the update folder; nothing is installed.
  EXPECT_EQ(Update("qe.dll"), Program(u"4.02.0000"));
  sys::SetServerSetting("UPDATE_WEB_HOST", vb::FromUtf8(http.Address()));
  EXPECT_EQ(qe::KesraUpDateDownload(2), u"下载失败！请尝试用ftp方式进行下载或直接登录" +
                                            vb::FromUtf8(http.Address()) + u"网站进行手动下载升级。");
}

TEST_F(UpdateTest, WithoutAServerTheMessagesSaySo) {
  // Empty settings, as a server has them until they are named.
  EXPECT_EQ(qe::KesraUpDateDownload(1), u"找不到指定的服务器,请尝试用HTTP方式下载。");
  EXPECT_EQ(qe::KesraUpDateDownload(2), u"下载失败！请尝试用ftp方式进行下载或直接登录网站进行手动下载升级。");
  EXPECT_TRUE(stdfs::is_directory(site_.Host("Windows/System32/update")));
}

TEST_F(UpdateTest, ThePageTextsNameTheProvider) {
  EXPECT_EQ(qe::KesraUpDateMessages(),
            u"本功能主要用于自动连接至服务器上升级最新的版本。下载后程序存放在系统的Update目录下。如果要手动升级，可直接将该目录下文件复制至系统程序目录下覆盖原文件即可。"
            u"|升级程序存放在update目录下。如需手动升级，可用此升级程序覆盖原文件即可。若升级后出现异常，可运行〖数据管理〗〗-〖数据维护〗即可。"
            u"|程序新版本下载成功！"
            u"|你可以选择是手动还是自动升级，选择“确定”按钮将进行自动升级，继续吗？");
  sys::SetServerSetting("UPDATE_PROVIDER", u"开发组");
  EXPECT_TRUE(qe::KesraUpDateMessages().starts_with(u"本功能主要用于自动连接至开发组服务器上"));
}

TEST_F(UpdateTest, TheBatchIsWrittenAndNotStarted) {
  qe::KesraUpDateWriteBatch();
  const std::string p = "C:\\Windows\\System32";
  EXPECT_EQ(Update("update.bat"),
            "@ECHO OFF\r\n"
            "@TASKKILL /F /IM Qe.exe\r\n"
            "@TASKKILL /F /IM Qe.dll\r\n"
            "@ATTRIB -A -R -S -H Qe.dll\r\n"
            "@COPY \"" + p + "\\Qe.dll\"  \"" + p + "\\UPDATE\\BK_Qe.dll\" /Y\r\n"
            "@IF EXIST \"" + p + "\\UPDATE\\Qe.dll\"   COPY \"" + p + "\\UPDATE\\Qe.dll\"  \"" + p + "\\Qe.dll\" /Y\r\n"
            "@TASKKILL /F /IM Qe.exe\r\n"
            "@ATTRIB -A -R -S -H Qe.exe\r\n"
            "@COPY \"" + p + "\\Qe.exe\"  \"" + p + "\\UPDATE\\BK_Qe.exe\" /Y\r\n"
            "@IF EXIST \"" + p + "\\UPDATE\\Qe.exe\"   COPY \"" + p + "\\UPDATE\\Qe.exe\"  \"" + p + "\\Qe.exe\" /Y\r\n"
            "@COPY \"" + p + "\\UPDATE\\BK_Qe.exe\"  \"" + p + "\\BK_Qe.exe\" /Y\r\n"
            "@IF EXIST \"" + p + "\\Qe.exe\"   START \"\" \"" + p + "\\Qe.exe\"\r\n"
            "@DEL \"" + p + "\\UPDATE\\UPDATE.BAT\" /Q /F\r\n"
            "@EXIT\r\n"
            "@ECHO ON");
  EXPECT_TRUE(sys::ShellOpenings().empty());
}

// The page's text before the frame, as the update page builds it: the form,
// the wait layer, and the HTTP radio button checked or not.
std::u16string PageText(bool http_checked) {
  return u"<form method='post' name='myform' action='?'>"
         u"<div style=\"font-weight: bold; font-size: 20px;font-family:隶书;height:30px;\" align=center>在线升级</div>"
         u"<div id='show_info' style=\"float:left;margin-left:5px;border: 3px double gray; background: transprant; "
         u"width: 70%; min-height: 100px;padding:5px;text-align:left;vertical-align: top\">&nbsp;&nbsp;&nbsp;&nbsp;"
         u"本功能主要用于自动连接至开发组服务器上升级最新的版本。下载后程序存放在系统的Update目录下。"
         u"如果要手动升级，可直接将该目录下文件复制至系统程序目录下覆盖原文件即可。"
         u"</div>"
         u"<div style=\"float:right;width: 23%; height: 100px;vertical-align: top\">"
         u"<input type=hidden name='save' value='save'>"
         u"<input type=submit style='height:40px;margin-top:5px;'class='button_image' value='升级' "
         u"onclick='show_wait.style.display=\"block\";'><br>"
         u"<input type=button style='height:40px;margin-top:10px;' class='button_image' value='退出' "
         u"onclick=\"location.href='../welcome/welcome.asp'\">"
         u"</div>"
         u"<div style=\"clear:both;\"></div>"
         u"<div style='padding-top:8px; padding-left:10px;height:100%;color:blue;' align='left'>升级模式："
         u"&nbsp;&nbsp;<input name='UpdateType' type='radio' value='1' checked>ftp"
         u"&nbsp;&nbsp;<input name='UpdateType' type='radio' value='2'" +
         std::u16string(http_checked ? u" checked " : u"") +
         u">http</div></form>"
         u"<div id='show_wait' style=\"display:none;margin-top:-173px;margin-left:4px;margin-right:4px;"
         u"padding-top:60px;background: transprant; filter:alpha(opacity=80);background-color:white;z-index:2;"
         u"width:100%;height:100%;;color:blue;\" align='center'>"
         u"<img src=../comm/image/kesra_wait.asp><br><br>请稍候……</div>";
}

class UpdatePageTest : public UpdateTest {
 protected:
  String Page(asp::RequestSpec wanted) {
    sys::SetServerSetting("UPDATE_PROVIDER", u"开发组");
    asp::Context context(std::move(wanted));
    Variant request = context.Request(), response = context.Response(), server = context.Server();
    Variant facade(std::make_shared<qe::QeCls>());
    String page = vb::CStr(com::Call(facade, u"CommShowFormUpDate", response, request, server));
    written_ = context.ResponseBody();
    return page;
  }
  static String Framed(const String& content) {
    Variant none;
    return qe::KesraShowForm(none, none, none, 360, 202, content, false);
  }
  std::string written_;
};

TEST_F(UpdatePageTest, TheFirstDisplayOffersBothModesAndFetchesNothing) {
  EXPECT_EQ(Page({}), Framed(PageText(false)));
  EXPECT_TRUE(written_.empty());
  EXPECT_FALSE(stdfs::exists(site_.Host("Windows/System32/update")));
}

TEST_F(UpdatePageTest, ASubmissionFetchesAndSaysWhatCameWithoutClaimingAnInstallation) {
  Serve(u"4.02.0000");
  qe_test::PythonServer http(qe_test::kHttpServer, site_.Host("served"));
  sys::SetServerSetting("UPDATE_WEB_HOST", vb::FromUtf8(http.Address()));
  asp::RequestSpec wanted;
  wanted.form = {{u"save", u"save"}, {u"UpdateType", u"2"}};
  // The newer library came: the batch is written for the administrator, and
  // the page says where the files are.
  EXPECT_EQ(Page(wanted), Framed(PageText(true) + qe::KesraShowSuccess(
                                                    u"程序新版本下载成功！升级程序存放在update目录下。如需手动升级，可用此升级程序覆盖原文件即可。"
                                                    u"若升级后出现异常，可运行〖数据管理〗〗-〖数据维护〗即可。",
                                                    u"")));
  EXPECT_TRUE(Update("update.bat").starts_with("@ECHO OFF\r\n"));
  EXPECT_TRUE(sys::ShellOpenings().empty());
  // Not newer: the message, then back.
  Serve(u"4.01.0001");
  EXPECT_EQ(Page(wanted), Framed(PageText(true) + qe::KesraShowSuccess(kLatest, u"")));
}

TEST_F(UpdatePageTest, ASubmissionWithoutAModeFailsTheCall) {
  asp::RequestSpec wanted;
  auto error_of = [&](asp::RequestSpec s) {
    try {
      Page(std::move(s));
    } catch (const vb::Error& e) {
      return e.Number();
    }
    return 0;
  };
  wanted.form = {{u"save", u"save"}};
  EXPECT_EQ(error_of(wanted), vb::kTypeMismatch);
  wanted.form = {{u"save", u"save"}, {u"UpdateType", u"ftp"}};
  EXPECT_EQ(error_of(wanted), vb::kTypeMismatch);
}

}  // namespace

// The shared page furniture: exact text per fragment and branch, the folder
// picker over a real folder, the storage table's arithmetic, the no-cache
// headers, and what the about box may show.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "common/system_title.h"
#include "page/kesra_show_form.h"
#include "platform/asp/context.h"
#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/raises.h"
#include "platform/vb/strings.h"
#include "support/temp_site.h"

namespace {

using qe::SystemName;

vb::String FrameOf(int16_t width, int16_t height, const vb::String& content, const vb::String& close_target) {
  return u"<br><br><body leftmargin=0 topmargin=0><table align=center width='" + vb::CStr(vb::Variant(width)) +
         u"' height='" + vb::CStr(vb::Variant(height)) +
         u"' cellpadding=0 cellspacing=0 style='border:4px solid #7786DB;border-top:0px solid #7786DB;"
         u"background:#ECE9D8;'><tr height=28  style=\"padding-left:2px;background-image:url("
         u"../comm/image/kesra_form_title_bg.asp)\"><td align=left valign=middle width=\"100%\" "
         u"style='Font-Size:14px;color:#FFFFFF;vertical-align:middle;'><img src=\"../comm/image/tb.asp\" height=16 "
         u"width=16 border=0 style='vertical-align:middle;'>&nbsp;" + SystemName() +
         u"</td><td align=right valign=middle width=\"20\"><a href=" + close_target +
         u"><img src=\"../comm/image/kesra_form_close.asp\" title=\"关闭\" border=0></a>&nbsp;</td></tr>"
         u"<tr height='" + vb::CStr(vb::Variant(static_cast<int32_t>(height - 62))) +
         u"' valign=top><td align=center colspan=2>" + content + u"</td></tr></table>";
}

const vb::String kCloseScript =
    u"javascript:window.opener=null;window.open(\"\",\"_self\");window.close();"
    u"window.top.open(\"\",\"_top\").close();parent.close();";

TEST(KesraShowForm, FrameAroundTheContentWithACloseLinkOrAWayBack) {
  vb::Variant response, request, server;
  EXPECT_EQ(qe::KesraShowForm(response, request, server, 500, 400, u"<p>内容</p>", false),
            FrameOf(500, 400, u"<p>内容</p>", u"../welcome/welcome.asp"));
  EXPECT_EQ(qe::KesraShowForm(response, request, server, 300, 100, u"", true), FrameOf(300, 100, u"", kCloseScript));
}

const vb::String kVersionCell = u"版本号：04.01.01&nbsp;&nbsp;</td></tr>";
const vb::String kLogoRows =
    u"<tr height=20><td align=right valign=top>" + kVersionCell +
    u"<tr height=80><td align=center valign=middle ><div style='float:left;padding-left:10px;'>"
    u"<img src='../comm/image/kesra_lf.asp'></div><div style='float:right;width: 70%; height: 100%;"
    u"vertical-align: middle;' class='dddfont1'>" + SystemName() + u"</div></td></tr>";
const vb::String kContentRows = u"<tr height=30><td></td></tr><tr height=160 valign=top><td align=center>";

vb::String CreditsBox() {
  const vb::String line = u"<font style='color:gray; margin:0px 5px;'>";
  return u"<tr height=80><td style='padding-left:110px;padding-right:10px;padding-top:-20px;' align=right>"
         u"<div style='width:140px;text-align:left;'><b class='b1'></b><b class='b2 d1'></b><b class='b3 d1'></b>"
         u"<b class='b4 d1'></b><div class='b d1 k'>" +
         line + qe::ProgrammingCredit() + u"</font><br>" + line +
         vb::Replace(qe::AdviserCredit(), u"|", u"<br>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;") +
         u"</font><br>" + line + qe::OwnerCredit() +
         u"</font></div><b class='b4b d1'></b><b class='b3b d1'></b><b class='b2b d1'></b><b class='b1b'></b>"
         u"</div></td></tr>";
}

TEST(KesraShowLogin, CreditsBoxAndLogoOrHeadingImage) {
  vb::Variant response, request, server;
  const int lines = static_cast<int>(vb::SplitParts(qe::AdviserCredit(), u"|").size());
  const vb::String style =
      u"<style type='text/css'>.b1,.b2,.b3,.b4,.b1b,.b2b,.b3b,.b4b,.b{display:block;overflow:hidden;}"
      u".b1,.b2,.b3,.b1b,.b2b,.b3b{height:1px;}"
      u".b2,.b3,.b4,.b2b,.b3b,.b4b,.b{border-left:1px solid #999;border-right:1px solid #999;}"
      u".b1,.b1b{margin:0 5px;background:#999;}.b2,.b2b{margin:0 3px;border-width:2px;}.b3,.b3b{margin:0 2px;}"
      u".b4,.b4b{height:2px;margin:0 1px;}.k {height:" + vb::CStr(vb::Variant(15 * lines + 30)) + u"px;}</style>";
  EXPECT_EQ(qe::KesraShowLogin(response, request, server, u"[form]", true, u" "),
            FrameOf(308, 400,
                    style + u"<table width='100%' cellspacing=0 padding=0>" + kLogoRows + CreditsBox() + kContentRows +
                        u"[form]</td></tr></table>",
                    kCloseScript));
  EXPECT_EQ(qe::KesraShowLogin(response, request, server, u"[form]", false, u"../image/top.jpg"),
            FrameOf(308, 400,
                    u"<table width='100%' cellspacing=0 padding=0><tr height=100 style='background: "
                    u"url(../image/top.jpg);background-repeat:no-repeat;'><td align=right valign=top>" +
                        kVersionCell + kContentRows + u"[form]</td></tr></table>",
                    kCloseScript));
}

// Sets a host variable for one test and removes it again.
struct ScopedVariable {
  ScopedVariable(const char* name, const char* value) : name(name) { ::setenv(name, value, 1); }
  ~ScopedVariable() { ::unsetenv(name); }
  const char* name;
};

vb::String OwnerCell(const vb::String& about) {
  auto at = about.find(u"本产品使用权属于：");
  return about.substr(at, about.find(u"</td>", at) - at);
}

TEST(KesraShowAbout, FixedBodyInTheLoginFrameWithoutCredits) {
  vb::Variant response, request, server;
  const vb::String about = qe::KesraShowAbout(response, request, server, u"not shown", u"");
  const vb::String adviser_line = vb::Replace(qe::AdviserCredit(), u"|", u"&nbsp;") + u"<br>";
  const vb::String body =
      u"<table border=0 width='100%' cellspacing=0 cellpadding=0 height=240 valign=bottom><tr><td colspan=2 "
      u"align=left style='padding-left:33px;line-height:16px;' height=160>" +
      qe::ProgrammingCredit() + u"<br>" + adviser_line + qe::OwnerCredit() + u"<br>技术支持：<a href='" +
      qe::SupportSite() + u"' target='_blank'>" + qe::SupportSite() +
      u"</a><br>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;<a href='mailto:" + qe::SupportMail() +
      u"'>" + qe::SupportMail() +
      u"</a></td></tr><tr><td colspan=2 align=center><hr width='90%'></td></tr><tr valign=top align=left>"
      u"<td width='70%' style='padding-left:25px;line-height:16px;'>本产品使用权属于：<br>&nbsp;<br>&nbsp;</td>"
      u"<td width='30%'><br><input type=\"button\" class='button_image' style='margin-bottom:1px;'value=\"系统信息\" "
      u"onclick='(new ActiveXObject(\"wscript.shell\")).run(\"winmsd.exe\");'><br><input type=\"button\" "
      u"class='button_image' style='margin-top:1px;' value=\"  确定  \" onclick=\"location.href='"
      u"../welcome/welcome.asp'\"></td></tr><tr><td valign=top align=center height=16></td></tr></table>";
  EXPECT_EQ(about, FrameOf(308, 400,
                           u"<table width='100%' cellspacing=0 padding=0>" + kLogoRows + kContentRows + body +
                               u"</td></tr></table>",
                           kCloseScript));
}

TEST(KesraShowAbout, ShowsOnlyTheNamesTheOperatorSetForIt) {
  vb::Variant response, request, server;
  {
    ScopedVariable login("USERNAME", "root"), host("COMPUTERNAME", "build-box");
    EXPECT_EQ(OwnerCell(qe::KesraShowAbout(response, request, server, u"", u"")), u"本产品使用权属于：<br>&nbsp;<br>&nbsp;");
  }
  ScopedVariable computer("QE_COMPUTERNAME", "教务处<主机>"), account("QE_USERNAME", "qe-web");
  EXPECT_EQ(OwnerCell(qe::KesraShowAbout(response, request, server, u"", u"")),
            u"本产品使用权属于：<br>&nbsp;教务处&lt;主机&gt;<br>&nbsp;qe-web");
}

class KesraShowFormFileSelect : public testing::Test {
 protected:
  void SetUp() override {
    site_.WriteFile("site/data/backup/2024.mdb", "x");
    site_.WriteFile("site/data/backup/my 'old'.mdb", "x");
    site_.MakeFolder("site/data/backup/old");
    asp::RequestSpec wanted;
    wanted.url = u"/qe/admin/restore.asp";
    context_ = std::make_unique<asp::Context>(std::move(wanted));
  }
  vb::String Picker(vb::String path, int16_t type) {
    vb::Variant response, request, server = context_->Server();
    return qe::KesraShowFormFileSelect(response, request, server, path, type);
  }

  qe_test::TempSite site_;
  std::unique_ptr<asp::Context> context_;
};

const vb::String kFolderHeading = u"&nbsp;<img src='../comm/image/kesra_folder_open.asp' border=0 align=absmiddle>";
vb::String Entry(const vb::String& script_name, const vb::String& text) {
  return u"<a style='padding-left:20px;cursor:hand;' onclick=javascript:SelectPathFile('" + script_name +
         u"');><img src='../comm/image/kesra_folder_close.asp' border=0 align=absmiddle>" + text + u"</a><br>";
}

TEST_F(KesraShowFormFileSelect, SubFoldersOfASitePathRelativeToThePage) {
  EXPECT_EQ(Picker(u"../../data/backup", 1), kFolderHeading + u"databackup<br>" + Entry(u"old", u"old"));
}

TEST_F(KesraShowFormFileSelect, FilesOfARealPathWithNamesEscapedForScriptAttributeAndText) {
  vb::String list = Picker(u"C:\\site\\data\\backup\\", 2);
  EXPECT_EQ(list.substr(0, kFolderHeading.size()), kFolderHeading);
  EXPECT_NE(list.find(u"C:sitedatabackup<br>"), vb::String::npos);
  EXPECT_NE(list.find(Entry(u"2024.mdb", u"2024.mdb")), vb::String::npos);
  EXPECT_NE(list.find(Entry(u"my&#32;\\&#39;old\\&#39;.mdb", u"my &#39;old&#39;.mdb")), vb::String::npos)
      << vb::ToUtf8(list);
}

TEST_F(KesraShowFormFileSelect, AnEmptyFolderGivesTheHeadingAlone) {
  site_.MakeFolder("site/empty");
  EXPECT_EQ(Picker(u"C:/site/empty", 2), kFolderHeading + u"C:siteempty<br>");
}

TEST(SmallBuilders, ExactText) {
  vb::Variant colspan = int16_t{5};
  vb::Variant text_colspan = vb::String(u"3");
  struct Case {
    vb::String got, expected;
  } cases[] = {
      {qe::KesraShowColorLine(200, 1, u"#ff0000"),
       u"<table cellspacing=0 cellpadding=0 width=200 border=0><tr><td nowrap bgcolor=#ff0000 height=1></td></tr>"
       u"</table>"},
      {qe::KesraShowEmptyLine(5, u""),
       u"<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=5><td></td></tr></table>"},
      {qe::KesraShowEmptyLine(2, u"#eeeeee"),
       u"<table cellspacing=0 cellpadding=0 border=0 width='100%' bgcolor='#eeeeee'><tr height=2><td></td></tr>"
       u"</table>"},
      {qe::KesraShowNoRecord(colspan, false, vb::String(u"没有符合条件的数据。")),
       u"<tr  Class=tdbg><td ColSpan=5 Height=30 Align=Center><Font Color=Red>没有符合条件的数据。</Font></td></tr>"},
      {qe::KesraShowNoRecord(text_colspan, true, vb::Variant::Null()),
       u"<tr ><td ColSpan=3 Height=30 Align=Center><Font Color=Red></Font></td></tr>"},
      {qe::KesraShowSpace(3), u"&nbsp;&nbsp;&nbsp;"},
      {qe::KesraShowSpace(0), u""},
      {qe::KesraShowSpace(-2), u""},
      {qe::KesraShowMessage(u"提示", u"已保存", u"<a href='list.asp'>返回</a>"),
       u"<table border='0' width='100%' cellspacing='1' align='center' cellpadding='1' height='100%'><tr>"
       u"<td align=center valign=middle height='100%' width='100%'><table border='1' width='100%' cellspacing='0' "
       u"cellpadding='0' bordercolor='green' bordercolordark='#FFFFFF' height='100%'><tr><td width='100%' "
       u"height='39' bgcolor='#39867B' align=center colspan='2'><font color='#FFFFFF'>提示</font></td></tr><tr>"
       u"<td width='100%' align='center' height='100%'>已保存<br><br><a href='list.asp'>返回</a></td></tr>"
       u"</table></td></tr></table>"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
}

vb::String BarImage(const char16_t* percent) {
  return u"<img src='../comm/image/kesra_bar.asp' width='" + vb::String(percent) + u"%' height=10>";
}

vb::String StorageTable(const char16_t* used, const char16_t* left, const char16_t* total, const char16_t* used_size,
                        const char16_t* left_size) {
  return u"<table width='100%' border='0' align='center' cellpadding='2' cellspacing='0' class='border'>"
         u"<tr class='titlebg'><td height='22' colspan=2 align=center><strong>我的上传文件管理</strong></td></tr>"
         u"<tr class='tdbg' height='22'><td  align='left'>总空间：" + BarImage(u"80") + total +
         u"</td></tr><tr class='tdbg' height='22'><td align='left'>已使用：" + BarImage(used) + used_size +
         u"</td></tr><tr class='tdbg' height='22'><td align='left'>尚剩余：" + BarImage(left) + left_size +
         u"</td></tr></table>";
}

TEST(KesraShowBar, ScalesTheBarsToEightyPercentOfTheQuota) {
  vb::Variant quota = int32_t{10485760}, used = vb::String(u"2621440");
  EXPECT_EQ(qe::KesraShowBar(quota, used), StorageTable(u"20", u"60", u"10M", u"2.5M", u"7.5M"));
  // Rounded down, each on its own.
  quota = int32_t{3000};
  used = int32_t{1000};
  EXPECT_EQ(qe::KesraShowBar(quota, used), StorageTable(u"26", u"53", u"2.93K", u"1000B", u"1.95K"));
}

TEST(KesraShowBar, AMissingUsedSizeBecomesZeroAndAZeroQuotaIsNotDivided) {
  vb::Variant quota = int32_t{0}, used = vb::String();
  EXPECT_EQ(qe::KesraShowBar(quota, used), StorageTable(u"80", u"0", u"0B", u"0B", u"0B"));
  EXPECT_EQ(used.Type(), vb::vbInteger);
  EXPECT_EQ(vb::CLng(used), 0);
  vb::Variant null_used = vb::Variant::Null(), empty_used;
  quota = int32_t{1024};
  EXPECT_EQ(qe::KesraShowBar(quota, null_used), StorageTable(u"0", u"80", u"1K", u"0B", u"1K"));
  EXPECT_EQ(qe::KesraShowBar(quota, empty_used), StorageTable(u"0", u"80", u"1K", u"0B", u"1K"));
}

TEST(KesraShowBar, SizesThatAreNoNumbersRaiseATypeError) {
  vb::Variant quota = vb::String(u"ten"), used = int32_t{1};
  EXPECT_RAISES(vb::kTypeMismatch, qe::KesraShowBar(quota, used));
  quota = int32_t{100};
  used = vb::String(u"a few");
  EXPECT_RAISES(vb::kTypeMismatch, qe::KesraShowBar(quota, used));
}

TEST(KesraClearCache, ExpiredADayAgoAndNotToBeCached) {
  asp::Context context{asp::RequestSpec{}};
  vb::Variant response = context.Response();
  const double before = vb::Now().serial;
  qe::KesraClearCache(response);
  EXPECT_EQ(vb::CLng(com::Call(response, u"Expires")), -1);
  const double expired = vb::CDate(com::Call(response, u"ExpiresAbsolute")).serial;
  EXPECT_NEAR(expired, before - 1, 1.0 / 24 / 60);
  EXPECT_EQ(context.ResponseObject().Header(u"Cache-Control"), u"no-cache");
  EXPECT_TRUE(context.ResponseObject().Header(u"Expires"));
}

}  // namespace

// The data maintenance form: one small page per maintenance task, which
// carries the task out when it is posted back.
#include <cmath>

#include "common/kesra_dates.h"
#include "common/kesra_error_page.h"
#include "common/kesra_request_checks.h"
#include "common/request_values.h"
#include "maintenance/kesra_class_access.h"
#include "maintenance/kesra_data.h"
#include "page/kesra_script_window.h"
#include "page/kesra_show_form.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "shell/qe_data_init.h"

namespace qe {
namespace {

constexpr char16_t kBackupParent[] = u"/data_backup";
constexpr char16_t kWelcomePage[] = u"../welcome/welcome.asp";
constexpr char16_t kAccessStructure[] = u"../Comm/Data_Mdb.mdb";
constexpr char16_t kAccessOnly[] = u"此功能只对Access数据库起作用。";
constexpr char16_t kLevelDigits[] = u"一二三";

// Names the login that seeding really made, so the administrator can log in.
vb::String SeededLoginNotice() { return u"用户名初始化为" + vb::String(qe::kSeededLoginName) + u"，密码为空！"; }

struct FormType {
  const char16_t* title;
  const char16_t* explanation;
  bool submit;
};

// The form types 1 to 9 (anything else is type 6); the texts are the
// system's own.
const FormType& TypeOf(int16_t type) {
  static const FormType types[] = {
      {u"数据备份",
       u"数据备份可将数据保存在服务器data_backup文件夹下，当遇到由于某些意外原因而发生无法使用时，可以利用数据恢复功能进行恢复，"
       u"以减少意外带来的损失。",
       true},
      {u"数据恢复",
       u"当系统由于某些意外原因而发生数据无法使用时，可以利用此功能用提前备份的数据（保存在服务器data_backup文件夹下）对系统数据进行恢"
       u"复，以减少意外带来的损失。",
       true},
      {u"数据清理",
       u"本功能主要用于清理由于系统自动备份产生的大量中间文件，你也可以直接进入本程序所在目录的AUTOBACKUP和TEMP文件夹下删除所有文件及文"
       u"件夹。",
       true},
      {u"数据压缩", u"当对数据库进行添加删除操作后会留下许多垃圾信息，且不能自行优化。通过本模块则可尽可能地压缩数据库至最小。", true},
      {u"数据导入导出", u"", true},
      {u"", u"", false},
      {u"数据结构创建",
       u"此项功能主要用于程序设计人员在更新数据库结构后重新打包生成数据库结构的相关文件以备初始化和数据库维护。", true},
      {u"数据初始化", u"将根据系统内部规则重建所有数据表及索引文件，并启用系统内建规则进行初始化（密码重置为空）。", true},
      {u"数据维护",
       u"本操作将根据系统内部规则对出现故障数据进行维护，除三级维护外基本不具有危险性，请放心使用！如果进行维护后出现数据丢失现象（概率很少"
       u"），可从自动备份数据中恢复！",
       true},
  };
  return types[type >= 1 && type <= 9 ? type - 1 : 5];
}

const char16_t* LevelText(int level) {
  static const char16_t* texts[] = {
      (u"由于诸如停电、死机等突发事故导致数据库文件破坏是数据库出现故障的常见现象。本级维护将利用数据库内置引擎对相关文件进行修复，可解决绝"
       u"大部分错误。"),
      u"将根据系统内部规则重建所有数据表及索引文件，并自动导入原先数据",
      u"将根据系统内部规则重建所有数据表及索引文件，并启用系统内建规则进行初始化（密码重置为空）。",
  };
  return texts[level - 1];
}

vb::String LevelDigit(int level) { return vb::String(1, kLevelDigits[level - 1]); }
vb::String Number(int n) { return vb::CStr(vb::Variant(int32_t{n})); }

vb::String Control(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, int16_t type) {
  vb::String h;
  if (type == 1) {
    h += u"备份路径：<input type=text class='inputtext' size=32 name=\"DataBackupPath\" title='本目录位于" +
         vb::String(kBackupParent) + u"下'value='" + KesraGetDateTime() + u"'>";
  } else if (type == 2) {
    h += u"<Script Language=\"JavaScript\">function SelectPathFile(p_PathFileName){myform.DataBackupPath.value=\"\" + "
         u"p_PathFileName;ClosePop();}var p_TempString=\"";
    h += KesraShowFormFileSelect(Response, Request, Server, kBackupParent, 1);
    h += u"\";</script>";
    h += KesraScriptPopWindow();
    h += u"恢复路径：<input type=text class='inputtext' size=25 name=\"DataBackupPath\" id=\"DataBackupPath\" value=''>";
    h += u"&nbsp;<input type='button' style=\"background: url(../comm/image/kesra_open.asp); \" name='Submit'value='...' "
         u"title='选择原备份文件所在路径' onClick=javascript:ShowHtmlString(\"请选择备份文件路径：\",p_TempString,220,320);>";
  } else if (type == 9) {
    for (int level = 1; level <= 3; ++level)
      h += u"<input name='level' type='radio' value='" + Number(level) +
           u"' onclick=\"javascript:show_info.innerHTML='&nbsp;&nbsp;&nbsp;&nbsp;" + LevelText(level) + u"'\">" +
           LevelDigit(level) + u"级维护";
  }
  return h;
}

// The maintenance class object of one call, made when first needed.
struct AccessOnDemand {
  std::shared_ptr<Kesra_Class_Access> object;
  Kesra_Class_Access& operator*() {
    if (!object) object = std::make_shared<Kesra_Class_Access>();
    return *object;
  }
};

// The file list of the structure capture: each name under "/data".
vb::String DataFileList(const vb::String& list) {
  vb::String joined;
  for (const vb::String& name : vb::SplitParts(list, u"|")) {
    if (!joined.empty()) joined += u"|";
    joined += vb::Replace(u"/data\\" + name, u"\\\\", u"\\");
  }
  return joined;
}

// The posted task of the type; the success script, or "" when the task
// failed (its procedure has shown the error page) or there is none.
vb::String Act(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::Variant& Application,
               int16_t type, const vb::String& data_type, const vb::String& list) {
  vb::String posted = vb::Trim(FormText(Request, u"DataBackupPath"));
  bool access = vb::LCase(data_type) == u"access";
  vb::String data_list = access ? u"/data$" + posted + u"$" + list : posted + u"$Qe$Qe$" + list;
  AccessOnDemand access_class;
  switch (type) {
    case 1:
      if (!KesraDataBackup(Response, Request, Server, data_type, data_list)) return {};
      return KesraShowSuccess(u"数据备份成功！", u"?p_FormType=1");
    case 2:
      if (!KesraDataRestore(Response, Request, Server, data_type, data_list)) return {};
      if (data_type == u"Access") return KesraShowSuccess(u"数据恢复成功！", u"?p_FormType=2");
      return u"<script>alert(\"数据恢复成功！\");top.location.reload(true);top.leftarea.location='../main/left.asp';"
             u"top.listarea.location='../main/list.asp';</script>";
    case 3:
      if (!KesraDataClear(Response, Request, Server, u"AutoBackup|Temp")) return {};
      return KesraShowSuccess(u"数据清理成功！", u"?p_FormType=3");
    case 4:
      if (!(*access_class).KesraAccessCompact(Response, Request, Server, u"/data$" + list, true, false, u""))
        return {};
      return KesraShowSuccess(u"数据压缩成功！", u"?p_FormType=4");
    case 7:
      if (!(*access_class).KesraAccessCreateConfig(Response, Request, Server, kAccessStructure, DataFileList(list),
                                                   u"mdb", false, u""))
        return {};
      return KesraShowSuccess(u"数据结构创建成功！", u"?p_FormType=7");
    case 8:
      if (!KesraDataCreateInit(Response, Request, Server, Application, data_type, list, true)) return {};
      return KesraShowSuccess(u"数据库初始化操作成功！" + SeededLoginNotice(), u"?p_FormType=8");
    case 9: {
      double value = 0;
      vb::String posted_level = vb::Trim(FormText(Request, u"level"));
      int level = vb::ParseNumber(posted_level, value) && std::fabs(value) < 100 ? static_cast<int>(std::nearbyint(value)) : 0;
      if (level < 1 || level > 3) return KesraShowSuccess(u"请先选择维护级别！", u"?p_FormType=9");
      if (!(*access_class).KesraAccessRepair(Response, Request, Server, Application, u"/data", list, kAccessStructure,
                                             static_cast<uint8_t>(level), false, u""))
        return {};
      return KesraShowSuccess(LevelDigit(level) + u"级维护成功！" +
                                  (level == 3 ? SeededLoginNotice() : vb::String()),
                              u"?p_FormType=9");
    }
    default:
      return {};
  }
}

}  // namespace

vb::String KesraShowFormData(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                             vb::Variant& Application, int16_t p_FormType, vb::String p_DataType,
                             vb::String p_DataConnectionStringList) {
  if (p_DataConnectionStringList.empty()) p_DataConnectionStringList = u"qe.asp";
  const FormType& form = TypeOf(p_FormType);
  vb::String explanation = form.explanation;
  bool submit = form.submit;
  if ((p_FormType == 4 || p_FormType == 7) && p_DataType != u"Access") {
    explanation = kAccessOnly;
    submit = false;
  }
  vb::String h = u"<form method='post' name='myform' action='?p_FormType=" + Number(p_FormType) + u"'>";
  h += u"<div style=\"font-weight: bold; font-size: 20px;font-family:隶书;height:30px;\" align=center>" +
       vb::String(form.title) + u"</div>";
  // The box grows with its text: the longer explanations need more than
  // its 100 px, and would run over the form's controls below it.
  h += u"<div id='show_info' style=\"float:left;margin-left:5px;border: 3px double gray; background: transprant; "
       u"width: 70%; min-height: 100px;padding:5px;text-align:left;vertical-align: top\">&nbsp;&nbsp;&nbsp;&nbsp;" +
       explanation + u"</div>";
  h += u"<div style=\"float:right;width: 23%; height: 100px;vertical-align: top\"><input type=hidden name='save' "
       u"value='save'>";
  if (submit)
    h += u"<input type=submit style='height:40px;margin-top:5px;'class='button_image' value='确定' "
         u"onclick='show_wait.style.display=\"block\";'><br>";
  h += u"<input type=button style='height:40px;margin-top:10px;' class='button_image' value='退出' "
       u"onclick=\"location.href='" +
       vb::String(kWelcomePage) + u"'\">";
  h += u"</div><div style=\"clear:both;\"></div><div style='padding-top:8px; padding-left:10px;height:100%;' "
       u"align='left'>";
  if (submit) h += Control(Response, Request, Server, p_FormType);
  h += u"</div></form><div id='show_wait' style=\"display:none;margin-top:-173px;margin-left:4px;margin-right:4px;"
       u"padding-top:60px;background: transprant; filter:alpha(opacity=80);background-color:white;z-index:2;width:100%;"
       u"height:100%;;color:blue;\" align='center'><img src=../comm/image/kesra_wait.asp><br><br>请稍候……</div>";
  if (FormText(Request, u"save") == u"save") {
    // Every action here changes or replaces data: only a post from this site.
    KesraCheckPost(Request, Response, 1, false, u"");
    if (asp::ResponseEnded(Response)) return {};
    vb::String success =
        Act(Response, Request, Server, Application, p_FormType, p_DataType, p_DataConnectionStringList);
    if (asp::ResponseEnded(Response)) return {};
    h += success;
  }
  return KesraShowForm(Response, Request, Server, 360, 202, h, false);
}

}  // namespace qe

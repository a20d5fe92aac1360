// The operator accounts page: the accounts of table Wazh in a grid, and the
// posted add, delete, set-default and edit actions.
#include <optional>

#include "common/kesra_class_md5.h"
#include "common/kesra_error_page.h"
#include "common/kesra_file_name.h"
#include "common/kesra_request_checks.h"
#include "common/markup_encode.h"
#include "common/record_values.h"
#include "common/request_values.h"
#include "common/sql_literal.h"
#include "maintenance/kesra_data.h"
#include "page/kesra_script_window.h"
#include "page/kesra_show_form.h"
#include "platform/asp/context.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "common/qe_close_data.h"

namespace qe {
namespace {

constexpr char16_t kPopupTitle[] = u"用户管理";
constexpr char16_t kWelcomePage[] = u"../welcome/welcome.asp";
constexpr int kAccountLimit = 10;
constexpr char16_t kNoRight[] = u"你没有足够的权限！";
constexpr char16_t kNotYourRecord[] = u"你无权对该记录进行操作！";
// Also the answer to a save whose account went between the form's load and
// the save: its ID names no account any more.
constexpr char16_t kBadId[] = u"无效ID。";

// The edit form of the pop-up, a double-quoted script string into which the
// selected row's values are spliced.
vb::String EditForm(bool manager) {
  const vb::String disabled = manager ? u"" : u" disabled style='background:#F0F0F0;'";
  return u"<div style='background:#ece9d8; height:100%;text-align:center;'>"
         u"<form name='myform' method='post' action='?' style='margin:0'>"
         u"<div style='font-weight: bold; font-size: 20px;font-family:隶书;height:30px;' align=center>用户管理</div>"
         u"<input type=hidden name='save' value='save'>"
         u"<input type='hidden' size=13 name='UserId_Edit'value='\"+myform.UserId.value+\"'>"
         u"<div>用户名：<input type='text' size=13 name='UserName_Edit' size=50 value='\"+myform.UserName.value+\"'" +
         disabled +
         u"></div>"
         u"<div>权&nbsp;&nbsp;限："
         u"<input onClick=hide('RightList') type='text'size=13 value='\"+myform.UserRight.value+\"' "
         u"id='UserRight_Edit' name='UserRight_Edit' readonly" +
         disabled +
         u">"
         u"<div id='RightList' style='display: none;margin-top:-20px;margin-left:80px;width:100px;height:20px;"
         u"background:pink;'>"
         u"请选择权限:<span id='a1' onClick=pick('1') style='cursor:pointer;'>1</span>   "
         u"<span id='a2' onClick=pick('2') style='cursor:pointer;'>2</span>   "
         u"<span id='a1' onClick=pick('3') style='cursor:pointer;'>3</span>"
         u"</div>"
         u"<div style='margin-top:20px; margin-left:15px; border: 1px solid gray; background: transprant; width: 80%; "
         u"height: 100px;' align=center valign=top>"
         u"<br><div>原密码：<input type='text' style='background:#F0F0F0;width:90px;' id='Password_Old' "
         u"name='Password_Old' disabled></div>"
         u"<div>新密码：<input type='text' style='background:#F0F0F0;width:90px;' id='Password_New' name= "
         u"'Password_New' disabled></div>"
         u"<div>校验码：<input type='text' style='background:#F0F0F0;width:90px;' id='Password_Check' "
         u"name='Password_Check'  disabled></div>"
         u"</div>"
         u"<div style='margin-top:-112px;margin-left:-60px;'>"
         u"<input type='checkbox' style='vertical-align:middle;' onClick='CheckClick(this);' name='ChangePassword' "
         u"value=1>更改密码"
         u"</div>"
         u"<div style='margin:0px;margin-top:100px;width:90%;' align=center >"
         u"<input type='submit'  name='submit' value='保存'  id='save' style='height:30px;width:88px;margin-right:2px;' "
         u"class='button_image'>"
         u"<input type='button' name='submit' value='放弃' id='return' style='height:30px;width:88px;margin-right:2px;' "
         u"class='button_image' onclick='pop.close();'>"
         u"</div>"
         u"</form>";
}

vb::String PageScript(bool manager) {
  return u"<Script>var p_TempString;function RowClick(p_CurrentRow, p_UserLevel){"
         u"var grid=document.getElementById('grid');var rows=grid.rows;"
         u"for(var i=1;i<rows.length;i++){rows[i].style.background='white';}"
         u"myform.UserId.value=rows[p_CurrentRow.rowIndex].cells[0].innerText;"
         u"myform.UserName.value=rows[p_CurrentRow.rowIndex].cells[1].innerText;"
         u"myform.UserRight.value=rows[p_CurrentRow.rowIndex].cells[2].innerText;"
         u"p_TempString=\"" +
         EditForm(manager) +
         u"\";"
         u"rows[p_CurrentRow.rowIndex].style.background='#3068C5';"
         u"if (p_UserLevel==1){document.getElementById('Del').disabled=false;"
         u"document.getElementById('SetDefault').disabled=false;}"
         u"document.getElementById('Edit').disabled=false;}"
         u"function hide(p_Id){var p_Object=document.getElementById(p_Id);"
         u"p_Object.style.display = p_Object.style.display == 'none' ? '' : 'none';}"
         u"function pick(p_Value){document.getElementById('UserRight_Edit').value=p_Value;hide('RightList')}"
         u"function CheckClick(p_Object){var p_PasswordOld=document.getElementById('Password_Old');"
         u"var p_PasswordNew=document.getElementById('Password_New');"
         u"var p_PasswordCheck=document.getElementById('Password_Check');"
         u"if (p_Object.checked){p_PasswordOld.disabled=false;p_PasswordOld.style.background='#FFFFFF';"
         u"p_PasswordNew.disabled=false;p_PasswordNew.style.background='#FFFFFF';p_PasswordCheck.disabled=false;"
         u"p_PasswordCheck.style.background='#FFFFFF';}"
         u"else{p_PasswordOld.disabled=true;p_PasswordOld.style.background='#F0F0F0';p_PasswordNew.disabled=true;"
         u"p_PasswordNew.style.background='#F0F0F0';p_PasswordCheck.disabled=true;"
         u"p_PasswordCheck.style.background='#F0F0F0';}}"
         u"</Script>";
}

vb::String GridHead() {
  return u"<form name='myform' method='post' action='?' style='margin:0'>"
         u"<div style=\"font-weight: bold; font-size: 20px;font-family:隶书;height:30px;\" align=center>用户管理</div>"
         u"<input type=hidden name='save' value='save'>"
         u"<input type='hidden' name='UserId' value=''>"
         u"<input type='hidden' name='UserName' value=''>"
         u"<input type='hidden' name='UserRight' value=''>"
         u"<div id='kscj_select' style='float:center;display:inline; height:100%;width:90%;overflow-x: hidden;"
         u"overflow-y: hidden;'>"
         u"<table id='grid' bordercolor='#C1C1C1' border='1' style='background-color:white;border-style:none;"
         u"width:90%;border-collapse:collapse;text-align:center;border:1 solid black;'>"
         u"<tr style='background-color:#D4D0C7;' height=20 >"
         u"<td style='border:1 solid black;width:20px;'></td>"
         u"<td style='border:1 solid black;width:100px;'>用户名</td>"
         u"<td style='border:1 solid black;width:30px;'>权限</td>"
         u"<td style='border:1 solid black;width:60px;' >默认用户</td>"
         u"</tr>";
}

vb::String GridFoot(bool manager) {
  return vb::String(u"</table></div><div style='margin:0px;margin-top:10px;width:90%;' align=center >"
                    u"<input type='submit'  name='submit' value='添加'  id='Add' "
                    u"style='height:30px;width:87px;margin-right:2px;' class='button_image'") +
         (manager ? u">" : u" disabled >") +
         u"<input type='submit' name='submit' value='删除' id='Del' disabled "
         u"style='height:30px;width:87px;margin-right:2px;'  class='button_image'>"
         u"<input type='button' name='submit' value='编辑' id='Edit' disabled "
         u"style='height:30px;width:87px;margin-right:2px;'  class='button_image' onclick=\"ShowHtmlString('" +
         kPopupTitle +
         u"',p_TempString,220,260);\"><br>"
         u"</div><div style='margin:0px;margin-top:2px;width:90%;' align=center >"
         u"<input type='submit'  name='submit' value='设为默认用户' id='SetDefault' disabled "
         u"style='height:30px;width:131px;margin-right:2px;'  class='button_image'>"
         u"<input type='button'  name='submit' value='退出' style='height:30px;width:132px;margin-right:2px;' "
         u"class='button_image' onclick=\"location.href='" +
         kWelcomePage + u"'\"></div></form>";
}

// The listed rows and their padding up to the limit.
vb::String GridRows(vb::Variant& Conn, vb::Variant& Rs, const vb::String& user, const vb::String& right, bool manager) {
  Rs = vb::Variant(com::CreateObject(u"ADODB.RecordSet"));
  vb::String sql = manager ? vb::String(u"Select * From [wazh] Order By ID")
                           : u"Select * From [wazh] Where UserName=" + SqlText(vb::Trim(user)) + u" Order By ID";
  com::Call(Rs, u"Open", sql, Conn, int32_t{1}, int32_t{1});
  vb::String h;
  int count = 0;
  while (!vb::CBool(com::Call(Rs, u"EOF"))) {
    ++count;
    bool is_default = false;
    vb::Variant flag = RecordValue(Rs, u"IsDefault");
    if (!flag.IsNull()) is_default = vb::CBool(flag);
    h += u"<tr height=20  style='cursor:pointer;' onclick=\"RowClick(this," + vb::Trim(right) +
         u");\" ><td style='background-color:#D4D0C7;border:1 solid black;width:20px;color:#D4D0C7;'>" +
         HtmlEncodeText(RecordText(Rs, u"ID")) + u"</td><td>" + HtmlEncodeText(RecordText(Rs, u"UserName")) +
         u"</td><td>" + HtmlEncodeText(RecordText(Rs, u"Right")) + u"</td><td>" + (is_default ? u"√" : u"") +
         u"</td></tr>";
    com::Call(Rs, u"MoveNext");
  }
  for (int n = count; n <= kAccountLimit; ++n)
    h += u"<tr height=20><td style='background-color:#D4D0C7;border:1 solid black;width:0px;'>&nbsp;</td>"
         u"<td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td></tr>";
  return h;
}

// An account number or right posted by the page: digits only.
bool IsWholeNumber(const vb::String& text) {
  if (text.empty() || text.size() > 9) return false;
  for (char16_t c : text)
    if (c < u'0' || c > u'9') return false;
  return true;
}

struct Page {
  vb::Variant& Response;
  vb::Variant& Request;
  vb::Variant& Conn;
  vb::Variant& Rs;
  vb::String user;
  bool manager;

  bool Refuse(const vb::String& message) {
    KesraShowErrorPage(Response, Rs, Conn, message, false, u"");
    return false;
  }
  vb::String Posted(vb::StringView name) { return FormText(Request, name); }
  bool OpenHasRow(const vb::String& sql) {
    Rs = vb::Variant(com::CreateObject(u"ADODB.RecordSet"));
    com::Call(Rs, u"Open", sql, Conn, int32_t{1}, int32_t{1});
    bool has_row = !vb::CBool(com::Call(Rs, u"EOF"));
    return has_row;
  }
  // The stored name of the account, none when there is no such account.
  std::optional<vb::String> StoredName(const vb::String& id) {
    bool found = OpenHasRow(u"Select [UserName] From [Wazh] Where [Id]=" + id);
    std::optional<vb::String> name;
    if (found) name = vb::Trim(RecordText(Rs, u"UserName"));
    com::Call(Rs, u"Close");
    return name;
  }
  void Execute(const vb::String& sql) { com::Call(Conn, u"Execute", sql); }
  // Executes a change meant for one account; false when it changed no row
  // (or several), the account being gone.
  bool ChangedOne(const vb::String& sql) {
    vb::Variant changed;
    com::Call(Conn, u"Execute", sql, changed);
    return vb::CLng(changed) == 1;
  }
  vb::String Md5(const vb::String& text) {
    Kesra_Class_Md5 md5;
    return md5.KesraMd5(vb::StringView(text));
  }

  bool Save();
  bool Delete();
  bool Add();
  bool SetDefault();
};

bool Page::Save() {
  vb::String id = vb::Trim(Posted(u"UserId_Edit"));
  if (!IsWholeNumber(id)) return Refuse(kBadId);
  std::optional<vb::String> stored = StoredName(id);
  bool own = stored && *stored == vb::Trim(user);
  if (!manager && !own) return Refuse(kNotYourRecord);
  // An operator's form posts no name: his account keeps its own.
  vb::String name = manager ? vb::Trim(Posted(u"UserName_Edit")) : *stored;
  if (name.empty() && stored) name = *stored;
  vb::String right = vb::Trim(Posted(u"UserRight_Edit"));
  bool set_right = manager && !own;
  if (set_right && !IsWholeNumber(right)) return Refuse(kBadId);
  bool taken = OpenHasRow(u"Select [IsDefault] From [Wazh] Where [UserName]=" + SqlText(name) + u" And [Id]<>" + id);
  com::Call(Rs, u"Close");
  if (taken) return Refuse(u"同名用户已经存在，请换名！");
  vb::String sql = u"Update [Wazh] Set [UserName]=" + SqlText(name);
  if (set_right) sql += u",[Right]=" + right;
  if (vb::Trim(Posted(u"ChangePassword")) == u"1") {
    vb::String fresh = vb::Trim(Posted(u"Password_New"));
    if (fresh != vb::Trim(Posted(u"Password_Check"))) return Refuse(u"两次输入的密码不同！");
    bool matches = OpenHasRow(u"Select [IsDefault] From [Wazh] Where [Id]=" + id + u" And [Password]=" +
                              SqlText(Md5(Posted(u"Password_Old"))));
    if (!matches) return Refuse(u"原密码错误，不能保存！");
    com::Call(Rs, u"Close");
    sql += u",[PassWord]=" + SqlText(Md5(fresh));
  }
  if (!ChangedOne(sql + u" Where Id=" + id)) return Refuse(kBadId);
  vb::Variant no_connection(u"");
  QeCloseData(Rs, no_connection);
  return true;
}

bool Page::Delete() {
  if (!manager) return Refuse(kNoRight);
  vb::String id = vb::Trim(Posted(u"UserId"));
  if (!IsWholeNumber(id)) return Refuse(kBadId);
  if (StoredName(id) == std::optional<vb::String>(vb::Trim(user))) return Refuse(u"珍惜生命，拒绝自杀！");
  return ChangedOne(u"Delete From [wazh] Where ID=" + id) || Refuse(kBadId);
}

bool Page::Add() {
  if (!manager) return Refuse(kNoRight);
  vb::Variant counted = com::Call(Conn, u"Execute", vb::String(u"Select Count(*) As 总数 From [Wazh]"));
  int32_t count = vb::CLng(RecordValue(counted, u"总数"));
  com::Call(counted, u"Close");
  if (count >= kAccountLimit) return Refuse(u"用户数不能超10个！");
  Execute(u"Insert Into [Wazh] ([Username],[Password],[Right],[Part],[IsDefault]) Values(" +
          SqlText(KesraFileGetRndName(20)) + u"," + SqlText(Md5(u"")) + u",3,'',0)");
  return true;
}

bool Page::SetDefault() {
  if (!manager) return Refuse(kNoRight);
  vb::String id = vb::Trim(Posted(u"UserId"));
  if (!IsWholeNumber(id)) return Refuse(kBadId);
  // One change: when the chosen account is gone, the old default stays.
  com::Call(Conn, u"BeginTrans");
  bool chosen = false;
  try {
    Execute(u"Update [Wazh] Set IsDefault=0");
    chosen = ChangedOne(u"Update [Wazh] Set IsDefault=-1 Where ID=" + id);
  } catch (const vb::Error&) {
    com::Call(Conn, u"RollbackTrans");
    throw;
  }
  com::Call(Conn, chosen ? u"CommitTrans" : u"RollbackTrans");
  return chosen || Refuse(kBadId);
}

}  // namespace

vb::String KesraShowFormUser(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::Variant&,
                             vb::Variant& Conn, vb::Variant& Rs, vb::String p_CurrentUserName,
                             vb::String p_CurrentUserRight, bool p_CurrentUserAllowManager) {
  vb::String h = PageScript(p_CurrentUserAllowManager);
  h += KesraScriptPopWindow();
  h += GridHead();
  h += GridRows(Conn, Rs, p_CurrentUserName, p_CurrentUserRight, p_CurrentUserAllowManager);
  h += GridFoot(p_CurrentUserAllowManager);
  if (FormText(Request, u"save") == u"save") {
    KesraCheckPost(Request, Response, 1, false, u"");
    if (asp::ResponseEnded(Response)) return {};
    Page page{Response, Request, Conn, Rs, p_CurrentUserName, p_CurrentUserAllowManager};
    vb::String action = vb::Trim(FormText(Request, u"submit"));
    bool done = true;
    if (action == u"保存") done = page.Save();
    else if (action == u"删除") done = page.Delete();
    else if (action == u"添加") done = page.Add();
    else if (action == u"设为默认用户") done = page.SetDefault();
    if (!done || asp::ResponseEnded(Response)) return {};
    h += KesraShowSuccess(u"操作成功！", u"?");
  }
  return KesraShowForm(Response, Request, Server, 307, 400, h, false);
}

}  // namespace qe

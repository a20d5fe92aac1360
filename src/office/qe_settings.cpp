#include "office/qe_settings.h"

#include <string>

#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "common/markup_encode.h"
#include "common/record_values.h"
#include "common/request_values.h"
#include "common/script_text.h"
#include "common/sql_literal.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "platform/vb/datetime.h"
#include "platform/vb/strings.h"
#include "common/qe_close_data.h"

namespace qe {
namespace {

constexpr int32_t kOpenKeyset = 1, kLockOptimistic = 3;
constexpr char16_t kAlbumFolder[] = u"/Data_UploadFiles/Album/";

// What a settings class holds before anybody saved it.
vb::String DefaultSettings(const vb::String& p_Type) {
  if (p_Type == u"用户参数设置") return u"100|100|2|100|100";
  if (p_Type == u"网络相册") return u"2048|1536|400|300";
  if (p_Type == u"功课表") return u"一#二#三#四#五#六|1#2#3#4#研究性学习|6#7#8#自习#课外活动|1#2#3";
  return u"||||";
}

vb::Variant OpenSettings(vb::Variant& Conn, const vb::String& sql) {
  vb::Variant rs(com::CreateObject(u"Adodb.RecordSet"));
  com::Call(rs, u"Open", sql, Conn, kOpenKeyset, kLockOptimistic);
  return rs;
}

bool AtEnd(const vb::Variant& rs) { return vb::CBool(com::Call(rs, u"EOF")); }

// The first column of the query's first row, as a whole number of 64 bits.
int64_t CountOf(vb::Variant& Conn, const vb::String& sql) {
  vb::Variant rs = com::Call(Conn, u"Execute", sql);
  ClosedAtEnd closed(rs);
  vb::Variant value = com::ValueOf(com::Call(rs, u"", int32_t{0}));
  return value.IsNull() ? 0 : static_cast<int64_t>(vb::CDbl(value));
}

vb::String Decimal(int64_t n) { return vb::FromUtf8(std::to_string(n)); }

}  // namespace

vb::String QeGetXtsz(vb::Variant& Conn, vb::String p_Type) {
  const vb::String sql = u"Select [Class],[Content] From [Xtsz] Where [Class] = " + SqlText(p_Type);
  vb::Variant rs = OpenSettings(Conn, sql);
  ClosedAtEnd closed(rs);
  if (AtEnd(rs)) {
    try {
      com::Call(rs, u"AddNew");
      com::Let(rs, u"", vb::Variant(p_Type), vb::String(u"Class"));
      com::Let(rs, u"", vb::Variant(DefaultSettings(p_Type)), vb::String(u"Content"));
      com::Call(rs, u"Update");
    } catch (const vb::Error&) {
      // Another request added the class first (the key takes one row per
      // class): this one reads that row. Any other failure stands.
      try {
        com::Call(rs, u"CancelUpdate");
      } catch (const vb::Error&) {
      }
      vb::Variant no_connection(u"");
      QeCloseData(rs, no_connection);
      rs = OpenSettings(Conn, sql);
      if (AtEnd(rs)) throw;
    }
  }
  const vb::String content = vb::Trim(RecordText(rs, u"Content"));
  return content.empty() ? vb::String(u"|||||||") : content;
}

void QeSaveCookiesInfo(vb::Variant& Response, vb::Variant& Request, int16_t p_SaveTime) {
  vb::Variant cookie = com::Call(Response, u"Cookies", vb::String(u"KesraQe"));
  com::Let(cookie, u"Path", vb::Variant(u"/"));
  if (p_SaveTime != 0) {
    vb::Variant typed = com::ValueOf(com::Call(Request, u"Form", vb::String(u"UserName")));
    com::Let(cookie, u"", vb::Variant(typed.IsNull() ? vb::String() : vb::CStr(typed)), vb::String(u"UserName"));
    // The sub-key stays, in its place, but a password never leaves the
    // server: nothing here reads it back, and a cookie is kept in the clear.
    com::Let(cookie, u"", vb::Variant(vb::String()), vb::String(u"PassWord"));
    com::Let(cookie, u"Expires", vb::Variant(vb::Date{vb::Today().serial + p_SaveTime}));
  } else {
    com::Let(cookie, u"", vb::Variant(u""));
  }
  // The cookie names the user: no page script may read it, and no other
  // site's request carries it.
  com::Let(cookie, u"HttpOnly", vb::Variant(true));
  com::Let(cookie, u"SameSite", vb::Variant(u"Lax"));
}

void QeSaveBlogCount(vb::Variant& Conn, int16_t p_CountType, vb::String p_UserName, int16_t p_BlogID) {
  const vb::String user = SqlText(p_UserName);
  const vb::String blog = Decimal(p_BlogID);
  vb::String count_sql, update_head, update_tail;
  const vb::String of_user = u" Where [UserName]=" + user;
  switch (p_CountType) {
    case 1:
      count_sql = u"Select Count([ID]) From [Blog] Where [UserName]=" + user;
      update_head = u"Update [Blog_Info] Set [Count_Log] = ";
      update_tail = of_user;
      break;
    case 2:
      if (p_BlogID > 0) {
        count_sql = u"Select Count([ID]) From [Blog_Review] Where [BlogID]=" + blog;
        update_head = u"Update [Blog] Set [Count_Review] = ";
        update_tail = u" Where [ID]=" + blog;
      } else {
        count_sql = u"Select Count([ID]) From [Blog_Review]  Where [UserName_Review]=" + user;
        update_head = u"Update [Blog_Info] Set [Count_Review] = ";
        update_tail = of_user;
      }
      break;
    case 3:
      count_sql = u"Select Count([ID]) From [Blog_Message] Where [UserName_Message]=" + user;
      update_head = u"Update [Blog_Info] Set [Count_Message] = ";
      update_tail = of_user;
      break;
    default:
      return;
  }
  // Counted in 64 bits: a busy blog passes 32767 replies.
  const int64_t count = CountOf(Conn, count_sql);
  com::Call(Conn, u"Execute", update_head + Decimal(count) + update_tail);
}

vb::String QeGetUserAlbumFullName(vb::String p_AlbumName, vb::String p_AlbumType) {
  if (vb::LCase(p_AlbumType) == u"small") return kAlbumFolder + KesraFileGetName(p_AlbumName) + u"_small.jpg";
  return kAlbumFolder + p_AlbumName;
}

vb::String QeGetPhotoSlt(vb::Variant& Server, vb::Variant& Rs, vb::String p_AlbumType, int16_t p_Width,
                         int16_t p_Height, int16_t p_BorderWidth, vb::String p_AllowPop) {
  const vb::String url = RecordText(Rs, u"Url");
  const vb::String width = Decimal(p_Width), height = Decimal(p_Height);
  if (vb::LCase(p_AlbumType) == u"small") {
    const vb::String thumbnail = QeGetUserAlbumFullName(url, u"small");
    if (KesraFileExist(KesraGetFileRealFullName(Server, thumbnail), 0))
      return u"<img border=1 src='" + HtmlEncodeText(thumbnail) + u"' width='" + width + u"' height='" + height +
             u"'>";
  }
  return u"<script>kesra_showpic('" + ScriptStringEscape(QeGetUserAlbumFullName(url, u"")) + u"'," +
         RecordText(Rs, u"PhotoWidth") + u"," + RecordText(Rs, u"PhotoHight") + u"," + width + u"," + height +
         u"," + Decimal(p_BorderWidth) + u",'" + ScriptStringEscape(RecordText(Rs, u"Title")) + u"','" + p_AllowPop +
         u"');</script>";
}

}  // namespace qe

#include "common/kesra_request_checks.h"

#include <array>

#include "common/kesra_error_page.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/vb/strings.h"
#include "shell/qe_close_data.h"

namespace qe {
namespace {

// Pages rely on this exact list, false refusals of ordinary words included.
constexpr std::array<std::u16string_view, 16> kInjectionKeywords = {
    u"'", u"and", u"exec", u"insert ", u"select", u"delete ", u"update ", u"count",
    u"*", u"%", u"chr", u"mid", u"master", u"truncate", u"char", u"declare"};

const char16_t kNoRecordMessage[] = u"没有该记录,可能原因是ID出错或从非法路径进入。";

vb::String Text(const vb::Variant& v) { return v.IsNull() ? vb::String() : vb::CStr(com::ValueOf(v)); }

// The host part of an http:// or https:// address: what follows the scheme up
// to the first "/", "?" or "#". The scheme is compared in any letter case, as
// URLs define it; the host is compared as the server names itself.
bool HostMatches(const vb::String& referer, const vb::String& server_name) {
  vb::StringView rest;
  vb::String scheme = vb::AsciiLowerCopy(vb::StringView(referer).substr(0, 8));
  if (scheme.starts_with(u"http://")) rest = vb::StringView(referer).substr(7);
  else if (scheme.starts_with(u"https://")) rest = vb::StringView(referer).substr(8);
  else return false;
  size_t end = rest.find_first_of(u"/?#");
  vb::StringView authority = rest.substr(0, end);
  if (!authority.starts_with(server_name) || server_name.empty()) return false;
  vb::StringView after = authority.substr(server_name.size());
  if (after.empty()) return true;
  if (after[0] != u':' || after.size() == 1) return false;
  for (char16_t c : after.substr(1))
    if (c < u'0' || c > u'9') return false;
  return true;
}

}  // namespace

void KesraCheckInject(vb::Variant& Request, vb::Variant& Response, bool p_CloseParent, vb::String p_DialogID) {
  vb::Variant query = com::Call(Request, u"QueryString");
  if (Text(query).empty()) return;
  int32_t count = vb::CLng(com::Call(query, u"Count"));
  for (int32_t i = 1; i <= count; ++i) {
    vb::String value = vb::AsciiLowerCopy(Text(com::Call(query, u"Item", i)));
    for (auto keyword : kInjectionKeywords) {
      if (value.find(keyword) != vb::String::npos) {
        KesraShowErrorPageWithoutData(Response, u"请不要在参数中包含非法字符尝试注入！", p_CloseParent, p_DialogID);
        return;
      }
    }
  }
}

void KesraCheckPost(vb::Variant& Request, vb::Variant& Response, int16_t p_CheckPost, bool p_CloseParent,
                    vb::String p_DialogID) {
  if (p_CheckPost != 1) return;
  vb::Variant variables = com::Call(Request, u"ServerVariables");
  vb::String referer = Text(com::Call(variables, u"Item", u"http_referer"));
  vb::String server_name = Text(com::Call(variables, u"Item", u"server_name"));
  // The referrer's host must be the server itself (with or without a port),
  // over http or https; a host that merely begins with the name is foreign.
  if (!HostMatches(referer, server_name))
    KesraShowErrorPageWithoutData(Response, u"您提交的数据不合法，请不要从外部提交数据。", p_CloseParent, p_DialogID);
}

void KesraCheckSession(vb::Variant& Response, vb::String p_SessionName, bool p_CloseParent, vb::String p_DialogID) {
  if (p_SessionName.empty())
    KesraShowErrorPageWithoutData(Response, u"请不要从非法路径进入！", p_CloseParent, p_DialogID);
}

void KesraCheckAllow(vb::Variant& Response, vb::Variant& Rs, vb::Variant& Conn, int16_t p_AllowState,
                     bool p_CloseParent, vb::String p_DialogID) {
  if (p_AllowState != 1)
    KesraShowErrorPage(Response, Rs, Conn, u"本功能尚未开启，请联系管理员！", p_CloseParent, p_DialogID);
}

void KesraCheckInput(vb::Variant& Request, vb::Variant& Response, vb::String p_StringList, bool p_CloseParent,
                     vb::String p_DialogID) {
  if (p_StringList.empty()) return;
  for (const auto& item : vb::SplitParts(p_StringList, u"$")) {
    auto fields = vb::SplitParts(item, u"|");
    if (fields.size() < 3) vb::Raise(vb::kSubscriptOutOfRange);
    vb::String value = vb::Trim(Text(com::Call(Request, u"", fields[0])));
    if (value == fields[2]) {
      KesraShowErrorPageWithoutData(Response, u"请" + fields[1] + u"！", p_CloseParent, p_DialogID);
      return;
    }
  }
}

void KesraCheckIsNoRecord(vb::Variant& Response, vb::Variant& Rs, vb::Variant& Conn, vb::String p_ErrorMessage,
                          bool p_CloseParent, vb::String p_DialogID) {
  if (vb::CBool(com::Call(Rs, u"EOF")) || vb::CBool(com::Call(Rs, u"BOF"))) {
    KesraShowErrorPage(Response, Rs, Conn, p_ErrorMessage.empty() ? vb::String(kNoRecordMessage) : p_ErrorMessage,
                       p_CloseParent, p_DialogID);
  }
}

bool KesraCheckIsEof(vb::Variant& Conn, vb::String p_Sql) {
  vb::Variant rs(com::CreateObject(u"Adodb.RecordSet"));
  com::Call(rs, u"Open", p_Sql, Conn, 1, 1);
  bool result = vb::CBool(com::Call(rs, u"EOF")) || vb::CBool(com::Call(rs, u"BOF"));
  vb::Variant no_connection(u"");
  QeCloseData(rs, no_connection);
  return result;
}

}  // namespace qe

#include "common/kesra_request_checks.h"

#include <array>
#include <optional>

#include "common/kesra_error_page.h"
#include "common/request_origin.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/vb/strings.h"
#include "common/qe_close_data.h"

namespace qe {
namespace {

// Pages rely on this exact list, false refusals of ordinary words included.
constexpr std::array<std::u16string_view, 16> kInjectionKeywords = {
    u"'", u"and", u"exec", u"insert ", u"select", u"delete ", u"update ", u"count",
    u"*", u"%", u"chr", u"mid", u"master", u"truncate", u"char", u"declare"};

const char16_t kNoRecordMessage[] = u"没有该记录,可能原因是ID出错或从非法路径进入。";

vb::String Text(const vb::Variant& v) { return v.IsNull() ? vb::String() : vb::CStr(com::ValueOf(v)); }

// True when the request comes from a page of this site: its referrer names
// the host and port the request was sent to (HTTP_HOST, which carries the
// port; a default port written or left out is the same port), and so does its
// Origin when the browser sends one. A missing referrer is refused.
bool FromThisSite(vb::Variant& variables) {
  auto variable = [&](const char16_t* name) { return Text(com::Call(variables, u"Item", vb::String(name))); };
  // Behind a proxy that ends TLS the browser's scheme comes in its header.
  vb::String proto = variable(u"HTTP_X_FORWARDED_PROTO");
  proto = vb::AsciiLowerCopy(vb::Trim(proto.substr(0, proto.find(u','))));
  bool secure = vb::AsciiLowerCopy(variable(u"HTTPS")) == u"on" || proto == u"https";
  vb::String host = variable(u"HTTP_HOST");
  if (host.empty()) host = variable(u"SERVER_NAME") + u":" + variable(u"SERVER_PORT");
  std::optional<SiteAddress> own = AddressOfHost(host, secure);
  if (!own) return false;
  auto same = [&](const vb::String& url) {
    std::optional<SiteAddress> from = AddressOfUrl(url);
    return from && SameAddress(*from, *own);
  };
  vb::String origin = variable(u"HTTP_ORIGIN");
  return same(variable(u"HTTP_REFERER")) && (origin.empty() || same(origin)) &&
         IsDeliberateRequest(variable(u"HTTP_SEC_FETCH_DEST"), variable(u"HTTP_SEC_FETCH_SITE"));
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
  // The method is not looked at: a GET that changes something is checked too.
  if (!FromThisSite(variables))
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

#include "common/kesra_addresses.h"

#include "common/request_values.h"
#include "platform/vb/strings.h"

namespace qe {

vb::String KesraGetIp(vb::Variant& Request) {
  vb::String address = ServerVariableText(Request, u"Http_X_Forwarded_For");
  return address.empty() ? ServerVariableText(Request, u"Remote_Addr") : address;
}

vb::String KesraGetFullUrl(vb::String p_Url, vb::String p_Http) {
  if (vb::LCase(vb::Left(p_Url, 7)) == u"http://" || vb::LCase(vb::Left(p_Url, 8)) == u"https://") return p_Url;
  return p_Http + p_Url;
}

}  // namespace qe

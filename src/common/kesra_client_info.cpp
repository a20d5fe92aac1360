#include "common/kesra_client_info.h"

#include "common/request_values.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

struct SystemSign {
  std::u16string_view sign;  // upper case
  std::u16string_view system;
};

// First match wins: "WINDOWS NT 5.x" must come before the bare "WINDOWS NT".
constexpr SystemSign kSystems[] = {
    {u"WINDOWS NT 5.2", u"Win 2003"},
    {u"WINDOWS NT 5.0", u"Win 2000"},
    {u"WINDOWS NT 5.1", u"Win XP"},
    {u"WINDOWS NT", u"Win Nt"},
    {u"WINDOWS 9", u"Win 9x"},
    {u"BSD", u"类Unix"},
    {u"SUNOS", u"类Unix"},
    {u"LINUX", u"类Unix"},
    {u"UNIX", u"类Unix"},
    {u"MAC", u"Mac"},
};

vb::String UserAgentUpperCase(vb::Variant& Request) {
  return vb::UCase(ServerVariableText(Request, u"http_user_agent"));
}

}  // namespace

vb::String KesraCheckNetUserSystem(vb::Variant& Request) {
  vb::String agent = UserAgentUpperCase(Request);
  for (const auto& [sign, system] : kSystems)
    if (agent.find(sign) != vb::String::npos) return vb::String(system);
  return u"其它";
}

vb::String KesraCheckNetUserBrower(vb::Variant& Request) {
  return UserAgentUpperCase(Request).find(u"MSIE") != vb::String::npos ? u"IE" : u"其它";
}

}  // namespace qe

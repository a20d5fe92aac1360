#include "platform/asp/server.h"

#include "platform/asp/member_args.h"
#include "platform/asp/url_encoding.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"

namespace asp {

Server::Server(String site_root, String page, MapPathFunction map_path)
    : site_root_(std::move(site_root)), page_(std::move(page)), map_path_(std::move(map_path)) {}

const com::MemberTable<Server>& Server::Members() {
  using Self = Server;
  using Args = com::ArgList;
  static const com::MemberTable<Self> table{
      {u"MapPath", com::kGet, 1, 1,
       [](Self& self, Args& args) -> Variant { return self.MapPath(ArgText(args[0])); }},
      {u"CreateObject", com::kGet, 1, 1,
       [](Self& self, Args& args) { return self.CreateObject(ArgText(args[0])); }},
      {u"HTMLEncode", com::kGet, 1, 1,
       [](Self&, Args& args) -> Variant { return HtmlEncode(ArgText(args[0])); }},
      {u"URLEncode", com::kGet, 1, 1,
       [](Self&, Args& args) -> Variant { return UrlEncode(ArgText(args[0])); }},
      {u"ScriptTimeout", com::kGet, 0, 0,
       [](Self& self, Args&) -> Variant { return self.script_timeout_; }},
      {u"ScriptTimeout", com::kLet, 1, 1,
       [](Self& self, Args& args) -> Variant {
         self.SetScriptTimeout(vb::CLng(com::ValueOf(args[0])));
         return {};
       }},
      // The ASPError object exists only while IIS runs a custom error page.
      {u"GetLastError", com::kGet, 0, 0, [](Self&, Args&) { return Variant::Nothing(); }},
  };
  return table;
}

String Server::MapPath(StringView path) const {
  if (map_path_) return map_path_(site_root_, page_, path);
  return fs::MapPath(site_root_, page_, path);
}

Variant Server::CreateObject(StringView prog_id) const { return Variant(com::CreateObject(prog_id)); }

void Server::SetScriptTimeout(int32_t seconds) {
  if (seconds <= 0) vb::Raise(vb::kInvalidProcedureCall);
  script_timeout_ = seconds;
}

}  // namespace asp

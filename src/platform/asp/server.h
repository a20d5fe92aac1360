#pragma once
// The Server object: site paths, objects by name, and text encodings.
#include <functional>

#include "platform/com/object.h"

namespace asp {

using vb::String;
using vb::StringView;
using vb::Variant;

// Server.MapPath's rule: (site root, current page, path) -> real path.
using MapPathFunction = std::function<String(StringView site_root, StringView page, StringView path)>;

class Server : public com::Dispatch<Server> {
 public:
  // An empty `map_path` is the platform's path model (fs::MapPath).
  Server(String site_root, String page, MapPathFunction map_path = {});

  static const com::MemberTable<Server>& Members();
  String TypeName() const override { return u"IServer"; }

  String MapPath(StringView path) const;
  Variant CreateObject(StringView prog_id) const;
  int32_t ScriptTimeout() const { return script_timeout_; }
  void SetScriptTimeout(int32_t seconds);

 private:
  String site_root_;
  String page_;
  MapPathFunction map_path_;
  int32_t script_timeout_ = 90;
};

}  // namespace asp

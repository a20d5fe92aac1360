#pragma once
// One request as it came over the wire (bytes, as HTTP carries them) and what
// the host knows about the site it runs in.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/vb/string.h"

namespace asp {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

inline constexpr uint64_t kDefaultMaxBodyBytes = 256ull * 1024 * 1024;
// A URL-encoded form is parsed into Request.Form whole: its own, smaller
// limits keep what parsing makes of it (names and values, each a string)
// within a small multiple of the body.
inline constexpr uint64_t kDefaultMaxFormBytes = 2ull * 1024 * 1024;
inline constexpr uint64_t kDefaultMaxFormFields = 10000;

struct RequestInfo {
  std::string method = "GET";
  std::string target = "/";  // path and query as sent: "/qe/index.asp?a=1"
  std::string protocol = "HTTP/1.1";
  HeaderList headers;        // in the order they came
  std::string remote_addr = "127.0.0.1";
  std::string local_addr = "127.0.0.1";
  int server_port = 80;
  bool https = false;
  vb::String server_software = u"Microsoft-IIS/6.0";
  vb::String site_root = u"C:\\site";  // the site's physical path
  vb::String page;                      // current page's virtual path; the target's path when empty
  std::vector<std::pair<vb::String, vb::String>> client_certificate;
  uint64_t max_body_bytes = kDefaultMaxBodyBytes;  // larger bodies are refused when read
  uint64_t max_form_bytes = kDefaultMaxFormBytes;  // larger forms are refused by Request.Form
  uint64_t max_form_fields = kDefaultMaxFormFields;
};

// The target split at the first "?".
std::string_view TargetPath(const RequestInfo& info);
std::string_view TargetQuery(const RequestInfo& info);
// The current page's virtual path: `page`, else the percent-decoded target path.
vb::String PagePath(const RequestInfo& info);
// The first header of that name (any case), or nullptr.
const std::string* FindHeader(const RequestInfo& info, std::string_view name);

}  // namespace asp

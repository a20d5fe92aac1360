#include "platform/asp/server_variables.h"

#include <cctype>
#include <string>

#include "platform/asp/url_encoding.h"

namespace asp {
namespace {

std::string HttpVariableName(std::string_view header) {
  std::string name = "HTTP_";
  for (char c : header) name.push_back(c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  return name;
}

String WithoutTrailingSeparator(StringView path) {
  while (!path.empty() && (path.back() == u'\\' || path.back() == u'/')) path.remove_suffix(1);
  return String(path);
}

String PhysicalPathOfPage(StringView site_root, StringView page) {
  String path = WithoutTrailingSeparator(site_root);
  if (!page.empty() && page.front() != u'/' && page.front() != u'\\') path.push_back(u'\\');
  for (char16_t c : page) path.push_back(c == u'/' ? u'\\' : c);
  return path;
}

}  // namespace

std::string HostName(std::string_view host) {
  if (!host.empty() && host.front() == '[') return std::string(host.substr(0, host.find(']') + 1));
  return std::string(host.substr(0, host.find(':')));
}

std::shared_ptr<RequestCollection> BuildServerVariables(const RequestInfo& info,
                                                        uint64_t content_length) {
  std::string all_http;
  std::string all_raw;
  for (const auto& [name, value] : info.headers) {
    all_http += HttpVariableName(name) + ":" + value + "\n";
    all_raw += name + ": " + value + "\r\n";
  }
  const std::string* host = FindHeader(info, "Host");
  std::string server_name = host ? HostName(*host) : std::string();
  if (server_name.empty()) server_name = "localhost";
  const std::string* content_type = FindHeader(info, "Content-Type");
  String page = PagePath(info);

  std::vector<std::pair<String, String>> variables = {
      {u"ALL_HTTP", DecodeText(all_http)},
      {u"ALL_RAW", DecodeText(all_raw)},
      {u"APPL_MD_PATH", u"/LM/W3SVC/1/ROOT"},
      {u"APPL_PHYSICAL_PATH", WithoutTrailingSeparator(info.site_root) + u"\\"},
      {u"AUTH_PASSWORD", {}},
      {u"AUTH_TYPE", {}},
      {u"AUTH_USER", {}},
      {u"CONTENT_LENGTH", vb::FromUtf8(std::to_string(content_length))},
      {u"CONTENT_TYPE", content_type ? DecodeText(*content_type) : String()},
      {u"GATEWAY_INTERFACE", u"CGI/1.1"},
      {u"HTTPS", info.https ? u"on" : u"off"},
      {u"INSTANCE_ID", u"1"},
      {u"INSTANCE_META_PATH", u"/LM/W3SVC/1"},
      {u"LOCAL_ADDR", DecodeText(info.local_addr)},
      {u"LOGON_USER", {}},
      {u"PATH_INFO", page},
      {u"PATH_TRANSLATED", PhysicalPathOfPage(info.site_root, page)},
      {u"QUERY_STRING", DecodeText(TargetQuery(info))},
      {u"REMOTE_ADDR", DecodeText(info.remote_addr)},
      {u"REMOTE_HOST", DecodeText(info.remote_addr)},
      {u"REMOTE_USER", {}},
      {u"REQUEST_METHOD", DecodeText(info.method)},
      {u"SCRIPT_NAME", page},
      {u"SERVER_NAME", DecodeText(server_name)},
      {u"SERVER_PORT", vb::FromUtf8(std::to_string(info.server_port))},
      {u"SERVER_PORT_SECURE", info.https ? u"1" : u"0"},
      {u"SERVER_PROTOCOL", DecodeText(info.protocol)},
      {u"SERVER_SOFTWARE", info.server_software},
      {u"URL", page},
  };
  for (const auto& [name, value] : info.headers)
    variables.emplace_back(DecodeText(HttpVariableName(name)), DecodeText(value));

  String raw;
  for (const auto& [name, value] : variables) {
    if (!raw.empty()) raw += u"&";
    raw += name + u"=" + UrlEncode(value);
  }
  auto collection = std::make_shared<RequestCollection>(std::move(raw));
  for (auto& [name, value] : variables) collection->Add(name, std::move(value));
  return collection;
}

}  // namespace asp

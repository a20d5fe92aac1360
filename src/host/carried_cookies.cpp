#include "host/carried_cookies.h"

#include <boost/beast/core/string.hpp>

#include <algorithm>
#include <cctype>

#include "host/host_names.h"
#include "host/request_target.h"

namespace host {
namespace {

// Bytes a browser keeps in a cookie's name and a header line can carry: no
// control character (a CR or LF would end the Set-Cookie field).
bool IsWritableName(std::string_view name) {
  return !name.empty() && std::none_of(name.begin(), name.end(), [](unsigned char c) {
    return c < 0x20 || c == 0x7F || c == ';' || c == '=';
  });
}

// The path of an origin-form request line's target: "GET /a/b?q HTTP/1.1" -> "/a/b".
std::string PathOf(std::string_view request_line) {
  const size_t start = request_line.find(' ');
  if (start == std::string_view::npos || request_line.substr(start + 1, 1) != "/") return {};
  std::string_view target = request_line.substr(start + 1);
  return std::string(target.substr(0, std::min({target.find(' '), target.find('?'), target.find('#')})));
}

// "Office.School.edu:8080" -> {"office.school.edu", "school.edu"}; an IPv4
// or IPv6 address, a single label or bytes no name holds -> none.
std::vector<std::string> DomainsOf(std::string_view host_field) {
  std::vector<std::string> domains;
  const std::string host = HostNameOf(host_field);
  const bool name = std::all_of(host.begin(), host.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '-' || c == '.';
  });
  if (!name || host.find_first_not_of("0123456789.") == std::string::npos) return domains;
  for (std::string_view domain = host; domain.find('.') != std::string_view::npos;
       domain.remove_prefix(domain.find('.') + 1))
    domains.emplace_back(domain);
  return domains;
}

}  // namespace

CarriedCookies ReadCarriedCookies(std::string_view head) {
  CarriedCookies carried;
  bool first_line = true;
  for (size_t start = 0; start < head.size();) {
    const size_t end = head.find('\n', start);
    const bool whole = end != std::string_view::npos;
    std::string_view line = head.substr(start, whole ? end - start : std::string_view::npos);
    start = whole ? end + 1 : head.size();
    if (whole && line.ends_with('\r')) line.remove_suffix(1);
    if (first_line) {
      first_line = false;
      carried.path = PathOf(line);
      continue;
    }
    if (line.empty()) break;  // the end of the head
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    if (boost::beast::iequals(line.substr(0, colon), "Host") && whole) carried.domains = DomainsOf(TrimBlanks(line.substr(colon + 1)));
    if (!boost::beast::iequals(line.substr(0, colon), "Cookie")) continue;
    for (std::string_view rest = line.substr(colon + 1); !rest.empty();) {
      const size_t semicolon = rest.find(';');
      const std::string_view cookie = rest.substr(0, semicolon);
      rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
      const size_t equals = cookie.find('=');
      if (equals == std::string_view::npos) continue;  // a cookie without a name, or a name cut short
      const std::string_view name = TrimBlanks(cookie.substr(0, equals));
      if (!IsWritableName(name) ||
          std::find(carried.names.begin(), carried.names.end(), name) != carried.names.end())
        continue;
      carried.names.emplace_back(name);
      if (carried.names.size() == kMaxCarriedCookies) return carried;
    }
  }
  return carried;
}

}  // namespace host

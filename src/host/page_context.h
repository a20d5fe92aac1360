#pragma once
// The page that `qe call` plays: a request built from command-line options,
// the five intrinsic objects over it, and the response they record. The
// request is the thread's current one while the page lasts.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/vb/variant.h"

namespace host {

struct PageOptions {
  std::string site;                    // host folder of the site root ("" = a fresh scratch folder)
  std::string page = "/qe/index.asp";  // the current page's virtual path
  std::string method;                  // "" = GET, or POST when a body is given
  std::string query;
  std::string form;       // urlencoded POST body
  std::string body_file;  // raw POST body
  std::vector<std::pair<std::string, std::string>> headers, cookies, session, application;
};

class PageContext {
 public:
  explicit PageContext(const PageOptions& options);
  ~PageContext();

  // The intrinsic object for a parameter named Request, Response, Server,
  // Session or Application (any case); Empty for any other name.
  vb::Variant* Intrinsic(vb::StringView name);
  // Status line, headers, a blank line and the body: in UTF-8, or for an
  // attachment its bytes as they were sent.
  std::string ResponseText() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace host

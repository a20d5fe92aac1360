#pragma once
// The site's pages: C++ functions registered under their virtual paths, found
// in any letter case, as the web server finds a page's file.
#include <map>
#include <vector>

#include "platform/vb/variant.h"

namespace host {

// What a page runs with: the five objects of its request.
struct Page {
  vb::Variant Request, Response, Server, Session, Application;

  // True once a call has ended the response (an error page, a redirect, End):
  // the page returns at once, as the script of an ended page stops.
  bool Ended() const;
};

using PageFunction = void (*)(Page& page);

// What a page takes of a request's body, declared with the page: the server
// reads no more of a body than its page will take.
enum class PageBody {
  // Whatever a client sends, within the server's limits.
  kAny,
  // A small form from anyone (the login page): a body past the small
  // form's size is refused with 413, and it comes whole within the head's
  // time, not at any pace.
  kSmallForm,
  // A body from a logged-in visitor only: for a request without a logged-in
  // session the page answers without it (it is dropped as a GET's body is).
  kAfterLogin,
};

struct RegisteredPage {
  PageFunction run = nullptr;
  PageBody body = PageBody::kAny;
};

class Pages {
 public:
  // `virtual_path` begins with "/" and names an ".asp" page; raises vb::Error 5
  // for anything else.
  void Register(vb::StringView virtual_path, PageFunction run, PageBody body = PageBody::kAny);
  // The page of a virtual path, any letter case, with what it takes of a
  // body; nullptr when there is none.
  const RegisteredPage* Find(vb::StringView virtual_path) const;
  // The paths of the pages, in lower case.
  std::vector<vb::String> Paths() const;

 private:
  std::map<vb::String, RegisteredPage> pages_;  // by lower-case path
};

// The pages of the site, each under its path.
Pages SitePages();

// Where "/" leads.
inline constexpr char16_t kStartPage[] = u"/qe/index.asp";

}  // namespace host

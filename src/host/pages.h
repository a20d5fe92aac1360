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

class Pages {
 public:
  // `virtual_path` begins with "/" and names an ".asp" page; raises vb::Error 5
  // for anything else.
  void Register(vb::StringView virtual_path, PageFunction run);
  // The page of a virtual path, any letter case; nullptr when there is none.
  PageFunction Find(vb::StringView virtual_path) const;
  // The paths of the pages, in lower case.
  std::vector<vb::String> Paths() const;

 private:
  std::map<vb::String, PageFunction> pages_;  // by lower-case path
};

// The pages of the site, each under its path.
Pages SitePages();

// Where "/" leads.
inline constexpr char16_t kStartPage[] = u"/qe/index.asp";

}  // namespace host

#include "host/pages.h"

#include "platform/asp/context.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"

namespace host {

bool Page::Ended() const { return asp::ResponseEnded(Response); }

void Pages::Register(vb::StringView virtual_path, PageFunction run, PageBody body) {
  vb::String key = vb::LCase(virtual_path);
  if (!key.starts_with(u"/") || !key.ends_with(u".asp") || !run)
    vb::Raise(vb::kInvalidProcedureCall, u"a page is a function under an \".asp\" path from the site root");
  pages_[key] = RegisteredPage{run, body};
}

const RegisteredPage* Pages::Find(vb::StringView virtual_path) const {
  auto it = pages_.find(vb::LCase(virtual_path));
  return it == pages_.end() ? nullptr : &it->second;
}

std::vector<vb::String> Pages::Paths() const {
  std::vector<vb::String> paths;
  for (const auto& [path, page] : pages_) paths.push_back(path);
  return paths;
}

}  // namespace host

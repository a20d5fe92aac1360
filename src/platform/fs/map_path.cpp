#include <vector>

#include "platform/fs/path_names.h"
#include "platform/fs/paths.h"
#include "platform/vb/error.h"

namespace fs {

namespace {

using detail::NameWalk;
using detail::Quoted;

[[noreturn]] void RaiseInvalid(String description) {
  vb::Raise(vb::kInvalidProcedureCall, std::move(description));
}

void Walk(StringView path, std::vector<StringView>& names, StringView what,
          StringView outside = u"the site") {
  switch (detail::AppendNames(path, names)) {
    case NameWalk::kOk:
      return;
    case NameWalk::kLeavesTop:
      RaiseInvalid(String(what) + u" " + Quoted(path) + u" leads outside " + String(outside));
    case NameWalk::kDotsOnlyName:
      RaiseInvalid(String(what) + u" " + Quoted(path) +
                   u" holds a name made only of dots and blanks");
  }
}

// The folder of the page: what comes before its last separator.
StringView PageFolder(StringView page) {
  size_t last = page.find_last_of(u"\\/");
  return last == StringView::npos ? StringView{} : page.substr(0, last);
}

}  // namespace

bool IsRealPath(StringView path) {
  return path.find(u":\\") != StringView::npos || path.find(u":/") != StringView::npos;
}

String MapPath(StringView site_root, StringView page, StringView path) {
  if (IsRealPath(path)) {
    RaiseInvalid(u"MapPath takes a site path, and " + Quoted(path) + u" is a physical path");
  }
  if (path.find_first_of(StringView(u":\0", 2)) != StringView::npos) {
    RaiseInvalid(u"The path " + Quoted(path) + u" given to MapPath holds an invalid character");
  }
  if (!detail::StartsWithDrive(site_root) || site_root.find(u'\0') != StringView::npos) {
    RaiseInvalid(u"The site root " + Quoted(site_root) +
                 u" is not a physical path with a drive letter");
  }
  std::vector<StringView> root;
  Walk(site_root.substr(2), root, u"The site root", u"its drive");
  std::vector<StringView> names;
  if (path.empty() || !detail::IsSeparator(path.front())) {
    Walk(PageFolder(page), names, u"The page path");
  }
  Walk(path, names, u"The path");
  root.insert(root.end(), names.begin(), names.end());
  return detail::JoinNames(site_root.substr(0, 2), root);
}

}  // namespace fs

#include "maintenance/data_names.h"

#include <filesystem>

#include "common/kesra_file_paths.h"
#include "platform/com/object.h"
#include "platform/fs/paths.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

bool IsNameLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::filesystem::path Canonical(const vb::String& real_path) {
  return std::filesystem::weakly_canonical(fs::ToHostPath(real_path));
}

// True when `inner` is `outer` or lies below it.
bool IsWithin(const std::filesystem::path& inner, const std::filesystem::path& outer) {
  auto o = outer.begin(), i = inner.begin();
  for (; o != outer.end(); ++o, ++i) {
    if (o->empty()) continue;  // a trailing separator
    if (i == inner.end() || *i != *o) return false;
  }
  return true;
}

}  // namespace

bool IsPlainPathPiece(vb::StringView name) {
  if (name.find(u"..") != vb::StringView::npos) return false;
  bool only_dots_and_blanks = true;
  for (char16_t c : name) {
    if (c < 0x20 || c == 0x7f || c == u'\\' || c == u'/' || c == u':' || c == u'$' || c == u'|') return false;
    if (c != u'.' && c != u' ') only_dots_and_blanks = false;
  }
  return !only_dots_and_blanks;
}

vb::String SqlServerName(vb::StringView name) {
  bool plain = !name.empty() && !IsDigit(name.front());
  for (char16_t c : name) plain = plain && (IsNameLetter(c) || IsDigit(c));
  if (plain) return vb::String(name);
  return u"[" + vb::Replace(name, u"]", u"]]") + u"]";
}

vb::String ConnectionValue(vb::StringView value) {
  bool quote = !value.empty() && (value.front() == u'{' || value.front() == u' ' || value.back() == u' ');
  for (char16_t c : value) quote = quote || c == u';' || c == u'"' || c == u'\'';
  if (!quote) return vb::String(value);
  return u"\"" + vb::Replace(value, u"\"", u"\"\"") + u"\"";
}

vb::String JoinedFolder(vb::Variant& Server, const vb::String& joined) {
  return KesraGetFileRealFullName(Server, vb::Replace(joined, u"\\\\", u"\\"));
}

bool IsInsideSite(vb::Variant& Server, const vb::String& real_path, bool may_be_data_folder) {
  try {
    std::filesystem::path root = Canonical(vb::CStr(com::Call(Server, u"MapPath", vb::String(u"/"))));
    std::filesystem::path data = Canonical(vb::CStr(com::Call(Server, u"MapPath", vb::String(u"/data"))));
    std::filesystem::path path = Canonical(real_path);
    if (path == root || !IsWithin(path, root)) return false;
    if (IsWithin(data, path)) return may_be_data_folder && path == data;
    return true;
  } catch (const vb::Error&) {
    return false;
  } catch (const std::filesystem::filesystem_error&) {
    return false;
  }
}

}  // namespace qe

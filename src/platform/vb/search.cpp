// Searching, replacing, comparing, splitting and joining texts.
#include <algorithm>

#include "platform/vb/case_fold.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"

namespace vb {
namespace {

// Text compare folds both sides; the fold maps one code unit to one, so
// positions found in the folded copies are positions in the originals.
class Searchable {
 public:
  Searchable(StringView s, CompareMethod compare) {
    if (compare == vbTextCompare) {
      folded_.assign(s.begin(), s.end());
      for (auto& c : folded_) c = FoldChar(c);
      view_ = folded_;
    } else {
      view_ = s;
    }
  }
  StringView View() const { return view_; }

 private:
  String folded_;
  StringView view_;
};

void RequireKnownCompare(CompareMethod compare) {
  if (compare != vbBinaryCompare && compare != vbTextCompare) Raise(kInvalidProcedureCall);
}

}  // namespace

int32_t InStr(StringView s, StringView find, CompareMethod compare) {
  return InStr(1, s, find, compare);
}

int32_t InStr(int32_t start, StringView s, StringView find, CompareMethod compare) {
  if (start < 1) Raise(kInvalidProcedureCall);
  RequireKnownCompare(compare);
  if (s.empty()) return 0;
  if (find.empty()) return start;
  if (static_cast<size_t>(start) > s.size()) return 0;
  Searchable hay(s, compare), needle(find, compare);
  size_t at = hay.View().find(needle.View(), static_cast<size_t>(start) - 1);
  return at == StringView::npos ? 0 : static_cast<int32_t>(at) + 1;
}

int32_t InStrRev(StringView s, StringView find, int32_t start, CompareMethod compare) {
  if (start == 0 || start < -1) Raise(kInvalidProcedureCall);
  RequireKnownCompare(compare);
  if (s.empty()) return 0;
  if (start == -1) start = Len(s);
  if (find.empty()) return start;
  if (static_cast<size_t>(start) > s.size()) return 0;
  Searchable hay(s.substr(0, static_cast<size_t>(start)), compare), needle(find, compare);
  size_t at = hay.View().rfind(needle.View());
  return at == StringView::npos ? 0 : static_cast<int32_t>(at) + 1;
}

String Replace(StringView s, StringView find, StringView replacement, int32_t start,
               int32_t count, CompareMethod compare) {
  if (start < 1 || count < -1) Raise(kInvalidProcedureCall);
  RequireKnownCompare(compare);
  if (static_cast<size_t>(start) > s.size()) return {};
  StringView tail = s.substr(static_cast<size_t>(start) - 1);
  if (find.empty() || count == 0) return String(tail);
  Searchable hay(tail, compare), needle(find, compare);
  String out;
  size_t from = 0;
  for (int32_t done = 0; count == -1 || done < count; ++done) {
    size_t at = hay.View().find(needle.View(), from);
    if (at == StringView::npos) break;
    out.append(tail.substr(from, at - from));
    out.append(replacement);
    from = at + find.size();
  }
  out.append(tail.substr(from));
  return out;
}

int StrComp(StringView a, StringView b, CompareMethod compare) {
  RequireKnownCompare(compare);
  Searchable x(a, compare), y(b, compare);
  int c = x.View().compare(y.View());
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::vector<String> SplitParts(StringView s, StringView delimiter, int32_t limit,
                               CompareMethod compare) {
  if (limit < -1) Raise(kInvalidProcedureCall);
  RequireKnownCompare(compare);
  std::vector<String> parts;
  if (s.empty() || limit == 0) return parts;
  if (delimiter.empty()) return {String(s)};
  Searchable hay(s, compare), needle(delimiter, compare);
  size_t from = 0;
  while (limit == -1 || parts.size() + 1 < static_cast<size_t>(limit)) {
    size_t at = hay.View().find(needle.View(), from);
    if (at == StringView::npos) break;
    parts.emplace_back(s.substr(from, at - from));
    from = at + delimiter.size();
  }
  parts.emplace_back(s.substr(from));
  return parts;
}

Array Split(StringView s, StringView delimiter, int32_t limit, CompareMethod compare) {
  std::vector<String> parts = SplitParts(s, delimiter, limit, compare);
  Array out(vbString, {{0, static_cast<int32_t>(parts.size()) - 1}});
  for (size_t i = 0; i < parts.size(); ++i) out.Items()[i] = Variant(std::move(parts[i]));
  return out;
}

String Join(const std::vector<String>& parts, StringView delimiter) {
  String out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out.append(delimiter);
    out.append(parts[i]);
  }
  return out;
}

String Join(const Array& parts, StringView delimiter) {
  if (parts.Dimensions() == 0) return {};
  if (parts.Dimensions() != 1) Raise(kInvalidProcedureCall);
  if (parts.IsBytes()) Raise(kTypeMismatch);
  std::vector<String> texts;
  texts.reserve(parts.Items().size());
  for (const auto& item : parts.Items()) texts.push_back(CStr(item));
  return Join(texts, delimiter);
}

}  // namespace vb

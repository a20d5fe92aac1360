// A list page's request values, whatever a client sends, through the SQL
// tail, the column select, the page move and the pager: nothing raises; the
// tail is the default order or one bracketed plain column with the keyword in
// one quoted literal; the markup's tags and attribute quotes are those of
// empty values; the page moved to lies within the recordset's pages.
//
// Input: two bytes of page count, then UTF-16 code units (two bytes each)
// split at U+0000 into the values of Page, moden, keyword, classid, id, part,
// a and b (the pager's extra names).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "page/kesra_show_page.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace {

constexpr const char16_t* kKeys[] = {u"Page", u"moden", u"keyword", u"classid", u"id", u"part", u"a", u"b"};
constexpr char16_t kExtras[] = u"|a|b|";
constexpr char16_t kColumns[] = u"nclass|名称||url|地址";

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// Request(name) over fixed values, any letter case.
class FakeRequest : public com::Dispatch<FakeRequest> {
 public:
  vb::String TypeName() const override { return u"IRequest"; }
  static const com::MemberTable<FakeRequest>& Members() {
    static const com::MemberTable<FakeRequest> table = {
        {u"", com::kGet, 1, 1, [](FakeRequest& r, com::ArgList& a) -> vb::Variant {
           auto it = r.values.find(vb::LCase(vb::CStr(com::ValueOf(a[0]))));
           return it == r.values.end() ? vb::Variant() : vb::Variant(it->second);
         }},
    };
    return table;
  }
  std::map<vb::String, vb::String> values;  // by lower-case name
};

class FakeRecordset : public com::Dispatch<FakeRecordset> {
 public:
  vb::String TypeName() const override { return u"Recordset"; }
  static const com::MemberTable<FakeRecordset>& Members() {
    static const com::MemberTable<FakeRecordset> table = {
        {u"PageCount", com::kGet, 0, 0, [](FakeRecordset& r, com::ArgList&) { return vb::Variant(r.pages); }},
        {u"RecordCount", com::kGet, 0, 0, [](FakeRecordset& r, com::ArgList&) { return vb::Variant(r.pages * 10); }},
        {u"PageSize", com::kGet, 0, 0, [](FakeRecordset&, com::ArgList&) { return vb::Variant(int32_t{10}); }},
        {u"AbsolutePage", com::kLet, 1, 1, [](FakeRecordset& r, com::ArgList& a) {
           r.moved_to = vb::CLng(com::ValueOf(a[0]));
           return vb::Variant();
         }},
    };
    return table;
  }
  int32_t pages = 0;
  int32_t moved_to = 0;
};

// The characters that shape markup, counted.
std::string Shape(const vb::String& markup) {
  size_t tags = 0, quotes = 0, double_quotes = 0;
  for (char16_t c : markup) {
    if (c == u'<' || c == u'>') ++tags;
    if (c == u'\'') ++quotes;
    if (c == u'"') ++double_quotes;
  }
  return std::to_string(tags) + "/" + std::to_string(quotes) + "/" + std::to_string(double_quotes);
}

// " And [c] Like '%k%'   Order By [c2]" (+ " Desc"), c and c2 plain, every
// quote of k doubled; or the default order.
void CheckTail(const vb::String& tail) {
  if (tail == u" Order By ID Desc" || tail == u" Order By SortID") return;
  const vb::String start = u" And [";
  Check(tail.compare(0, start.size(), start) == 0, "tail: neither default nor a column");
  size_t close = tail.find(u']', start.size());
  Check(close != vb::String::npos, "tail: unclosed column");
  Check(qe::IsPlainColumnName(tail.substr(start.size(), close - start.size())), "tail: column not plain");
  const vb::String like = u"] Like '%";
  Check(tail.compare(close, like.size(), like) == 0, "tail: no Like after the column");
  vb::String rest = tail;
  if (rest.size() >= 5 && rest.compare(rest.size() - 5, 5, u" Desc") == 0) rest.resize(rest.size() - 5);
  Check(!rest.empty() && rest.back() == u']', "tail: does not end in a column");
  size_t open = rest.rfind(u'[');
  Check(qe::IsPlainColumnName(rest.substr(open + 1, rest.size() - open - 2)), "tail: order column not plain");
  const vb::String order = u"%'   Order By ";
  Check(open >= order.size() && rest.compare(open - order.size(), order.size(), order) == 0, "tail: no Order By");
  const vb::String literal = rest.substr(close + like.size(), open - order.size() - close - like.size());
  for (size_t i = 0; i < literal.size(); ++i) {
    if (literal[i] != u'\'') continue;
    Check(i + 1 < literal.size() && literal[i + 1] == u'\'', "tail: a lone quote in the keyword");
    ++i;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int32_t pages = (data[0] | data[1] << 8) % 40000;
  std::vector<vb::String> values(1);
  for (size_t i = 2; i + 1 < size; i += 2) {
    char16_t c = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (c == 0 && values.size() < std::size(kKeys)) values.emplace_back();
    else values.back().push_back(c);
  }
  values.resize(std::size(kKeys));

  auto request = std::make_shared<FakeRequest>(), empty = std::make_shared<FakeRequest>();
  for (size_t i = 0; i < values.size(); ++i) request->values[vb::LCase(kKeys[i])] = values[i];
  empty->values[u"page"] = values[0];
  vb::Variant rq(request), empty_rq(empty);
  auto rs = std::make_shared<FakeRecordset>();
  rs->pages = pages;
  vb::Variant rs_variant(rs);

  try {
    CheckTail(qe::KesraGetOrderString(rq, u"", u"", u"", u"", u""));
    CheckTail(qe::KesraGetOrderString(rq, u"SortID", u"", u"id", u"", u""));
    CheckTail(qe::KesraGetOrderString(rq, u"", values[1], u"", values[2], u""));

    Check(Shape(qe::KesraShowSelect(rq, 0, kColumns)) == Shape(qe::KesraShowSelect(empty_rq, 0, kColumns)),
          "select: the request's values changed the markup");

    qe::KesraShowNoPage(rq, rs_variant);
    if (pages > 0) Check(rs->moved_to >= 1 && rs->moved_to <= pages, "no page: outside the pages");
    else Check(rs->moved_to == 0, "no page: moved a recordset without pages");

    Check(Shape(qe::KesraShowPage(rq, rs_variant, kExtras)) == Shape(qe::KesraShowPage(empty_rq, rs_variant, kExtras)),
          "pager: the request's values changed the markup");
  } catch (const vb::Error& e) {
    std::fprintf(stderr, "raised %d\n", e.Number());
    std::abort();
  }
  return 0;
}

// Any date and month keys over a small table of dated records: never an
// error, always a whole calendar (the title rows, four to six weeks of seven
// cells, the closing row), and the page's recordset closed again.
//
// Input: UTF-16 code units (two bytes each), the values of date and month
// split at U+0000.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "page/kesra_show_calendar.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/fs/paths.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "temp_folder.h"

namespace {

void Check(bool condition, const char* what, const vb::String& out) {
  if (condition) return;
  std::fprintf(stderr, "%s\n%s\n", what, vb::ToUtf8(out).c_str());
  std::abort();
}

class FakeQueryString : public com::Dispatch<FakeQueryString> {
 public:
  vb::String TypeName() const override { return u"IRequestDictionary"; }
  static const com::MemberTable<FakeQueryString>& Members() {
    static const com::MemberTable<FakeQueryString> table = {
        {u"Item", com::kGet, 1, 1, [](FakeQueryString& q, com::ArgList& a) -> vb::Variant {
           auto it = q.values.find(vb::LCase(vb::CStr(com::ValueOf(a[0]))));
           return it == q.values.end() ? vb::Variant() : vb::Variant(it->second);
         }},
    };
    return table;
  }
  std::map<vb::String, vb::String> values;
};

class FakeRequest : public com::Dispatch<FakeRequest> {
 public:
  vb::String TypeName() const override { return u"IRequest"; }
  static const com::MemberTable<FakeRequest>& Members() {
    static const com::MemberTable<FakeRequest> table = {
        {u"QueryString", com::kGet, 0, 0, [](FakeRequest& r, com::ArgList&) { return vb::Variant(r.query); }},
    };
    return table;
  }
  std::shared_ptr<FakeQueryString> query = std::make_shared<FakeQueryString>();
};

vb::Variant& Connection() {
  static const TempFolder folder("qe-fuzz-calendar-");  // made first, so removed after the connection goes
  static vb::Variant conn = [] {
    std::ofstream(folder.Path() / "diary.mdb");
    fs::MapDrive(u'C', folder.Path());
    vb::Variant c(com::CreateObject(u"ADODB.Connection"));
    com::Call(c, u"Open", vb::String(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\diary.mdb"));
    com::Call(c, u"Execute", vb::String(u"Create Table Diary (ID Counter Primary Key, DateAndTime Text(14))"));
    for (const char16_t* stamp : {u"20240203080000", u"20240203090000", u"20240229000000", u"20241231235959",
                                  u"20250101000000", u"2024", u"", u"abcdefghijklmn"})
      com::Call(c, u"Execute", u"Insert Into Diary (DateAndTime) Values ('" + vb::String(stamp) + u"')");
    return c;
  }();
  return conn;
}

size_t Count(const vb::String& text, vb::StringView piece) {
  size_t n = 0;
  for (size_t at = text.find(piece); at != vb::String::npos; at = text.find(piece, at + piece.size())) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vb::Variant& conn = Connection();
  auto request = std::make_shared<FakeRequest>();
  vb::String date, month;
  bool in_month = false;
  for (size_t i = 0; i + 1 < size; i += 2) {
    char16_t c = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (c == 0 && !in_month) in_month = true;
    else (in_month ? month : date).push_back(c);
  }
  request->query->values[u"date"] = date;
  request->query->values[u"month"] = month;
  vb::Variant request_v(request);
  vb::Variant rs(com::CreateObject(u"ADODB.Recordset"));
  const vb::String out = qe::KesraShowCalendar(request_v, conn, rs, u"Diary", u"", u"k=1", u"#EEEEEE", u"#AAAAAA",
                                               u"Pink", u"#DDDDDD", u"Yellow", u"#DD9999", u"blue");
  Check(out.starts_with(u"<table border='0' width='100%'"), "no calendar", out);
  Check(out.ends_with(u"<tr><td colspan='7' bgcolor='Pink' align='center'></td></tr></table>"), "no closing row", out);
  const size_t rows = Count(out, u"<tr>");
  Check(rows >= 2 + 4 + 1 && rows <= 2 + 6 + 1, "not four to six weeks", out);
  const size_t cells = Count(out, u"style='font-size:10px;") + Count(out, u"<td bgcolor='#DDDDDD'></td>");
  Check(cells == (rows - 3) * 7, "weeks of other than seven days", out);
  Check(vb::CLng(com::Call(rs, u"State")) == 0, "the recordset is left open", out);
  return 0;
}

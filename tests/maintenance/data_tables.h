#pragma once
// Tables of every column type filled with values that SQL text would break,
// and short ways to read tables back whole, for the export, import and
// repair tests.
#include <cfloat>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "access_site.h"
#include "platform/vb/datetime.h"
#include "support/run_command.h"

namespace access_test {

using Rows = std::vector<std::vector<Variant>>;

// Every column type the provider knows, and values at its edges. Column
// "ID" numbers the rows.
inline constexpr char16_t kHostileTable[] =
    u"Create Table [Hostile Values] (ID Counter Primary Key, B Byte, S Short, L Long, F Single, D Double, "
    u"C Currency, T DateTime, Y Bit, X Text(50), M Memo, V Binary(64), O LongBinary, N Numeric)";

inline Variant Bytes(std::string_view bytes) {
  return Variant(vb::Array::OfBytes(std::vector<uint8_t>(bytes.begin(), bytes.end())));
}

// The columns' values, row by row: each column runs through its own list.
inline std::vector<std::vector<std::pair<const char16_t*, Variant>>> HostileRows() {
  const Variant null = Variant::Null();
  std::vector<Variant> texts = {Variant(u"O'Brien"), Variant(u"say \"hi\""), Variant(u"007"), Variant(u"1,000"),
                                Variant(u"&H10"),    Variant(u""),           null,             Variant(u"中文字符"),
                                Variant(u"tab\tand\r\nlines"), Variant(u"]];--"), Variant(u"  padded  ")};
  std::vector<Variant> memos = texts;
  memos.push_back(Variant(String(70000, u'汉')));
  memos.push_back(Variant(String(u"nul\0inside", 10)));
  std::vector<Variant> bytes = {Variant(uint8_t{0}), Variant(uint8_t{255}), Variant(uint8_t{7}), null};
  std::vector<Variant> shorts = {Variant(int16_t{-32768}), Variant(int16_t{32767}), Variant(int16_t{7}), null};
  std::vector<Variant> longs = {Variant(std::numeric_limits<int32_t>::min()), Variant(std::numeric_limits<int32_t>::max()),
                                Variant(int32_t{1000}), null};
  std::vector<Variant> singles = {Variant(FLT_MAX), Variant(-FLT_MIN), Variant(1.4e-45f), Variant(0.1f), null};
  std::vector<Variant> doubles = {Variant(DBL_MAX), Variant(-DBL_MIN), Variant(5e-324), Variant(0.1), Variant(-1e300), null};
  std::vector<Variant> currencies = {Variant(vb::Currency{9007199254740991}), Variant(vb::Currency{-9007199254740991}),
                                     Variant(vb::Currency{1}), Variant(vb::Currency{-12345678}), null};
  std::vector<Variant> dates = {Variant(vb::DateSerial(100, 1, 1)),
                                Variant(vb::Date{vb::DateSerial(9999, 12, 31).serial + 86399.0 / 86400}),
                                Variant(vb::Date{0}),
                                Variant(vb::DateSerial(1900, 2, 28)),
                                Variant(vb::Date{0.5}),
                                Variant(vb::Date{vb::DateSerial(2024, 2, 29).serial + (13 * 3600 + 45 * 60 + 7) / 86400.0}),
                                null};
  std::vector<Variant> bits = {Variant(true), Variant(false)};
  std::vector<Variant> binaries = {Bytes(std::string_view("\0\1\0\xff", 4)), Bytes(""), Bytes(std::string(64, '\0')), null};
  std::string big(100000, '\0');
  for (size_t i = 0; i < big.size(); i += 7) big[i] = static_cast<char>(i % 251);
  std::vector<Variant> blobs = {Bytes(big), null, Bytes(std::string_view("'; drop table x --"))};
  std::vector<Variant> numerics = {Variant(123.456), Variant(-0.5), null};

  std::vector<std::vector<std::pair<const char16_t*, Variant>>> rows;
  for (size_t r = 0; r < memos.size(); ++r) {
    auto at = [&](const std::vector<Variant>& list) { return list[r % list.size()]; };
    rows.push_back({{u"B", at(bytes)}, {u"S", at(shorts)}, {u"L", at(longs)}, {u"F", at(singles)},
                    {u"D", at(doubles)}, {u"C", at(currencies)}, {u"T", at(dates)}, {u"Y", at(bits)},
                    {u"X", at(texts)}, {u"M", at(memos)}, {u"V", at(binaries)}, {u"O", at(blobs)},
                    {u"N", at(numerics)}});
  }
  return rows;
}

// Values the provider stores as written by SQL, though they do not fit
// their column's type: text in every number and date column.
inline constexpr const char16_t* kSqlWrittenRows[] = {
    u"Insert Into [Hostile Values] (B, S, L, F, D, C, T, N, X) Values ('', '', '', '', '', '', '', '', '')",
    u"Insert Into [Hostile Values] (B, S, L, F, D, C, T, N) Values ('1,000', '&H10', '1,000', 'x', '&H10', '1,000', "
    u"'not a date', '1,5')",
};

class DataTest : public AccessSiteTest {
 protected:
  // A database holding the hostile table (written through a recordset, then
  // by SQL) and a small table "Part".
  void MakeHostile(StringView path) {
    Variant conn = MakeDatabase(path, {kHostileTable, u"Create Table Part (ID Counter Primary Key, Part Text(50))",
                                       u"Insert Into Part (Part) Values ('教务处')",
                                       u"Insert Into Part (Part) Values ('总务处')"});
    Variant rs = Create(u"ADODB.Recordset");
    com::Call(rs, u"Open", String(u"[Hostile Values]"), conn, int32_t{1}, int32_t{3});
    for (const auto& row : HostileRows()) {
      com::Call(rs, u"AddNew");
      for (const auto& [name, value] : row)
        com::Let(com::Call(com::Call(rs, u"Fields"), u"Item", String(name)), u"Value", value);
      com::Call(rs, u"Update");
    }
    com::Call(rs, u"Close");
    for (const char16_t* sql : kSqlWrittenRows) com::Call(conn, u"Execute", String(sql));
    com::Call(conn, u"Close");
  }

  // A database with the same tables and no rows.
  void MakeEmptyLike(StringView path) {
    Variant conn = MakeDatabase(path, {kHostileTable, u"Create Table Part (ID Counter Primary Key, Part Text(50))"});
    com::Call(conn, u"Close");
  }

  // Every row of the table through a recordset, ordered by `order` (as
  // stored when it is empty).
  static Rows ReadRows(StringView path, StringView table, StringView order = u"ID") {
    Variant conn = Open(Jet(path));
    Variant rs =
        Query(conn, u"Select * From [" + String(table) + u"]" + (order.empty() ? u"" : u" Order By " + String(order)));
    Rows rows;
    int32_t fields = Long(com::Call(rs, u"Fields"), u"Count");
    for (; !Bool(rs, u"EOF"); com::Call(rs, u"MoveNext")) {
      rows.emplace_back();
      for (int32_t i = 0; i < fields; ++i) rows.back().push_back(com::ValueOf(com::Call(rs, u"", i)));
    }
    com::Call(rs, u"Close");
    com::Call(conn, u"Close");
    return rows;
  }

  // The rows without their first column (the autonumber).
  static Rows WithoutFirstColumn(Rows rows) {
    for (auto& row : rows) row.erase(row.begin());
    return rows;
  }

  // The file's content as the sqlite3 program dumps it.
  std::string Dump(const std::string& relative) const {
    return qe_test::RunCommand("sqlite3 " + qe_test::ShellQuoted(site_.Host(relative).string()) + " .dump").output;
  }

  int16_t Import(StringView from, StringView into, StringView list, bool clear) {
    return access_->KesraAccessImport(String(from), String(into), String(list), clear);
  }
  bool Export(StringView from, StringView into, StringView list) {
    return access_->KesraAccessExport(response_, request_, server_, String(from), String(into), String(list));
  }
};

// Rows compared value by value, type included.
inline std::string Describe(const Variant& v) {
  if (v.IsNull()) return "Null";
  if (v.IsArray()) return "bytes(" + std::to_string(v.As<vb::Array>().Bytes().size()) + ")";
  try {
    return std::to_string(v.Type()) + ":" + vb::ToUtf8(vb::CStr(v)).substr(0, 40);
  } catch (const vb::Error&) {
    return std::to_string(v.Type());
  }
}

inline ::testing::AssertionResult SameRows(const Rows& expected, const Rows& actual) {
  if (expected.size() != actual.size())
    return ::testing::AssertionFailure() << expected.size() << " rows expected, " << actual.size() << " found";
  for (size_t r = 0; r < expected.size(); ++r) {
    if (expected[r].size() != actual[r].size()) return ::testing::AssertionFailure() << "row " << r << " differs in width";
    for (size_t c = 0; c < expected[r].size(); ++c)
      if (!(expected[r][c] == actual[r][c]))
        return ::testing::AssertionFailure() << "row " << r << " column " << c << ": " << Describe(expected[r][c])
                                             << " became " << Describe(actual[r][c]);
  }
  return ::testing::AssertionSuccess();
}

}  // namespace access_test

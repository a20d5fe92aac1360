// Statements prepared once and run with bound values: the values are stored
// with their types, whatever SQL text would make of them.
#include "platform/ado/prepared_command.h"

#include <gtest/gtest.h>

#include "ado_fixture.h"
#include "platform/ado/errors.h"
#include "platform/vb/datetime.h"

namespace ado_test {
namespace {

class PreparedCommandTest : public AdoTest {};

TEST_F(PreparedCommandTest, ValuesAreStoredWithTheirTypes) {
  Variant conn = OpenNew({u"Create Table [odd]]name] (t Text(20), n Long, d DateTime, c Currency, b LongBinary, y Bit)"});
  ado::PreparedCommand insert(conn, u"Insert Into [odd]]name] (t, n, d, c, b, y) Values (?, ?, ?, ?, ?, ?)");
  const std::vector<std::vector<Variant>> rows = {
      {Variant(u"it's \"007\""), Variant(int32_t{7}), Variant(vb::DateSerial(2024, 2, 29)), Variant(vb::Currency{12345}),
       Variant(vb::Array::OfBytes({0, 1, 0})), Variant(true)},
      {Variant(u"1,000"), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant(false)},
  };
  for (const auto& row : rows) EXPECT_EQ(insert.Execute(row), 1);
  Variant rs = Query(conn, u"Select * From [odd]]name]");
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i)
      EXPECT_TRUE(com::ValueOf(com::Call(rs, u"", int32_t(i))) == row[i]) << i;
    com::Call(rs, u"MoveNext");
  }
}

TEST_F(PreparedCommandTest, MistakesFailAsTheProviderFailsThem) {
  Variant conn = OpenNew({u"Create Table t (n Long Not Null)"});
  EXPECT_EQ(ErrorOf([&] { ado::PreparedCommand(conn, u"Insert Into missing (n) Values (?)"); }),
            static_cast<int32_t>(0x80040E37));
  EXPECT_NE(ErrorOf([&] { ado::PreparedCommand(conn, u"Select * From t"); }), 0);
  ado::PreparedCommand insert(conn, u"Insert Into t (n) Values (?)");
  EXPECT_EQ(ErrorOf([&] { insert.Execute({}); }), ado::kDbMissingParameter);
  EXPECT_NE(ErrorOf([&] { insert.Execute({Variant::Null()}); }), 0);
  EXPECT_EQ(insert.Execute({Variant(int32_t{1})}), 1);
  EXPECT_EQ(ErrorOf([&] { ado::PreparedCommand(Create(u"ADODB.Connection"), u"Insert Into t (n) Values (?)"); }),
            ado::kErrInvalidConnection);
  com::Call(conn, u"Close");
  EXPECT_EQ(ErrorOf([&] { insert.Execute({Variant(int32_t{2})}); }), ado::kErrInvalidConnection);
}

}  // namespace
}  // namespace ado_test

// Jet's values through a recordset and back, and recordsets without a
// connection (built field by field, filled in chunks).
#include <gtest/gtest.h>

#include "ado_fixture.h"
#include "platform/ado/errors.h"
#include "platform/text/ansi.h"
#include "platform/vb/datetime.h"

namespace ado_test {
namespace {

struct TypeCase {
  const char16_t* declaration;  // Jet's type in CREATE TABLE
  int ado_type;
  int32_t defined_size;
  Variant written;   // what a page assigns
  Variant read;      // what it reads back (type and value)
};

void PrintTo(const TypeCase& c, std::ostream* os) { *os << vb::ToUtf8(c.declaration); }

Variant Bytes(std::vector<uint8_t> b) { return Variant(vb::Array::OfBytes(std::move(b))); }

class FieldTypes : public AdoTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(FieldTypes, RoundTripWithTheirTypes) {
  const TypeCase& c = GetParam();
  Variant conn = OpenNew({u"Create Table v (id Counter, x " + String(c.declaration) + u")"});
  Variant rs = Query(conn, u"Select * From v", 1, 3);
  com::Call(rs, u"AddNew");
  com::Let(rs, u"", c.written, String(u"x"));
  com::Call(rs, u"Update");
  com::Call(rs, u"AddNew");
  com::Call(rs, u"Update");  // a row where x is Null
  Variant field = com::Call(Query(conn, u"Select x From v Order By id"), u"", String(u"x"));
  EXPECT_EQ(Long(field, u"Type"), c.ado_type);
  EXPECT_EQ(Long(field, u"DefinedSize"), c.defined_size);
  for (int cursor : {0, 1, 3}) {
    Variant again = Query(conn, u"Select x From v Order By id", cursor);
    Variant value = Field(again, u"x");
    EXPECT_EQ(value.Type(), c.read.Type()) << "cursor " << cursor;
    EXPECT_EQ(value, c.read) << "cursor " << cursor;
    com::Call(again, u"MoveNext");
    // Nothing written: Null, but Yes/No columns are never Null.
    EXPECT_EQ(Field(again, u"x"), c.ado_type == 11 ? Variant(false) : Variant::Null());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Jet, FieldTypes,
    ::testing::Values(
        TypeCase{u"Text(20)", 202, 20, Variant(u"中文 Text"), Variant(u"中文 Text")},
        TypeCase{u"Memo", 203, 0x7FFFFFFF, Variant(String(3000, u'm')), Variant(String(3000, u'm'))},
        TypeCase{u"Byte", 17, 1, Variant(int32_t{200}), Variant(uint8_t{200})},
        TypeCase{u"Short", 2, 2, Variant(u"-12"), Variant(int16_t{-12})},
        TypeCase{u"Long", 3, 4, Variant(2.0), Variant(int32_t{2})},
        TypeCase{u"Single", 4, 4, Variant(1.5), Variant(1.5f)},
        TypeCase{u"Double", 5, 8, Variant(u"3.25"), Variant(3.25)},
        TypeCase{u"Currency", 6, 8, Variant(12.3456), Variant(vb::Currency{123456})},
        // Every digit of the largest amounts and of whole ones.
        TypeCase{u"Currency", 6, 8, Variant(vb::Currency{INT64_MAX}), Variant(vb::Currency{INT64_MAX})},
        TypeCase{u"Currency", 6, 8, Variant(vb::Currency{INT64_MIN}), Variant(vb::Currency{INT64_MIN})},
        TypeCase{u"Currency", 6, 8, Variant(u"922337203685477"), Variant(vb::Currency{9223372036854770000})},
        TypeCase{u"DateTime", 7, 8, Variant(u"2024/5/6 7:08:09"),
                 Variant(vb::DateFromParts({2024, 5, 6, 7, 8, 9}))},
        TypeCase{u"DateTime", 7, 8, Variant(vb::Date{0.5}), Variant(vb::Date{0.5})},
        TypeCase{u"YesNo", 11, 2, Variant(int32_t{1}), Variant(true)},
        TypeCase{u"Bit", 11, 2, Variant(false), Variant(false)},
        TypeCase{u"LongBinary", 205, 0x7FFFFFFF, Bytes({0, 1, 255}), Bytes({0, 1, 255})},
        TypeCase{u"Binary(4)", 204, 4, Bytes({9, 8}), Bytes({9, 8})},
        TypeCase{u"Decimal(10,2)", 131, 19, Variant(u"1.25"), Variant(1.25)},
        TypeCase{u"Guid", 72, 16, Variant(u"{1B4E28BA-2FA1-11D2-883F-0016D3CCA427}"),
                 Variant(u"{1B4E28BA-2FA1-11D2-883F-0016D3CCA427}")}));


class DisconnectedTest : public AdoTest {};

TEST_F(DisconnectedTest, BytesInAndOutOfABinaryField) {
  // The work recordset of the byte conversions: one binary field, one row.
  Variant rs = Create(u"ADODB.Recordset");
  Variant fields = com::Call(rs, u"Fields");
  com::Call(fields, u"Append", String(u"mBinary"), int32_t{205}, int32_t{3});
  EXPECT_EQ(Long(fields, u"Count"), 1);
  com::Call(rs, u"Open");
  com::Call(rs, u"AddNew");
  Variant field = com::Call(rs, u"", String(u"mBinary"));
  com::Call(field, u"AppendChunk", Bytes({0x41, 0xD6}));
  com::Call(field, u"AppendChunk", Bytes({0xD0, 0x00}));
  com::Call(rs, u"Update");
  EXPECT_EQ(Long(field, u"ActualSize"), 4);
  EXPECT_EQ(com::Call(field, u"GetChunk", int32_t{3}), Bytes({0x41, 0xD6, 0xD0}));
  EXPECT_EQ(com::Call(field, u"GetChunk", int32_t{3}), Bytes({0x00}));
  EXPECT_TRUE(com::Call(field, u"GetChunk", int32_t{3}).IsNull());
  // A text goes in as its UTF-16 storage.
  com::Call(rs, u"AddNew");
  com::Call(field, u"AppendChunk", String(u"AB"));
  com::Call(rs, u"Update");
  EXPECT_EQ(com::ValueOf(field), Bytes({0x41, 0, 0x42, 0}));
}

TEST_F(DisconnectedTest, BytesAppendedToACharacterFieldReadAsCodePage936) {
  std::string gbk = text::EncodeAnsi(u"中文abc");
  std::vector<uint8_t> bytes(gbk.begin(), gbk.end());
  Variant rs = Create(u"ADODB.Recordset");
  com::Call(com::Call(rs, u"Fields"), u"Append", String(u"mBinary"), int32_t{201}, int32_t{static_cast<int32_t>(bytes.size())});
  com::Call(rs, u"Open");
  com::Call(rs, u"AddNew");
  com::Call(com::Call(rs, u"", String(u"mBinary")), u"AppendChunk", Bytes(bytes));
  com::Call(rs, u"Update");
  EXPECT_EQ(vb::CStr(Field(rs, u"mBinary")), u"中文abc");
}

TEST_F(DisconnectedTest, FieldsAreAppendedOnlyBeforeOpening) {
  Variant rs = Create(u"ADODB.Recordset");
  Variant fields = com::Call(rs, u"Fields");
  com::Call(fields, u"Append", String(u"a"), int32_t{202}, int32_t{5});
  EXPECT_EQ(ErrorOf([&] { com::Call(fields, u"Append", String(u"A"), int32_t{3}); }), 3367);
  EXPECT_EQ(ErrorOf([&] { com::Call(fields, u"Append", String(u"b"), int32_t{999}); }), ado::kErrInvalidArgument);
  com::Call(rs, u"Open");
  EXPECT_EQ(ErrorOf([&] { com::Call(fields, u"Append", String(u"c"), int32_t{3}); }), ado::kErrIllegalOperation);
  EXPECT_TRUE(Bool(rs, u"EOF"));
  com::Call(rs, u"AddNew");
  EXPECT_EQ(ErrorOf([&] { com::Let(rs, u"", Variant(u"toolong"), String(u"a")); }), ado::kDbMultipleStep);
  com::Let(rs, u"", Variant(u"short"), String(u"a"));
  com::Call(rs, u"Update");
  EXPECT_EQ(Long(rs, u"RecordCount"), 1);
  EXPECT_EQ(vb::CStr(Field(rs, u"a")), u"short");
}

}  // namespace
}  // namespace ado_test

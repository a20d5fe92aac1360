// Closing a page's data never fails, whatever the page hands in.
#include <gtest/gtest.h>

#include "common/qe_close_data.h"
#include "support/test_objects.h"

namespace {

using test_objects::FakeConnection;
using test_objects::FakeRecordset;

TEST(QeCloseData, ClosesAndReleasesAnOpenRecordsetAndConnection) {
  auto rs_object = std::make_shared<FakeRecordset>();
  auto conn_object = std::make_shared<FakeConnection>(u"Provider=Microsoft.Jet.OLEDB.4.0");
  vb::Variant rs(rs_object), conn(conn_object);
  qe::QeCloseData(rs, conn);
  EXPECT_TRUE(rs.IsNothing());
  EXPECT_TRUE(conn.IsNothing());
  EXPECT_FALSE(rs_object->open);
  EXPECT_FALSE(conn_object->open);
}

TEST(QeCloseData, LeavesEmptyNullAndBlankTextAlone) {
  for (vb::Variant v : {vb::Variant(), vb::Variant::Null(), vb::Variant(u""), vb::Variant(u"   ")}) {
    vb::Variant rs = v, conn = v;
    EXPECT_NO_THROW(qe::QeCloseData(rs, conn));
    EXPECT_EQ(rs, v);
    EXPECT_EQ(conn, v);
  }
}

TEST(QeCloseData, ReleasesAnAlreadyClosedConnectionThatKeepsItsString) {
  auto conn_object = std::make_shared<FakeConnection>(u"Provider=x", /*open=*/false);
  vb::Variant rs(u""), conn(conn_object);
  qe::QeCloseData(rs, conn);
  EXPECT_TRUE(conn.IsNothing());
  EXPECT_EQ(conn_object->close_calls, 0);
  EXPECT_EQ(rs, vb::Variant(u""));
}

TEST(QeCloseData, KeepsAClosedConnectionWithABlankString) {
  auto conn_object = std::make_shared<FakeConnection>(u"  ", /*open=*/false);
  vb::Variant rs, conn(conn_object);
  qe::QeCloseData(rs, conn);
  EXPECT_EQ(conn.GetObject(), conn_object);
}

TEST(QeCloseData, ToleratesNothingNonObjectsAndRepeatedCalls) {
  vb::Variant rs = vb::Variant::Nothing(), conn(12);
  EXPECT_NO_THROW(qe::QeCloseData(rs, conn));
  EXPECT_TRUE(rs.IsNothing());
  EXPECT_TRUE(conn.IsNothing());  // a non-blank value is released too
  EXPECT_NO_THROW(qe::QeCloseData(rs, conn));
}

}  // namespace

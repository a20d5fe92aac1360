// The SQL Server providers: connection strings to logins, the adapter over a
// scripted driver, and FreeTDS failing clearly on a closed port.
#include "platform/ado/sqlserver.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "ado_fixture.h"
#include "platform/ado/errors.h"
#include "support/scripted_sql_server.h"

namespace ado_test {
namespace {

using ado::ConnectionString;
using ado::SqlServerLogin;
using ado::SqlServerResult;

TEST(SqlServerLogin, ComesFromTheConnectionString) {
  SqlServerLogin a = ado::LoginOf(
      ConnectionString::Parse(u"Provider=SQLOLEDB;User Id =sa;pwd=;data source=10.0.0.5,1444;initial Catalog=Qe"), u"", u"");
  EXPECT_EQ(a.host, "10.0.0.5");
  EXPECT_EQ(a.port, 1444);
  EXPECT_EQ(a.user, "sa");
  EXPECT_EQ(a.password, "");
  EXPECT_EQ(a.database, "Qe");
  SqlServerLogin b = ado::LoginOf(
      ConnectionString::Parse(u"Driver={SQL Server};Server=db\\SQLEXPRESS;Uid=u;Pwd= p w ;Database=Office"), u"", u"");
  EXPECT_EQ(b.host, "db");
  EXPECT_EQ(b.instance, "SQLEXPRESS");
  EXPECT_EQ(b.port, 0);
  EXPECT_EQ(b.password, "p w");
  EXPECT_EQ(b.database, "Office");
  SqlServerLogin c = ado::LoginOf(ConnectionString::Parse(u"Provider=SQLOLEDB;Data Source=(local)"), u"me", u"pw");
  EXPECT_EQ(c.host, "127.0.0.1");
  EXPECT_EQ(c.user, "me");
  EXPECT_EQ(c.password, "pw");
}

using test_sql_server::ScriptedDriver;

class SqlServerTest : public AdoTest {
 protected:
  void SetUp() override {
    AdoTest::SetUp();
    ado::SetSqlServerDriver(driver_);
  }
  void TearDown() override {
    ado::SetSqlServerDriver(nullptr);
    AdoTest::TearDown();
  }
  std::shared_ptr<ScriptedDriver> driver_ = std::make_shared<ScriptedDriver>();
  const String form_ = u"Provider=SQLOLEDB;User Id =sa;pwd=;data source=db;initial Catalog=Qe";
};

TEST_F(SqlServerTest, QueriesAndChangesGoThroughTheDriver) {
  SqlServerResult rows;
  rows.returns_rows = true;
  rows.columns = {{u"Name", 202, 50}, {u"Age", 3, 4}};
  rows.rows = {{Variant(u"甲"), Variant(int32_t{30})}, {Variant(u"乙"), Variant::Null()}};
  driver_->answers[u"Select Name, Age From [User]"] = rows;
  Variant conn = Open(form_);
  EXPECT_EQ(vb::CStr(Prop(conn, u"Provider")), u"SQLOLEDB.1");
  ASSERT_EQ(driver_->logins.size(), 1u);
  EXPECT_EQ(driver_->logins[0].database, "Qe");
  Variant rs = Query(conn, u"Select Name, Age From [User]");
  EXPECT_EQ(Long(rs, u"RecordCount"), 2);
  EXPECT_EQ(vb::CStr(Field(rs, u"name")), u"甲");
  EXPECT_EQ(Long(com::Call(rs, u"", String(u"Age")), u"Type"), 3);
  com::Call(rs, u"MoveNext");
  EXPECT_TRUE(Field(rs, u"Age").IsNull());
  Variant affected;
  com::Call(conn, u"Execute", String(u"Update [User] Set Age=1"), affected);
  EXPECT_EQ(vb::CLng(affected), 1);
  com::Call(conn, u"BeginTrans");
  com::Call(conn, u"BeginTrans");
  com::Call(conn, u"RollbackTrans");
  com::Call(conn, u"CommitTrans");
  std::vector<String> expected = {u"Select Name, Age From [User]", u"Update [User] Set Age=1", u"BEGIN TRANSACTION",
                                  u"SAVE TRANSACTION qe_2", u"ROLLBACK TRANSACTION qe_2", u"COMMIT TRANSACTION"};
  EXPECT_EQ(driver_->statements, expected);
}

TEST_F(SqlServerTest, TheOdbcDriverFormAndItsFailures) {
  Variant conn = Open(u"Driver={SQL Server};Server=db;Uid=sa;Pwd=x;Database=Qe");
  EXPECT_EQ(vb::CStr(Prop(conn, u"Provider")), u"MSDASQL.1");
  EXPECT_EQ(ErrorOf([&] { Open(u"Provider=SQLOLEDB;User Id=sa;pwd=wrong;data source=db"); }), ado::kEFail);
  EXPECT_EQ(ErrorOf([&] { Open(u"Provider=SQLOLEDB;Integrated Security=SSPI;data source=db"); }), ado::kEFail);
  ado::SetInstalledProviders({ado::ProviderId::kJet4});
  EXPECT_EQ(ErrorOf([&] { Open(form_); }), 3706);
}

// A loopback port with nothing listening.
int ClosedPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t length = sizeof addr;
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &length);
  close(s);
  return ntohs(addr.sin_port);
}

TEST(FreeTds, AClosedPortFailsWithAClearError) {
  ado::InstallAllProviders();
  ado::SetSqlServerDriver(nullptr);
  String port = vb::FromUtf8(std::to_string(ClosedPort()));
  Variant conn = Variant(com::CreateObject(u"ADODB.Connection"));
  try {
    com::Call(conn, u"Open", u"Provider=SQLOLEDB;User Id =sa;pwd=x;data source=127.0.0.1," + port +
                                 u";initial Catalog=Qe;Connect Timeout=5");
    FAIL() << "connected";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), ado::kEFail);
    std::string text = vb::ToUtf8(e.Description());
    EXPECT_NE(text.find("SQL Server does not exist or access denied"), std::string::npos) << text;
    EXPECT_NE(text.find("127.0.0.1:" + vb::ToUtf8(port)), std::string::npos) << text;
  }
  EXPECT_EQ(vb::CLng(com::Call(conn, u"State")), 0);
}

}  // namespace
}  // namespace ado_test

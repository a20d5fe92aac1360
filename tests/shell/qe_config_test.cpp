// The configuration database: made on first use with its table and four
// rows, once, whole or not at all, however many requests come at once; and
// its values quoted as SQL text.
#include "shell/qe_config.h"

#include <latch>
#include <thread>

#include "common/kesra_class_md5.h"
#include "site_databases.h"

namespace site_databases {
namespace {

const String kConfigConnection = u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\site\\Data\\Config.htm";

String Md5(vb::StringView text) { return qe::Kesra_Class_Md5().KesraMd5(text); }

// The four default rows, as a request from `address` seeds them.
String DefaultRows(vb::StringView address) {
  return u"UserName," + Md5(u"wardenaccount") + u"," + Md5(u"") + u",,,;DataType,Access,,,,;Access,Qe.asp,,,,;" +
         u"SQL_Server," + String(address) + u",sa,,,;";
}

using QeConfig = SiteDatabaseTest;

TEST_F(QeConfig, FirstUseCreatesTheDatabaseWithItsTableAndFourRowsInOrderOnce) {
  auto page = NewPage();
  Variant qe = NewQeCls();
  EXPECT_EQ(com::Call(qe, u"CommConfig_GetConnString", page->server, page->request), Variant(kConfigConnection));
  EXPECT_EQ(ConfigRows(), DefaultRows(u"10.1.2.3"));
  // The table as ADOX reads it back: six texts of 32 characters (255 for the
  // client's address), no key or index.
  Variant catalog = Create(u"ADOX.Catalog");
  com::Let(catalog, u"ActiveConnection", Variant(kConfigConnection));
  Variant table = com::Call(com::Call(catalog, u"Tables"), u"Item", String(u"Config"));
  Variant columns = com::Call(table, u"Columns");
  ASSERT_EQ(Long(columns, u"Count"), 6);
  const char16_t* names[] = {u"ConfigClass", u"ConfigPara1", u"ConfigPara2", u"ConfigPara3", u"ConfigPara4",
                             u"ConfigPara5"};
  for (int32_t i = 0; i < 6; ++i) {
    Variant column = com::Call(columns, u"Item", i);
    EXPECT_EQ(vb::CStr(Prop(column, u"Name")), names[i]);
    EXPECT_EQ(Long(column, u"Type"), 202);
    EXPECT_EQ(Long(column, u"DefinedSize"), i == 1 ? 255 : 32) << vb::ToUtf8(names[i]);
  }
  EXPECT_EQ(Long(com::Call(table, u"Indexes"), u"Count"), 0);
  catalog = Variant();
  // Later requests find it: nothing is added, and nothing else is left behind.
  auto later = NewPage(u"", u"10.9.9.9");
  com::Call(qe, u"CommConfig_GetConnString", later->server, later->request);
  com::Call(qe, u"CommConfig_CreateTable", later->server);
  com::Call(qe, u"CommConfig_CreateTableData", later->server, later->request);
  EXPECT_EQ(ConfigRows(), DefaultRows(u"10.1.2.3"));
  EXPECT_EQ(DataFolder(), std::vector<std::string>{"Config.htm"});
}

TEST_F(QeConfig, CreateTableAndCreateTableDataApart) {
  auto page = NewPage(u"172.16.0.1");
  qe::QeConfig_CreateTable(page->server);
  EXPECT_EQ(ConfigRows(), u"");
  qe::QeConfig_CreateTableData(page->server, page->request);
  EXPECT_EQ(ConfigRows(), DefaultRows(u"172.16.0.1"));
  // Only missing rows are added; a changed row stays as it was.
  Variant conn = Open(ado_test::Jet(kConfigFile));
  com::Call(conn, u"Execute", String(u"Delete From [Config] Where ConfigClass='Access'"));
  com::Call(conn, u"Execute", String(u"Update [Config] Set ConfigPara1='SQL' Where ConfigClass='DataType'"));
  conn = Variant();
  qe::QeConfig_CreateTableData(page->server, page->request);
  EXPECT_EQ(ConfigRows(u"Select ConfigClass, ConfigPara1 From [Config]"),
            u"UserName," + Md5(u"wardenaccount") + u";DataType,SQL;SQL_Server,172.16.0.1;Access,Qe.asp;");
}

TEST_F(QeConfig, CreateTableLeavesAnExistingFileAloneWhateverItHolds) {
  Variant catalog = Create(u"ADOX.Catalog");
  com::Call(catalog, u"Create", ado_test::Jet(kConfigFile));
  catalog = Variant();
  auto page = NewPage();
  qe::QeConfig_CreateTable(page->server);
  EXPECT_EQ(ErrorOf([] { ConfigRows(); }), ado::kDbNoSuchTable);
}

TEST_F(QeConfig, WithoutTheDataFolderTheProvidersErrorFailsTheCallAndNothingIsMade) {
  std::filesystem::remove(site_.Host("site/Data"));
  auto page = NewPage();
  try {
    qe::QeConfig_GetConnString(page->server, page->request);
    FAIL() << "made";
  } catch (const vb::Error& e) {
    EXPECT_LT(e.Number(), 0);
    EXPECT_NE(e.Description().find(kConfigFile), String::npos) << vb::ToUtf8(e.Description());
  }
  EXPECT_TRUE(std::filesystem::is_empty(site_.Host("site")));
}

TEST_F(QeConfig, ValuesAreQuotedSoAnAddressCannotChangeTheStatement) {
  // A forged forwarding header with quotes is stored as the text it is.
  auto page = NewPage(u"1.2.3.4','x");
  qe::QeConfig_GetConnString(page->server, page->request);
  EXPECT_EQ(ConfigRows(u"Select ConfigPara1, ConfigPara2 From [Config] Where ConfigClass='SQL_Server'"),
            u"1.2.3.4','x,sa;");
  Variant conn = Open(ado_test::Jet(kConfigFile));
  qe::QeConfigInsertDefault(conn, Variant(u"O'Brien"), Variant(u"a'"), Variant(u"''"), Variant(u""), Variant(u""),
                            Variant(u""));
  qe::QeConfigInsertDefault(conn, Variant(u"o'brien"), Variant(u"again"), Variant(u""), Variant(u""), Variant(u""),
                            Variant(u""));
  EXPECT_EQ(Rows(conn, u"Select * From [Config] Where ConfigClass Like 'O%'"), u"O'Brien,a','',,,;");
}

TEST_F(QeConfig, AFullIpv6AddressOrAForwardedListSetsUpTheSite) {
  const String widest = u"203.0.113.7, " + String(200, u'x') + u", 198.51.100.1";
  for (const String& address : {String(u"2001:0db8:85a3:0000:0000:8a2e:0370:7334"),
                                String(u"ffff:ffff:ffff:ffff:ffff:ffff:255.255.255.255"),
                                String(u"203.0.113.7, 10.0.0.1"), widest.substr(0, 255)}) {
    // A new site each time: no file, no Application values.
    std::filesystem::remove(site_.Host("site/Data/Config.htm"));
    application_ = std::make_shared<asp::ApplicationState>();
    auto page = NewPage(address);
    com::Call(NewQeCls(), u"CommGetApplicationConnString", page->response, page->request, page->server,
              page->application);
    EXPECT_FALSE(page->Ended());
    EXPECT_EQ(ConfigRows(u"Select ConfigPara1, ConfigPara2 From [Config] Where ConfigClass='SQL_Server'"),
              address + u",sa;");
    EXPECT_EQ(vb::CStr(page->App(u"PublicQeDataConnString")),
              u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source =C:\\site\\data\\qe.asp");
  }
}

TEST_F(QeConfig, AFileMadeWithNarrowColumnsIsLeftAsItIsAndKeepsWorking) {
  // A configuration database as earlier builds made it: every column 32
  // characters, seeded from a short address.
  {
    Variant catalog = Create(u"ADOX.Catalog");
    com::Call(catalog, u"Create", String(u"Provider=microsoft.jet.oledb.4.0;Data Source=") + kConfigFile);
    Variant table = Create(u"ADOX.Table");
    com::Let(table, u"name", Variant(u"Config"));
    for (const char16_t* name : {u"ConfigClass", u"ConfigPara1", u"ConfigPara2", u"ConfigPara3", u"ConfigPara4",
                                 u"ConfigPara5"})
      com::Call(com::Call(table, u"Columns"), u"Append", String(name), int32_t{202}, int32_t{32});
    com::Call(com::Call(catalog, u"Tables"), u"Append", table);
  }
  auto seeding = NewPage();
  qe::QeConfig_CreateTableData(seeding->server, seeding->request);
  // A client with a full IPv6 address finds it and gets its connection string.
  auto page = NewPage(u"2001:0db8:85a3:0000:0000:8a2e:0370:7334");
  com::Call(NewQeCls(), u"CommGetApplicationConnString", page->response, page->request, page->server,
            page->application);
  EXPECT_FALSE(page->Ended());
  EXPECT_EQ(vb::CStr(page->App(u"PublicQeDataType")), u"Access");
  EXPECT_EQ(ConfigRows(), DefaultRows(u"10.1.2.3"));
  Variant catalog = Create(u"ADOX.Catalog");
  com::Let(catalog, u"ActiveConnection", Variant(kConfigConnection));
  Variant column = com::Call(com::Call(com::Call(com::Call(catalog, u"Tables"), u"Item", String(u"Config")),
                                       u"Columns"),
                             u"Item", String(u"ConfigPara1"));
  EXPECT_EQ(Long(column, u"DefinedSize"), 32);
}

TEST_F(QeConfig, ARowThatFailsLeavesNoHalfSeededDatabase) {
  // An address longer than the column's 255 characters fails its row.
  const String too_long = u"203.0.113.7, " + String(250, u'9');
  auto first = NewPage(too_long);
  EXPECT_LT(ErrorOf([&] { qe::QeConfig_GetConnString(first->server, first->request); }), 0);
  EXPECT_TRUE(std::filesystem::is_empty(site_.Host("site/Data")));
  // So the next request seeds it in full.
  auto next = NewPage();
  qe::QeConfig_GetConnString(next->server, next->request);
  EXPECT_EQ(ConfigRows(), DefaultRows(u"10.1.2.3"));
  // Adding missing rows to an existing database: all of them or none.
  Variant conn = Open(ado_test::Jet(kConfigFile));
  com::Call(conn, u"Execute", String(u"Delete From [Config] Where ConfigClass In ('Access', 'SQL_Server')"));
  conn = Variant();
  EXPECT_LT(ErrorOf([&] { qe::QeConfig_CreateTableData(first->server, first->request); }), 0);
  EXPECT_EQ(ConfigRows(u"Select ConfigClass From [Config]"), u"UserName;DataType;");
}

// Runs `call` (with the thread's number) on `threads` threads released at the
// same moment, each with a request of its own; gives the number of calls
// that raised.
template <class Call>
int RunAtOnce(SiteDatabaseTest& test, int threads, Call call) {
  std::vector<std::unique_ptr<Page>> pages;
  for (int i = 0; i < threads; ++i) pages.push_back(test.NewPage(u"", u"10.0.0." + vb::FromUtf8(std::to_string(i))));
  std::latch start(threads);
  std::atomic<int> failures{0};
  std::vector<std::thread> running;
  for (int i = 0; i < threads; ++i) {
    running.emplace_back([&, i] {
      Variant qe = SiteDatabaseTest::NewQeCls();
      start.arrive_and_wait();
      try {
        call(qe, *pages[i], i);
      } catch (const vb::Error& e) {
        ++failures;
        ADD_FAILURE() << e.what();
      }
    });
  }
  for (auto& t : running) t.join();
  return failures.load();
}

TEST_F(QeConfig, EightFirstRequestsAtOnceLeaveExactlyFourRows) {
  // Half of them ask for the configuration database, half for the main
  // database's connection string, as a page does first.
  EXPECT_EQ(RunAtOnce(*this, 8,
                      [](Variant& qe, Page& page, int i) {
                        if (i % 2) {
                          EXPECT_EQ(com::Call(qe, u"CommConfig_GetConnString", page.server, page.request),
                                    Variant(kConfigConnection));
                        } else {
                          com::Call(qe, u"CommGetApplicationConnString", page.response, page.request, page.server,
                                    page.application);
                          EXPECT_FALSE(page.Ended());
                        }
                        // Each finds the rows at once, whoever made them.
                        EXPECT_NE(Rows(Open(ado_test::Jet(kConfigFile)), u"Select * From [Config]"), u"");
                      }),
            0);
  EXPECT_EQ(vb::CLng(Scalar(Open(ado_test::Jet(kConfigFile)), u"Select Count(*) From [Config]")), 4);
  EXPECT_EQ(ConfigRows(u"Select ConfigClass From [Config]"), u"UserName;DataType;Access;SQL_Server;");
  EXPECT_EQ(DataFolder(), std::vector<std::string>{"Config.htm"});
  EXPECT_EQ(com::Call(NewPage()->application, u"", String(u"PublicQeDataConnString")),
            Variant(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source =C:\\site\\data\\qe.asp"));
}

TEST_F(QeConfig, EightRequestsAddingTheRowsAtOnceAddEachOnce) {
  auto page = NewPage();
  qe::QeConfig_CreateTable(page->server);
  EXPECT_EQ(RunAtOnce(*this, 8,
                      [](Variant& qe, Page& page, int) {
                        com::Call(qe, u"CommConfig_CreateTableData", page.server, page.request);
                      }),
            0);
  EXPECT_EQ(ConfigRows(u"Select ConfigClass From [Config]"), u"UserName;DataType;Access;SQL_Server;");
}

}  // namespace
}  // namespace site_databases

// The Application values that pages build their connection from: which
// branch the configuration database's rows choose, the Access provider
// trial, and the error page when a row is missing.
#include "shell/qe_application_data.h"

#include "platform/ado/provider.h"
#include "shell/qe_config.h"
#include "site_databases.h"

namespace site_databases {
namespace {

using ado::ProviderId;

const String kJetMain = u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source =C:\\site\\data\\qe.asp";
const String kAce12Main = u"Provider=Microsoft.ACE.OLEDB.12.0;Data Source =C:\\site\\data\\qe.asp";
const String kAce16Main = u"Provider=Microsoft.ACE.OLEDB.16.0;Data Source =C:\\site\\data\\qe.asp";
const String kTypeMessage = u"请先在服务器上运行http://localhost/setup设置数据库类型参数,请联系管理员！";
const String kSqlMessage = u"请先在服务器上运行http://localhost/setup设置数据库连接参数，请联系管理员！";

class QeApplicationData : public SiteDatabaseTest {
 protected:
  void SetUp() override {
    SiteDatabaseTest::SetUp();
    page_ = NewPage();
    qe::QeConfig_GetConnString(page_->server, page_->request);
  }
  void Configure(vb::StringView sql) { com::Call(Open(ado_test::Jet(kConfigFile)), u"Execute", String(sql)); }
  void GetConnString(Page& page, bool close_parent = false, String dialog_id = u"") {
    com::Call(qe_, u"CommGetApplicationConnString", page.response, page.request, page.server, page.application,
              close_parent, dialog_id);
  }
  void Forget(const char16_t* name) { com::Call(com::Call(page_->application, u"Contents"), u"Remove", String(name)); }

  std::unique_ptr<Page> page_;
  Variant qe_ = NewQeCls();
};

TEST_F(QeApplicationData, AnAccessTypeInAnyCaseTakesTheProviderTrial) {
  GetConnString(*page_);
  EXPECT_EQ(page_->App(qe::kPublicQeDataType), Variant(u"Access"));
  EXPECT_EQ(page_->App(qe::kPublicQeDataConnString), Variant(kJetMain));
  EXPECT_TRUE(page_->App(qe::kPublicQeDataSQL).IsEmpty());
  Configure(u"Update [Config] Set ConfigPara1=' ACCESS ' Where ConfigClass='DataType'");
  Forget(qe::kPublicQeDataType);
  GetConnString(*page_);
  EXPECT_EQ(page_->App(qe::kPublicQeDataType), Variant(u"ACCESS"));
  EXPECT_EQ(page_->App(qe::kPublicQeDataConnString), Variant(kJetMain));
  EXPECT_FALSE(page_->Ended());
}

TEST_F(QeApplicationData, TheTypeIsReadOnceButTheConnectionStringIsRebuiltEachTime) {
  GetConnString(*page_);
  Configure(u"Update [Config] Set ConfigPara1='SQL' Where ConfigClass='DataType'");
  ado::SetInstalledProviders({ProviderId::kAce12});
  auto later = NewPage();
  GetConnString(*later);
  EXPECT_EQ(later->App(qe::kPublicQeDataType), Variant(u"Access"));
  EXPECT_EQ(later->App(qe::kPublicQeDataConnString), Variant(kAce12Main));
  // The lock is given back: another request takes it at once.
  EXPECT_FALSE(application_->LockedBy(&later->context.ApplicationObject()));
  EXPECT_FALSE(application_->LockedBy(&page_->context.ApplicationObject()));
}

TEST_F(QeApplicationData, AnyOtherTypeBuildsTheSqlServerFormFromTheTrimmedLogin) {
  Configure(u"Update [Config] Set ConfigPara1='MSSQL' Where ConfigClass='DataType'");
  Configure(u"Update [Config] Set ConfigPara1=' db.school,1433 ', ConfigPara2=' qe_user ', ConfigPara3=' s3cret ' "
            u"Where ConfigClass='SQL_Server'");
  GetConnString(*page_);
  EXPECT_EQ(page_->App(qe::kPublicQeDataSQL), Variant(u"db.school,1433|qe_user|s3cret"));
  EXPECT_EQ(page_->App(qe::kPublicQeDataConnString),
            Variant(u"Provider=SQLOLEDB;User Id =qe_user;pwd=s3cret;data source=db.school,1433;initial Catalog=Qe"));
  // As seeded: the seeding client's address, "sa" and no password.
  Forget(qe::kPublicQeDataSQL);
  Configure(u"Update [Config] Set ConfigPara1='10.1.2.3', ConfigPara2='sa', ConfigPara3='' "
            u"Where ConfigClass='SQL_Server'");
  GetConnString(*page_);
  EXPECT_EQ(page_->App(qe::kPublicQeDataConnString),
            Variant(u"Provider=SQLOLEDB;User Id =sa;pwd=;data source=10.1.2.3;initial Catalog=Qe"));
}

TEST_F(QeApplicationData, AMissingRowEndsTheRequestWithItsMessageAndKeepsTheValues) {
  struct Case {
    const char16_t* remove;
    const String& message;
  } cases[] = {{u"DataType", kTypeMessage}, {u"SQL_Server", kSqlMessage}};
  for (const auto& c : cases) {
    SCOPED_TRACE(vb::ToUtf8(c.remove));
    Configure(u"Update [Config] Set ConfigPara1='SQL' Where ConfigClass='DataType'");
    Configure(u"Delete From [Config] Where ConfigClass='" + String(c.remove) + u"'");
    auto page = NewPage();
    com::Let(page->application, u"", Variant(u"earlier"), String(qe::kPublicQeDataConnString));
    GetConnString(*page, false, u"dlgSetup");
    EXPECT_TRUE(page->Ended());
    EXPECT_NE(page->Body().find(c.message), String::npos);
    // The caller's dialog is the one that the error page closes.
    EXPECT_NE(page->Body().find(u"getElementById('dlgSetup')"), String::npos);
    EXPECT_EQ(page->App(qe::kPublicQeDataConnString), Variant(u"earlier"));
    EXPECT_FALSE(application_->LockedBy(&page->context.ApplicationObject()));
    qe::QeConfig_CreateTableData(page->server, page->request);
  }
}

TEST_F(QeApplicationData, ProviderTrialTakesTheFirstProviderThisServerHas) {
  struct Case {
    std::vector<ProviderId> installed;
    bool data_file;
    const String& expected;
  } cases[] = {
      {{ProviderId::kJet4, ProviderId::kAce12}, true, kJetMain},
      // A missing data file is the provider's own failure: the form stays.
      {{ProviderId::kJet4, ProviderId::kAce12}, false, kJetMain},
      {{ProviderId::kAce12, ProviderId::kAce16}, false, kAce12Main},
      {{ProviderId::kAce16}, true, kAce16Main},
      {{}, true, kAce16Main},  // taken untried
  };
  for (const auto& c : cases) {
    std::filesystem::remove(site_.Host("site/Data/qe.asp"));  // what "\data" names
    if (c.data_file) {
      ado::InstallAllProviders();
      com::Call(Create(u"ADOX.Catalog"), u"Create", ado_test::Jet(kMainFile));
    }
    ado::SetInstalledProviders(c.installed);
    EXPECT_EQ(com::Call(qe_, u"ConnGetConnString", page_->server), Variant(c.expected));
  }
  EXPECT_EQ(com::Call(qe_, u"CommGetDataFullName", page_->server), Variant(kMainFile));
}

}  // namespace
}  // namespace site_databases

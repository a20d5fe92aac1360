// Connection strings as OLE DB reads them, and the providers they name.
#include "platform/ado/connection_string.h"

#include <gtest/gtest.h>

#include "support/printable.h"

namespace {

using ado::ConnectionString;
using ado::ProviderId;

TEST(ConnectionStringParse, KeysIgnoreCaseAndBlanksValuesLoseTheirBlanks) {
  auto cs = ConnectionString::Parse(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source = C:\\site\\data\\qe.asp ; ;pwd=");
  EXPECT_EQ(cs.Get({u"provider"}), u"Microsoft.Jet.OLEDB.4.0");
  EXPECT_EQ(cs.Get({u"DATA SOURCE"}), u"C:\\site\\data\\qe.asp");
  EXPECT_EQ(cs.Get({u"Pwd"}), u"");
  EXPECT_FALSE(cs.Get({u"User Id"}));
}

TEST(ConnectionStringParse, QuotesBracesAndEqualSigns) {
  auto cs = ConnectionString::Parse(
      u"Jet OLEDB:Database Password=\"a;b\"\"c\";Driver={SQL Server};Extended Properties='x;y';a==b=1;first=1;First=2");
  EXPECT_EQ(cs.Get({u"Jet OLEDB:Database Password"}), u"a;b\"c");
  EXPECT_EQ(cs.Get({u"Driver"}), u"{SQL Server}");
  EXPECT_EQ(cs.Get({u"Extended Properties"}), u"x;y");
  EXPECT_EQ(cs.Get({u"a=b"}), u"1");
  EXPECT_EQ(cs.Get({u"first"}), u"1");  // the first of two wins
  EXPECT_EQ(cs.Without({u"Driver", u"a=b", u"first", u"Extended Properties"}),
            u"Jet OLEDB:Database Password=\"a;b\"\"c\";");
}

struct ProviderCase {
  const char16_t* text;
  std::optional<ProviderId> provider;
};

void PrintTo(const ProviderCase& c, std::ostream* os) { *os << qe_test::Printable(c.text, 48); }

class ProviderOfString : public ::testing::TestWithParam<ProviderCase> {};

TEST_P(ProviderOfString, NamesTheProvider) {
  EXPECT_EQ(ado::ProviderOf(ConnectionString::Parse(GetParam().text), u""), GetParam().provider);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ProviderOfString,
    ::testing::Values(
        ProviderCase{u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source =C:\\d\\qe.asp", ProviderId::kJet4},
        ProviderCase{u"Provider=microsoft.jet.oledb.4.0;Data Source=C:\\d\\Config.htm", ProviderId::kJet4},
        ProviderCase{u"Provider=Microsoft.ACE.OLEDB.12.0;Data Source =C:\\d\\qe.asp", ProviderId::kAce12},
        ProviderCase{u"Provider=Microsoft.ACE.OLEDB.16.0;Data Source =C:\\d\\qe.asp", ProviderId::kAce16},
        ProviderCase{u"Provider=SQLOLEDB;User Id =sa;pwd=;data source=db;initial Catalog=Qe", ProviderId::kSqlOleDb},
        ProviderCase{u"Provider=SQLOLEDB.1;Data Source=db", ProviderId::kSqlOleDb},
        ProviderCase{u"Driver={SQL Server};Server=db;Uid=sa;Pwd=x;Database=Qe", ProviderId::kSqlServerOdbc},
        ProviderCase{u"Driver={Microsoft Access Driver (*.mdb)};DBQ=C:\\d\\a.mdb", ProviderId::kAccessOdbc},
        ProviderCase{u"Provider=Microsoft.Jet.OLEDB.3.51;Data Source=C:\\d\\a.mdb", ProviderId::kJet351},
        ProviderCase{u"Provider=Microsoft.Jet.OLEDB.3.0;Data Source=C:\\d\\a.mdb", std::nullopt},
        ProviderCase{u"Data Source=C:\\d\\a.mdb", std::nullopt}));

}  // namespace

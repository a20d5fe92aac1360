// "ADODB.Connection": opening, the numbers of a failed open, the provider
// trial, Execute and transactions.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ado_fixture.h"
#include "platform/ado/errors.h"

namespace ado_test {
namespace {

using ado::ProviderId;

class ConnectionTest : public AdoTest {};

TEST_F(ConnectionTest, OpenAndCloseChangeTheState) {
  String path = NewDatabase();
  Variant conn = Create(u"ADODB.Connection");
  EXPECT_EQ(Long(conn, u"State"), 0);
  com::Call(conn, u"Open", Jet(path));
  EXPECT_EQ(Long(conn, u"State"), 1);
  EXPECT_EQ(vb::CStr(com::ValueOf(conn)), Jet(path));  // the default member
  EXPECT_EQ(vb::CStr(Prop(conn, u"Provider")), u"Microsoft.Jet.OLEDB.4.0");
  EXPECT_EQ(ErrorOf([&] { com::Call(conn, u"Open", Jet(path)); }), ado::kErrObjectOpen);
  com::Call(conn, u"Close");
  EXPECT_EQ(Long(conn, u"State"), 0);
  EXPECT_EQ(vb::CStr(com::ValueOf(conn)), Jet(path));  // kept after closing
  EXPECT_EQ(ErrorOf([&] { com::Call(conn, u"Close"); }), ado::kErrObjectClosed);
  EXPECT_EQ(ErrorOf([&] { com::Call(conn, u"Execute", String(u"Select 1")); }), ado::kErrObjectClosed);
  // The string set first, then Open without one.
  com::Let(conn, u"ConnectionString", Jet(path));
  com::Call(conn, u"Open");
  EXPECT_EQ(Long(conn, u"State"), 1);
}

TEST_F(ConnectionTest, AMissingProviderFailsWithAdosOwnNumber) {
  String path = NewDatabase();
  ado::SetInstalledProviders({ProviderId::kAce12});
  Variant conn = Create(u"ADODB.Connection");
  try {
    com::Call(conn, u"Open", Jet(path));
    FAIL() << "opened";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), 3706);
    EXPECT_EQ(ado::HResultOf(e.Number()), static_cast<int32_t>(0x800A0E7Au));
    EXPECT_EQ(e.Description(), u"Provider cannot be found. It may not be properly installed.");
  }
  EXPECT_EQ(Long(conn, u"State"), 0);
  EXPECT_EQ(ErrorOf([&] { Open(u"Provider=Microsoft.Jet.OLEDB.3.51;Data Source=" + path); }), 3706);
  EXPECT_EQ(ErrorOf([&] { Open(u"Data Source=" + path); }), 3706);
}

TEST_F(ConnectionTest, AProvidersOwnFailureIsANegativeCodeRecordedInErrors) {
  Variant conn = Create(u"ADODB.Connection");
  try {
    com::Call(conn, u"Open", Jet(u"C:\\data\\missing.mdb"));
    FAIL() << "opened";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), ado::kEFail);
    EXPECT_LT(e.Number(), 0);
    EXPECT_EQ(e.Description(), u"Could not find file 'C:\\data\\missing.mdb'.");
  }
  Variant errors = Prop(conn, u"Errors");
  ASSERT_EQ(Long(errors, u"Count"), 1);
  Variant first = com::Call(errors, u"Item", int32_t{0});
  EXPECT_EQ(Long(first, u"Number"), ado::kEFail);
  EXPECT_EQ(vb::CStr(Prop(first, u"Source")), u"Microsoft JET Database Engine");
  // A file that is no database, a drive that is not mapped.
  site_.WriteFile("data/notes.mdb", "not a database at all, just text that is long enough");
  EXPECT_EQ(ErrorOf([&] { Open(Jet(u"C:\\data\\notes.mdb")); }), ado::kEFail);
  EXPECT_EQ(ErrorOf([&] { Open(Jet(u"Q:\\data\\qe.mdb")); }), ado::kEFail);
  // A folder is no file either.
  site_.MakeFolder("data/folder.mdb");
  EXPECT_EQ(ErrorOf([&] { Open(Jet(u"C:\\data\\folder.mdb")); }), ado::kEFail);
}

TEST_F(ConnectionTest, NamesAreFoundWithoutRegardToCase) {
  NewDatabase("Data/QE.asp");
  Variant conn = Open(u"Provider=Microsoft.ACE.OLEDB.12.0;Data Source =c:\\data\\qe.ASP");
  EXPECT_EQ(Long(conn, u"State"), 1);
  EXPECT_EQ(vb::CStr(Prop(conn, u"Provider")), u"Microsoft.ACE.OLEDB.12.0");
}

// The provider trial as the configuration code runs it: the next form only
// when the open failed with one of ADO's own numbers (above 0).
String ProviderTrial(StringView path) {
  const String forms[] = {u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source =", u"Provider=Microsoft.ACE.OLEDB.12.0;Data Source =",
                          u"Provider=Microsoft.ACE.OLEDB.16.0;Data Source ="};
  Variant conn = Variant(com::CreateObject(u"Adodb.Connection"));
  for (int i = 0; i < 2; ++i) {
    int32_t number = 0;
    try {
      com::Call(conn, u"Open", forms[i] + String(path));
    } catch (const vb::Error& e) {
      number = e.Number();
    }
    if (number <= 0) {
      try {
        com::Call(conn, u"Close");
      } catch (const vb::Error&) {
      }
      return forms[i] + String(path);
    }
  }
  return forms[2] + String(path);
}

struct Trial {
  std::vector<ProviderId> installed;
  bool file_exists;
  const char16_t* chosen;
};

void PrintTo(const Trial& t, std::ostream* os) {
  *os << "installed";
  for (ProviderId id : t.installed) *os << ' ' << static_cast<int>(id);
  *os << (t.installed.empty() ? " none" : "") << (t.file_exists ? ", a file" : ", no file");
}

class ProviderTrialTest : public AdoTest, public ::testing::WithParamInterface<Trial> {};

TEST_P(ProviderTrialTest, ChoosesTheFormByTheNumbers) {
  if (GetParam().file_exists) NewDatabase("data/qe.asp");
  ado::SetInstalledProviders(GetParam().installed);
  String result = ProviderTrial(u"C:\\data\\qe.asp");
  EXPECT_EQ(result, String(GetParam().chosen) + u";Data Source =C:\\data\\qe.asp");
}

INSTANTIATE_TEST_SUITE_P(
    ThreeWays, ProviderTrialTest,
    ::testing::Values(
        Trial{{ProviderId::kJet4}, true, u"Provider=Microsoft.Jet.OLEDB.4.0"},
        Trial{{ProviderId::kAce12}, true, u"Provider=Microsoft.ACE.OLEDB.12.0"},
        Trial{{ProviderId::kAce16}, true, u"Provider=Microsoft.ACE.OLEDB.16.0"},
        Trial{{}, true, u"Provider=Microsoft.ACE.OLEDB.16.0"},
        // A provider that is there but cannot open the file keeps its form.
        Trial{{ProviderId::kJet4}, false, u"Provider=Microsoft.Jet.OLEDB.4.0"},
        Trial{{ProviderId::kAce12}, false, u"Provider=Microsoft.ACE.OLEDB.12.0"}));

TEST_F(ConnectionTest, ExecuteGivesRowsOrAClosedRecordsetAndCountsChanges) {
  Variant conn = OpenNew({u"Create Table t (id Counter Primary Key, a Text(10))"});
  Variant affected;
  Variant insert = com::Call(conn, u"Execute", String(u"Insert Into t (a) Values ('x')"), affected);
  EXPECT_EQ(vb::CLng(affected), 1);
  EXPECT_EQ(Long(insert, u"State"), 0);
  com::Call(conn, u"Execute", String(u"Insert Into t (a) Values ('y')"));
  com::Call(conn, u"Execute", String(u"Update t Set a='z'"), affected);
  EXPECT_EQ(vb::CLng(affected), 2);
  Variant rs = com::Call(conn, u"Execute", String(u"Select a From t Order By id"));
  EXPECT_EQ(Long(rs, u"State"), 1);
  EXPECT_EQ(Long(rs, u"RecordCount"), -1);  // forward-only
  EXPECT_EQ(vb::CStr(Field(rs, u"a")), u"z");
  EXPECT_EQ(ErrorOf([&] { com::Let(rs, u"", Variant(u"w"), String(u"a")); }), 3251);  // read-only
  Variant none = com::Call(conn, u"Execute", String(u"Delete From t"), affected, int32_t{1 | 0x80});
  EXPECT_TRUE(none.IsNothing());
  EXPECT_EQ(vb::CLng(affected), 2);
}

TEST_F(ConnectionTest, DefaultMembersAsTheClosingCodeReadsThem) {
  // A connection's default value is its string; a recordset's is its Fields,
  // whose own default member wants an argument.
  Variant conn = OpenNew({u"Create Table t (a Long)"});
  EXPECT_FALSE(vb::CStr(com::ValueOf(conn)).empty());
  Variant rs = Query(conn, u"Select * From t");
  EXPECT_EQ(ErrorOf([&] { com::ValueOf(rs); }), vb::kWrongArgumentCount);
  EXPECT_EQ(vb::CStr(com::Call(rs, u"Source")), u"Select * From t");
}

TEST_F(ConnectionTest, ClosingTheConnectionClosesItsRecordsets) {
  Variant conn = OpenNew({u"Create Table t (a Long)", u"Insert Into t Values (1)"});
  Variant rs = Query(conn, u"Select * From t");
  Variant executed = com::Call(conn, u"Execute", String(u"Select * From t"));
  com::Call(conn, u"Close");
  EXPECT_EQ(Long(rs, u"State"), 0);
  EXPECT_EQ(Long(executed, u"State"), 0);
  EXPECT_EQ(ErrorOf([&] { Field(rs, u"a"); }), ado::kErrItemNotFound);  // a closed recordset has no fields
  EXPECT_EQ(ErrorOf([&] { com::Call(rs, u"MoveNext"); }), ado::kErrObjectClosed);
}

TEST_F(ConnectionTest, TransactionsNestCommitAndRollBack) {
  Variant conn = OpenNew({u"Create Table t (a Long)"});
  auto count = [&] { return vb::CLng(Scalar(conn, u"Select Count(*) From t")); };
  EXPECT_EQ(Long(conn, u"BeginTrans"), 1);
  com::Call(conn, u"Execute", String(u"Insert Into t Values (1)"));
  EXPECT_EQ(Long(conn, u"BeginTrans"), 2);
  com::Call(conn, u"Execute", String(u"Insert Into t Values (2)"));
  com::Call(conn, u"RollbackTrans");
  EXPECT_EQ(count(), 1);
  EXPECT_EQ(ErrorOf([&] { com::Call(conn, u"Close"); }), 3246);  // not while in a transaction
  com::Call(conn, u"CommitTrans");
  EXPECT_EQ(count(), 1);
  com::Call(conn, u"BeginTrans");
  com::Call(conn, u"Execute", String(u"Insert Into t Values (3)"));
  com::Call(conn, u"RollbackTrans");
  EXPECT_EQ(count(), 1);
  EXPECT_EQ(ErrorOf([&] { com::Call(conn, u"CommitTrans"); }), ado::kNoTransaction);
  EXPECT_EQ(ErrorOf([&] { com::Call(conn, u"RollbackTrans"); }), ado::kNoTransaction);
}

TEST_F(ConnectionTest, TheSixthNestedTransactionIsRefusedAndTheLevelStaysAtFive) {
  Variant conn = OpenNew({u"Create Table t (a Long)"});
  auto count = [&] { return vb::CLng(Scalar(conn, u"Select Count(*) From t")); };
  auto insert = [&](int32_t a) {
    com::Call(conn, u"Execute", u"Insert Into t Values (" + vb::CStr(Variant(a)) + u")");
  };
  for (int32_t level = 1; level <= 5; ++level) {
    EXPECT_EQ(Long(conn, u"BeginTrans"), level);
    insert(level);
  }
  try {
    com::Call(conn, u"BeginTrans");
    ADD_FAILURE() << "a sixth level";
  } catch (const vb::Error& e) {
    EXPECT_EQ(e.Number(), ado::kEFail);
    EXPECT_NE(e.Description().find(u"Transactions nested too deeply"), String::npos) << vb::ToUtf8(e.Description());
  }
  // The refused call changed nothing: what follows is still level 5's.
  insert(6);
  com::Call(conn, u"RollbackTrans");
  EXPECT_EQ(count(), 4);
  EXPECT_EQ(Long(conn, u"BeginTrans"), 5);
  for (int level = 5; level >= 1; --level) com::Call(conn, u"CommitTrans");
  EXPECT_EQ(ErrorOf([&] { com::Call(conn, u"CommitTrans"); }), ado::kNoTransaction);
  EXPECT_EQ(count(), 4);
  EXPECT_EQ(vb::CLng(Scalar(Open(vb::CStr(com::ValueOf(conn))), u"Select Sum(a) From t")), 10);
}

TEST_F(ConnectionTest, ConcurrentTransactionsWaitForEachOther) {
  // Each thread checks for the row and adds it when missing, in one
  // transaction: however they interleave, one row results and none fails.
  String path = NewDatabase();
  Open(Jet(path)).GetObject();
  com::Call(Open(Jet(path)), u"Execute", String(u"Create Table t (k Text(10))"));
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&] {
      try {
        Variant conn = Open(Jet(path));
        com::Call(conn, u"BeginTrans");
        if (vb::CLng(Scalar(conn, u"Select Count(*) From t Where k='one'")) == 0)
          com::Call(conn, u"Execute", String(u"Insert Into t Values ('one')"));
        com::Call(conn, u"CommitTrans");
        com::Call(conn, u"Close");
      } catch (const vb::Error&) {
        ++failures;
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(vb::CLng(Scalar(Open(Jet(path)), u"Select Count(*) From t")), 1);
}

TEST_F(ConnectionTest, PasswordsLeaveTheStringUnlessPersisted) {
  String path = NewDatabase();
  String with = Jet(path) + u";Persist Security Info=False;Jet OLEDB:Database Password=";
  Variant conn = Open(with);
  EXPECT_EQ(vb::CStr(Prop(conn, u"ConnectionString")), Jet(path) + u";Persist Security Info=False;");
  com::Call(conn, u"Close");
  EXPECT_EQ(vb::CStr(Prop(conn, u"ConnectionString")), with);
  Variant kept = Open(Jet(path) + u";Persist Security Info=True;Jet OLEDB:Database Password=");
  EXPECT_EQ(vb::CStr(Prop(kept, u"ConnectionString")), Jet(path) + u";Persist Security Info=True;Jet OLEDB:Database Password=");
}

}  // namespace
}  // namespace ado_test

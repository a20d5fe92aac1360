#pragma once
// A temporary site with Access databases in it, and short ways to reach the
// ADO objects late-bound, as the component does.
#include <gtest/gtest.h>

#include <string>

#include "platform/ado/providers.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "support/temp_site.h"

namespace ado_test {

using vb::String;
using vb::StringView;
using vb::Variant;

inline String Jet(StringView path) { return u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + String(path); }

class AdoTest : public ::testing::Test {
 protected:
  void SetUp() override { ado::InstallAllProviders(); }
  void TearDown() override { ado::InstallAllProviders(); }

  // An empty database file at C:\<relative> ("data\\test.mdb"); its Windows path.
  String NewDatabase(std::string relative = "data/test.mdb") {
    site_.WriteFile(relative);
    String path = u"C:\\" + vb::FromUtf8(relative);
    for (auto& c : path)
      if (c == u'/') c = u'\\';
    return path;
  }

  static Variant Create(StringView prog_id) { return Variant(com::CreateObject(prog_id)); }

  static Variant Open(StringView connection_string) {
    Variant conn = Create(u"ADODB.Connection");
    com::Call(conn, u"Open", String(connection_string));
    return conn;
  }

  // A connection to a new database holding what `statements` make.
  Variant OpenNew(std::initializer_list<StringView> statements = {}) {
    Variant conn = Open(Jet(NewDatabase()));
    for (StringView s : statements) com::Call(conn, u"Execute", String(s));
    return conn;
  }

  static Variant Query(const Variant& conn, StringView sql, int cursor = 1, int lock = 1) {
    Variant rs = Create(u"ADODB.Recordset");
    com::Call(rs, u"Open", String(sql), conn, int32_t{cursor}, int32_t{lock});
    return rs;
  }

  // Rs("name") as a page reads it.
  static Variant Field(const Variant& rs, StringView name) { return com::ValueOf(com::Call(rs, u"", String(name))); }
  static Variant Prop(const Variant& obj, StringView name) { return com::Call(obj, name); }
  static int32_t Long(const Variant& obj, StringView name) { return vb::CLng(com::Call(obj, name)); }
  static bool Bool(const Variant& obj, StringView name) { return vb::CBool(com::Call(obj, name)); }

  // The one value a query returns.
  static Variant Scalar(const Variant& conn, StringView sql) {
    Variant rs = com::Call(conn, u"Execute", String(sql));
    return com::ValueOf(com::Call(rs, u"", int32_t{0}));
  }

  // The number the call raised (0 when it did not raise).
  template <class Body>
  static int32_t ErrorOf(Body&& body) {
    try {
      body();
    } catch (const vb::Error& e) {
      return e.Number();
    }
    return 0;
  }

  qe_test::TempSite site_;
};

}  // namespace ado_test

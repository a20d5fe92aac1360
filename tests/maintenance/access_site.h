#pragma once
// A temporary site (C:\site, pages under /qe/) with Access databases in it, a
// request into it, and the maintenance class to call with that request.
#include <memory>
#include <string>

#include "maintenance/kesra_class_access.h"
#include "platform/ado/ado_fixture.h"
#include "platform/asp/context.h"
#include "maintenance/structure_database.h"
#include "platform/asp/text_codec.h"
#include "platform/text/ansi.h"
#include "support/file_content.h"

namespace access_test {

using ado_test::String;
using ado_test::StringView;
using ado_test::Variant;
using ado_test::Jet;

class AccessSiteTest : public ado_test::AdoTest {
 protected:
  void SetUp() override {
    AdoTest::SetUp();
    site_.MakeFolder("site/data");
    site_.MakeFolder("site/Comm");
  }

  // A new database at the real path, holding what the statements make.
  Variant MakeDatabase(StringView path, std::initializer_list<StringView> statements = {}) {
    Variant catalog = Create(u"ADOX.Catalog");
    Variant conn = com::Call(catalog, u"Create", Jet(path));
    for (StringView s : statements) com::Call(conn, u"Execute", String(s));
    return conn;
  }

  bool Capture(StringView config, StringView databases, StringView type) {
    return access_->KesraAccessCreateConfig(response_, request_, server_, String(config), String(databases),
                                            String(type), false, u"");
  }
  bool Rebuild(StringView config, StringView target, StringView type) {
    return access_->KesraAccessCreateFromConfig(response_, request_, server_, String(config), String(target),
                                                String(type));
  }
  bool Compact(StringView list, bool show_errors = true) {
    return access_->KesraAccessCompact(response_, request_, server_, String(list), show_errors, false, u"");
  }

  bool Ended() const { return asp::ResponseEnded(response_); }
  String Body() const { return asp::DecodeText(context_->ResponseBody()); }
  // A new request, for a call after one that ended its response.
  void NewRequest() {
    context_ = std::make_unique<asp::Context>(asp::RequestSpec{});
    request_ = context_->Request();
    response_ = context_->Response();
    server_ = context_->Server();
    application_ = context_->Application();
  }

  static int64_t Count(StringView path, StringView table) {
    return vb::CLng(Scalar(Open(Jet(path)), u"Select Count(*) From [" + String(table) + u"]"));
  }

  // Everything the rebuild brings back of a database, one line per table,
  // column and index, in catalog order (scratch tables are not brought back).
  static String Structure(StringView file) {
    Variant catalog = Create(u"ADOX.Catalog");
    com::Let(catalog, u"ActiveConnection", Jet(file));
    Variant tables = com::Call(catalog, u"Tables");
    String out;
    for (int32_t i = 0; i < Long(tables, u"Count"); ++i) {
      Variant t = com::Call(tables, u"Item", i);
      if (vb::CStr(Prop(t, u"Type")) != u"TABLE" || vb::CStr(Prop(t, u"Name")).starts_with(u"TEMP_")) continue;
      out += u"table " + vb::CStr(Prop(t, u"Name")) + u"\n";
      Variant columns = com::Call(t, u"Columns");
      for (int32_t k = 0; k < Long(columns, u"Count"); ++k) {
        Variant c = com::Call(columns, u"Item", k);
        auto p = [&](StringView name) { return vb::CStr(com::Call(com::Call(c, u"Properties", String(name)), u"Value")); };
        out += u" " + vb::CStr(Prop(c, u"Name")) + u" " + vb::CStr(Prop(c, u"Type")) + u"/" +
               vb::CStr(Prop(c, u"DefinedSize")) + u" auto=" + p(u"Autoincrement") + u" null=" + p(u"Nullable") +
               u" zero=" + p(u"Jet OLEDB:Allow Zero Length") + u" desc=" + p(u"Description") + u" default=" +
               p(u"Default") + u"\n";
      }
      Variant indexes = com::Call(t, u"Indexes");
      for (int32_t k = 0; k < Long(indexes, u"Count"); ++k) {
        Variant ix = com::Call(indexes, u"Item", k);
        out += u" index " + vb::CStr(Prop(ix, u"Name")) + u" " + vb::CStr(Prop(ix, u"PrimaryKey")) + u" " +
               vb::CStr(Prop(ix, u"Unique"));
        Variant ic = com::Call(ix, u"Columns");
        for (int32_t m = 0; m < Long(ic, u"Count"); ++m)
          out += u" " + vb::CStr(Prop(com::Call(ic, u"Item", m), u"Name")) + u"|" +
                 vb::CStr(Prop(com::Call(ic, u"Item", m), u"SortOrder"));
        out += u"\n";
      }
    }
    return out;
  }

  std::unique_ptr<asp::Context> context_ = std::make_unique<asp::Context>(asp::RequestSpec{});  // /qe/index.asp
  Variant request_ = context_->Request(), response_ = context_->Response(), server_ = context_->Server();
  Variant application_ = context_->Application();
  std::shared_ptr<qe::Kesra_Class_Access> access_ = std::make_shared<qe::Kesra_Class_Access>();
};

// A site with a structure configuration in each form to capture into:
// "C:\site\Comm\s.ini" (an INI text, "old content" until written) and
// "C:\site\Comm\s.mdb" (a configuration database without rows).
class StructureSiteTest : public AccessSiteTest {
 protected:
  static constexpr const char16_t* kIni = u"C:\\site\\Comm\\s.ini";
  static constexpr const char16_t* kMdb = u"C:\\site\\Comm\\s.mdb";

  void SetUp() override {
    AccessSiteTest::SetUp();
    site_.WriteFile("site/Comm/s.ini", "old content");
    qe::CreateConfigurationDatabase(kMdb);
  }
  std::string IniBytes() const { return qe_test::FileContent(site_.Host("site/Comm/s.ini")); }
  String IniText() const { return text::DecodeAnsi(IniBytes()); }
  // The rows of a query on the configuration database, as "a,b;" each.
  static String ConfigRows(StringView select) {
    Variant rs = Query(Open(Jet(kMdb)), select);
    if (vb::CBool(com::Call(rs, u"EOF"))) return {};
    return vb::CStr(com::Call(rs, u"GetString", int32_t{2}, int32_t{-1}, String(u","), String(u";"), String(u"")));
  }
};

}  // namespace access_test

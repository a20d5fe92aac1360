#pragma once
// A temporary site (C:\site, pages under /qe/) with Access databases in it, a
// request into it, and the maintenance class to call with that request.
#include <memory>
#include <string>

#include "maintenance/kesra_class_access.h"
#include "platform/ado/ado_fixture.h"
#include "platform/asp/context.h"
#include "platform/asp/text_codec.h"

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
  }

  static int64_t Count(StringView path, StringView table) {
    return vb::CLng(Scalar(Open(Jet(path)), u"Select Count(*) From [" + String(table) + u"]"));
  }

  std::unique_ptr<asp::Context> context_ = std::make_unique<asp::Context>(asp::RequestSpec{});  // /qe/index.asp
  Variant request_ = context_->Request(), response_ = context_->Response(), server_ = context_->Server();
  std::shared_ptr<qe::Kesra_Class_Access> access_ = std::make_shared<qe::Kesra_Class_Access>();
};

}  // namespace access_test

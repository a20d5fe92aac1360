#pragma once
// A temporary site with its data folder, requests into it that share one
// Application, and a façade to call, for the tests of the site's databases.
#include <memory>

#include "platform/ado/ado_fixture.h"
#include "platform/ado/errors.h"
#include "platform/asp/context.h"
#include "platform/asp/text_codec.h"
#include "facade/qecls.h"

namespace site_databases {

using ado_test::String;
using ado_test::Variant;

inline constexpr char16_t kConfigFile[] = u"C:\\site\\Data\\Config.htm";
inline constexpr char16_t kMainFile[] = u"C:\\site\\data\\qe.asp";

// One request of the site, with its intrinsic objects as variables that the
// façade receives by reference.
struct Page {
  explicit Page(asp::RequestSpec request_spec)
      : context(std::move(request_spec)),
        request(context.Request()),
        response(context.Response()),
        server(context.Server()),
        application(context.Application()) {}
  bool Ended() const { return asp::ResponseEnded(response); }
  String Body() const { return asp::DecodeText(context.ResponseBody()); }
  Variant App(const char16_t* name) { return com::Call(application, u"", String(name)); }

  asp::Context context;
  Variant request, response, server, application;
};

class SiteDatabaseTest : public ado_test::AdoTest {
 public:

  // A request from `address` (with an X-Forwarded-For header when given).
  std::unique_ptr<Page> NewPage(String forwarded_for = {}, String address = u"10.1.2.3") {
    asp::RequestSpec request_spec;
    request_spec.url = u"/qe/index.asp";
    request_spec.remote_addr = std::move(address);
    if (!forwarded_for.empty()) request_spec.headers.emplace_back(u"X-Forwarded-For", std::move(forwarded_for));
    request_spec.application = application_;
    return std::make_unique<Page>(std::move(request_spec));
  }

  static Variant NewQeCls() { return Variant(std::make_shared<qe::QeCls>()); }

  // The rows of a query as "a,b,c;" each.
  static String Rows(const Variant& conn, vb::StringView sql) {
    Variant rs = Query(conn, sql);
    if (vb::CBool(com::Call(rs, u"EOF"))) return {};
    return vb::CStr(com::Call(rs, u"GetString", int32_t{2}, int32_t{-1}, String(u","), String(u";"), String(u"")));
  }
  static String ConfigRows(vb::StringView select = u"Select * From [Config]") {
    return Rows(Open(ado_test::Jet(kConfigFile)), select);
  }

  // The names that the site's data folder holds.
  std::vector<std::string> DataFolder() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(site_.Host("site/Data")))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }


 protected:
  void SetUp() override {
    AdoTest::SetUp();
    site_.MakeFolder("site/Data");
  }

  std::shared_ptr<asp::ApplicationState> application_ = std::make_shared<asp::ApplicationState>();
};

}  // namespace site_databases

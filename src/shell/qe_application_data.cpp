#include "shell/qe_application_data.h"

#include <functional>

#include "common/kesra_error_page.h"
#include "platform/asp/context.h"
#include "platform/com/registry.h"
#include "platform/vb/strings.h"
#include "shell/application_lock.h"
#include "common/qe_close_data.h"
#include "shell/qe_config.h"
#include "platform/com/variant_property.h"

namespace qe {
namespace {

// The setup page on the server itself, named by the messages below.
constexpr char16_t kSetupAddress[] = u"http://localhost/setup";
constexpr char16_t kRunSetupFirst[] = u"请先在服务器上运行";
// The main database's name on SQL Server.
constexpr char16_t kSqlServerCatalog[] = u"Qe";

vb::Variant ApplicationValue(vb::Variant& Application, vb::StringView name) {
  return com::Call(Application, u"", vb::String(name));
}

bool IsBlank(const vb::Variant& value) { return value.IsNull() || value.IsEmpty() || VariantText(value).empty(); }

vb::String TrimmedField(const vb::Variant& rs, vb::StringView name) {
  return vb::Trim(VariantText(com::ValueOf(com::Call(rs, u"", vb::String(name)))));
}

// Reads one row of Config and stores what `value_of` makes of it; the error
// page with `message` when the row is missing.
void ReadConfigRow(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::Variant& Application,
                   bool p_CloseParent, const vb::String& p_DialogID, const vb::String& sql,
                   const vb::String& message, vb::StringView key,
                   const std::function<vb::String(const vb::Variant& rs)>& value_of) {
  vb::Variant conn(com::CreateObject(u"Adodb.Connection"));
  com::Call(conn, u"Open", QeConfig_GetConnString(Server, Request));
  vb::Variant rs(com::CreateObject(u"Adodb.RecordSet"));
  com::Call(rs, u"Open", sql, conn, int32_t{1}, int32_t{1});
  if (vb::CBool(com::Call(rs, u"EOF")) || vb::CBool(com::Call(rs, u"BOF"))) {
    KesraShowErrorPage(Response, rs, conn, message, p_CloseParent, p_DialogID);
    return;
  }
  {
    ApplicationLock lock(Application);
    com::Let(Application, u"", vb::Variant(value_of(rs)), vb::String(key));
  }
  QeCloseData(rs, conn);
}

}  // namespace

void QeGetApplicationDataType(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                              vb::Variant& Application, bool p_CloseParent, vb::String p_DialogID) {
  ReadConfigRow(Response, Request, Server, Application, p_CloseParent, p_DialogID,
                u"Select ConfigPara1 From [Config] Where ConfigClass='Datatype'",
                kRunSetupFirst + vb::String(kSetupAddress) + u"设置数据库类型参数,请联系管理员！", kPublicQeDataType,
                [](const vb::Variant& rs) { return TrimmedField(rs, u"ConfigPara1"); });
}

void QeGetApplicationDataSql(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                             vb::Variant& Application, bool p_CloseParent, vb::String p_DialogID) {
  ReadConfigRow(Response, Request, Server, Application, p_CloseParent, p_DialogID,
                u"Select ConfigPara1,ConfigPara2,ConfigPara3 From [Config] Where ConfigClass='SQL_Server'",
                kRunSetupFirst + vb::String(kSetupAddress) + u"设置数据库连接参数，请联系管理员！", kPublicQeDataSQL,
                [](const vb::Variant& rs) {
                  return TrimmedField(rs, u"ConfigPara1") + u"|" + TrimmedField(rs, u"ConfigPara2") + u"|" +
                         TrimmedField(rs, u"ConfigPara3");
                });
}

void QeGetApplicationConnString(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                                vb::Variant& Application, bool p_CloseParent, vb::String p_DialogID) {
  if (IsBlank(ApplicationValue(Application, kPublicQeDataType))) {
    QeGetApplicationDataType(Response, Request, Server, Application, p_CloseParent, p_DialogID);
    if (asp::ResponseEnded(Response)) return;
  }
  if (vb::LCase(VariantText(ApplicationValue(Application, kPublicQeDataType))) == u"access") {
    // Held for the whole trial, so concurrent requests rebuild one at a time.
    ApplicationLock lock(Application);
    com::Let(Application, u"", vb::Variant(QeGetConnString(Server)), vb::String(kPublicQeDataConnString));
    return;
  }
  if (IsBlank(ApplicationValue(Application, kPublicQeDataSQL))) {
    QeGetApplicationDataSql(Response, Request, Server, Application, p_CloseParent, p_DialogID);
    if (asp::ResponseEnded(Response)) return;
  }
  std::vector<vb::String> login = vb::SplitParts(VariantText(ApplicationValue(Application, kPublicQeDataSQL)), u"|");
  if (login.size() < 3) vb::Raise(vb::kSubscriptOutOfRange);
  ApplicationLock lock(Application);
  com::Let(Application, u"",
           vb::Variant(u"Provider=SQLOLEDB;User Id =" + login[1] + u";pwd=" + login[2] + u";data source=" + login[0] +
                       u";initial Catalog=" + kSqlServerCatalog),
           vb::String(kPublicQeDataConnString));
}

}  // namespace qe

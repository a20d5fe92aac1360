#include "shell/qe_data_init.h"

#include "common/kesra_addresses.h"
#include "common/kesra_class_md5.h"
#include "common/kesra_dates.h"
#include "common/sql_literal.h"
#include "platform/asp/context.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "shell/connection_transaction.h"
#include "shell/qe_application_data.h"
#include "common/qe_close_data.h"
#include "shell/qe_default_menu.h"

namespace qe {
namespace {

constexpr char16_t kAdministratorPart[] = u"网管中心";

vb::String Number(size_t n) { return vb::CStr(vb::Variant(static_cast<int32_t>(n))); }

// The statements that seed a new main database, in order.
std::vector<vb::String> SeedStatements(vb::Variant& Request) {
  vb::String digest;
  {
    Kesra_Class_Md5 md5;
    digest = md5.KesraMd5(u"");
  }
  std::vector<vb::String> statements = {
      u"Insert Into [User] ([Name],[UserName],[PassWord],[Rule],[ShenHe],[Part],[Time],[Times],[iPageSize],[iAdd],"
      u"[SystemSet],[Question],[Answer],[IP],[Phone]) Values('管理员'," + SqlText(kSeededLoginName) + u"," +
          SqlText(digest) + u",'a',-1," + SqlText(kAdministratorPart) + u"," + SqlText(KesraGetDateTime()) +
          u",0,25,'','100|100|10|100|100','',''," + SqlText(KesraGetIp(Request)) + u",'')",
      u"Insert Into [UserInfo] ([UserID],[HavePhoto]) Values(1,0)",
      u"Insert Into [Part] ([Part]) Values(" + SqlText(kAdministratorPart) + u")",
  };
  const auto& menu = DefaultMenu();
  for (size_t i = 0; i < menu.size(); ++i) {
    const vb::String group = Number(i + 1);
    statements.push_back(u"Insert Into [Class] ([Class],[Active],[SortID],[Title]) Values(" + SqlText(menu[i].name) +
                         u",-1," + group + u",'')");
    for (size_t j = 0; j < menu[i].items.size(); ++j) {
      const DefaultMenuItem& item = menu[i].items[j];
      statements.push_back(u"Insert Into [NClass] ([NClass],[ClassID],[Url],[Active],[SortID],[Manager],[Title]) Values(" +
                           SqlText(item.name) + u"," + group + u"," + SqlText(item.url) + u",-1," + Number(j + 1) +
                           u",'','')");
    }
  }
  return statements;
}

}  // namespace

void QeDataInit(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::Variant& Application) {
  QeGetApplicationConnString(Response, Request, Server, Application, false, u"");
  if (asp::ResponseEnded(Response)) return;
  QeDataSeed(Request, vb::CStr(com::Call(Application, u"", vb::String(kPublicQeDataConnString))));
}

void QeDataSeed(vb::Variant& Request, const vb::String& connection_string) {
  vb::Variant conn(com::CreateObject(u"Adodb.Connection"));
  com::Call(conn, u"Open", connection_string);
  // All rows or none: a half-seeded database could not be seeded again
  // without doubling what is there.
  RunInTransaction(conn, [&] {
    for (const vb::String& sql : SeedStatements(Request)) com::Call(conn, u"Execute", sql);
  });
  vb::Variant no_recordset(u"");
  QeCloseData(no_recordset, conn);
}

}  // namespace qe

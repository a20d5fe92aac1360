#include "platform/ado/ado.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/com/registry.h"

namespace ado {

void RegisterClasses() {
  auto add = [](StringView prog_id, StringView class_id, com::Factory factory) {
    com::RegisterClass({String(prog_id), String(class_id), std::move(factory)});
  };
  add(u"ADODB.Connection", u"{00000514-0000-0010-8000-00AA006D2EA4}",
      [] { return std::static_pointer_cast<com::Object>(std::make_shared<Connection>()); });
  add(u"ADODB.Recordset", u"{00000535-0000-0010-8000-00AA006D2EA4}",
      [] { return std::static_pointer_cast<com::Object>(std::make_shared<Recordset>()); });
}

}  // namespace ado

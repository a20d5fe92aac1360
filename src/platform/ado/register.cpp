#include "platform/ado/ado.h"
#include "platform/ado/adox.h"
#include "platform/ado/jro.h"
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
  add(u"ADOX.Catalog", u"{00000602-0000-0010-8000-00AA006D2EA4}",
      [] { return std::static_pointer_cast<com::Object>(std::make_shared<adox::Catalog>()); });
  add(u"ADOX.Table", u"{00000609-0000-0010-8000-00AA006D2EA4}",
      [] { return std::static_pointer_cast<com::Object>(std::make_shared<adox::Table>()); });
  add(u"ADOX.Column", u"{0000061B-0000-0010-8000-00AA006D2EA4}",
      [] { return std::static_pointer_cast<com::Object>(std::make_shared<adox::Column>()); });
  add(u"ADOX.Index", u"{0000061E-0000-0010-8000-00AA006D2EA4}",
      [] { return std::static_pointer_cast<com::Object>(std::make_shared<adox::Index>()); });
  add(u"ADOX.Key", u"{00000621-0000-0010-8000-00AA006D2EA4}",
      [] { return std::static_pointer_cast<com::Object>(std::make_shared<adox::Key>()); });
  add(u"JRO.JetEngine", u"{DE88C160-FF2C-11D1-BB6F-00C04FAE22DA}",
      [] { return std::static_pointer_cast<com::Object>(std::make_shared<JetEngine>()); });
}

}  // namespace ado

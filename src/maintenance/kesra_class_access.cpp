#include "maintenance/kesra_class_access.h"

#include "platform/com/registry.h"
#include "shell/component_classes.h"

namespace qe {

Kesra_Class_Access::Kesra_Class_Access() : m_Catalog(com::CreateObject(u"ADOX.Catalog")) { CountObject(1); }

Kesra_Class_Access::~Kesra_Class_Access() { CountObject(-1); }

const com::MemberTable<Kesra_Class_Access>& Kesra_Class_Access::Members() {
  static const com::MemberTable<Kesra_Class_Access> table{};
  return table;
}

}  // namespace qe

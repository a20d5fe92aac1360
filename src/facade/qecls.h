#pragma once
// QeCls: the façade that every page creates. Each member is declared once in
// qecls.members; the typed members below and the late-bound entries are
// generated from there.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/com/members.h"
#include "platform/com/object.h"

namespace qe {

class Kesra_Class_Access;
class Kesra_Class_Md5;
class Kesra_Class_Image;

class QeCls : public com::Object {
 public:
  QeCls();
  ~QeCls() override;

  vb::String TypeName() const override { return u"QeCls"; }
  vb::Variant Invoke(vb::StringView name, com::CallType type, com::ArgList& args) override;

  // The interface's members in slot order, with their parameters and defaults.
  static const std::vector<com::MemberInfo>& MemberList();

#include "facade/qecls_members.inc"

 private:
  std::shared_ptr<Kesra_Class_Access> m_Access;
  std::shared_ptr<Kesra_Class_Md5> m_Md5;
  std::shared_ptr<Kesra_Class_Image> m_Image;
};

// The component's public classes by ProgID ("QE.QeCls", ...), with their class ids.
void RegisterComponentClasses();

}  // namespace qe

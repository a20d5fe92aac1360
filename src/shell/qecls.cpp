#include "shell/qecls.h"

#include "common/kesra_class_md5.h"
#include "common/kesra_file_resources.h"
#include "shell/component_classes.h"

namespace qe {

QeCls::QeCls() {
  CountObject(1);
  m_Md5 = std::make_shared<Kesra_Class_Md5>();
  KesraInstallResourceDll(u"XceedZip.dll");
}
QeCls::~QeCls() { CountObject(-1); }

// The two members that forward nothing.

vb::String QeCls::CommGetVersion() { return u"04.01.01"; }

void QeCls::CommSetConn(vb::Variant&, vb::Variant&, vb::Variant&) {}

}  // namespace qe

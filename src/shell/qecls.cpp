#include "shell/qecls.h"

#include "common/kesra_file_resources.h"
#include "shell/component_classes.h"

namespace qe {

QeCls::QeCls() {
  CountObject(1);
  KesraInstallResourceDll(u"XceedZip.dll");
}
QeCls::~QeCls() { CountObject(-1); }

// The two members that forward nothing.

vb::String QeCls::CommGetVersion() { return u"04.01.01"; }

void QeCls::CommSetConn(vb::Variant&, vb::Variant&, vb::Variant&) {}

}  // namespace qe

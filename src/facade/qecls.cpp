#include "facade/qecls.h"

#include "common/kesra_class_md5.h"
#include "common/kesra_file_resources.h"
#include "common/system_title.h"
#include "maintenance/kesra_class_access.h"
#include "facade/component_classes.h"
#include "transfer/kesra_class_image.h"

namespace qe {

// A service object that cannot be created fails the creation of the façade
// with its error; no façade is handed out without all three.
QeCls::QeCls()
    : m_Access(std::make_shared<Kesra_Class_Access>()),
      m_Md5(std::make_shared<Kesra_Class_Md5>()),
      m_Image(std::make_shared<Kesra_Class_Image>()) {
  KesraInstallResourceDll(u"XceedZip.dll");
  com::CountObject(1);
}

QeCls::~QeCls() {
  m_Access.reset();
  m_Md5.reset();
  m_Image.reset();
  com::CountObject(-1);
}

// The two members that forward nothing.

vb::String QeCls::CommGetVersion() { return SystemVersion(); }

void QeCls::CommSetConn(vb::Variant&, vb::Variant&, vb::Variant&) {}

}  // namespace qe

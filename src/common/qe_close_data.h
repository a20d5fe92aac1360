#pragma once
#include "platform/vb/variant.h"

namespace qe {

// Closes and releases a page's recordset and connection; never raises.
void QeCloseData(vb::Variant& Rs, vb::Variant& Conn);

// Closes and releases a recordset or connection of the component's own when
// the scope ends, however it ends.
class ClosedAtEnd {
 public:
  explicit ClosedAtEnd(vb::Variant& object) : object_(object) {}
  ~ClosedAtEnd() {
    vb::Variant nothing_else(u"");
    QeCloseData(object_, nothing_else);
  }
  ClosedAtEnd(const ClosedAtEnd&) = delete;
  ClosedAtEnd& operator=(const ClosedAtEnd&) = delete;

 private:
  vb::Variant& object_;
};

}  // namespace qe

#include "common/qe_close_data.h"

#include "platform/com/object.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

// Every step ignores its errors and goes on with the next.
void CloseAndRelease(vb::Variant& data) {
  try {
    if (vb::CLng(com::Call(data, u"State")) == 1) com::Call(data, u"Close");
  } catch (const vb::Error&) {
  }
  if (data.IsNull() || data.IsEmpty()) return;
  bool blank;
  try {
    blank = vb::Trim(vb::CStr(com::ValueOf(data))).empty();
  } catch (const vb::Error&) {
    blank = false;  // a recordset's default member is its Fields collection
  }
  if (!blank) data = vb::Variant::Nothing();
}

}  // namespace

void QeCloseData(vb::Variant& Rs, vb::Variant& Conn) {
  CloseAndRelease(Rs);
  CloseAndRelease(Conn);
}

}  // namespace qe

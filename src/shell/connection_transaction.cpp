#include "shell/connection_transaction.h"

#include "platform/com/object.h"
#include "common/qe_close_data.h"

namespace qe {

void RunInTransaction(vb::Variant& Conn, const std::function<void()>& body) {
  try {
    com::Call(Conn, u"BeginTrans");
    body();
    com::Call(Conn, u"CommitTrans");
  } catch (const vb::Error&) {
    try {
      com::Call(Conn, u"RollbackTrans");
    } catch (const vb::Error&) {  // the transaction never began
    }
    vb::Variant no_recordset(u"");
    QeCloseData(no_recordset, Conn);
    throw;
  }
}

}  // namespace qe

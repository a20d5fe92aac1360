#include "office/qe_rights.h"

#include "common/record_values.h"
#include "office/qe_user.h"
#include "platform/asp/context.h"
#include "platform/vb/operators.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

// Which terms a keyword needs; each is worked out whether or not an earlier
// one already decides, in the order right, ID, name, record. The author term
// reads the record's username, the share terms its isshare.
struct Needs {
  bool right, id, author, share;
};

struct Terms {
  bool super = false, manager = false, own = false, shared = false, unshared = false;
};

// The terms the keyword needs; false when a getter ended the response.
bool WorkOut(vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs, Needs needs, Terms& t) {
  if (needs.right) {
    vb::Variant right = QeGetUserRight(Response, Session);
    if (asp::ResponseEnded(Response)) return false;
    t.super = vb::Equals(right, vb::Variant(u"a"));
  }
  if (needs.id) {
    vb::Variant id = QeGetUserID(Response, Session);
    if (asp::ResponseEnded(Response)) return false;
    t.manager = vb::InStr(SessionText(Session, u"manager"), u"|" + vb::CStr(id) + u"|") > 0;
  }
  if (needs.author) {
    vb::Variant name = QeGetUserName(Response, Session);
    if (asp::ResponseEnded(Response)) return false;
    t.own = vb::Equals(RecordValue(Rs, u"username"), name);
  }
  if (needs.share) {
    vb::Variant share = RecordValue(Rs, u"isshare");
    t.shared = vb::Equals(share, vb::Variant(true));
    t.unshared = vb::Equals(share, vb::Variant(false));
  }
  return true;
}

}  // namespace

bool QeCheckManagerRight(vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs, vb::String typeid_) {
  const vb::String keyword = vb::LCase(typeid_);
  Terms t;
  auto decide = [&](Needs needs) { return WorkOut(Response, Session, Rs, needs, t); };
  if (keyword == u"share") return decide({true, true, true, true}) && (t.super || t.manager || t.own || t.shared);
  if (keyword == u"noshare")
    return decide({true, true, true, true}) && (t.super || t.manager || (t.unshared && t.own));
  if (keyword == u"owner") return decide({true, false, true, false}) && (t.super || t.own);
  if (keyword == u"ownerowner") return decide({false, false, true, false}) && t.own;
  if (keyword == u"manager") return decide({true, true, false, false}) && (t.super || t.manager);
  if (keyword == u"owner_manager") return decide({true, true, true, false}) && (t.super || t.manager || t.own);
  if (keyword == u"supermanager") return decide({true, false, false, false}) && t.super;
  return keyword == u"anyone";
}

}  // namespace qe

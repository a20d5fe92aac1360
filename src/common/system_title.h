#pragma once
// The system's own texts: its name and title, shown by the error page, page
// headers, window frames, the login and about boxes, the footer and the
// spreadsheet export; the organisation named in the older page header; and
// the credit and support lines of the login and about boxes. One place, so
// that a site that changes them changes them here.
#include "platform/vb/string.h"

namespace qe {

// The short name of the system.
inline vb::String SystemName() { return u"Qe校园网络办公系统"; }
// The name followed by the bracketed owner notice.
inline vb::String SystemTitle() { return SystemName() + u"【Qe开发组 版权所有】"; }
// The version shown by the login box and answered by the façade.
inline vb::String SystemVersion() { return u"04.01.01"; }
// The organisation that the older page header names before the system.
inline vb::String OrganisationName() { return u"Qe开发组"; }

// Credit lines. The adviser credit holds its lines joined by "|".
inline vb::String ProgrammingCredit() { return u"程序设计：Qe开发组"; }
inline vb::String AdviserCredit() { return u"技术顾问：Qe用户社区|Qe测试组"; }
inline vb::String OwnerCredit() { return u"版权所有：Qe开发组"; }

// The product as the footer and the lost-file window name it, and the
// footer's two credits lines (the short one for its narrow form).
inline vb::String ProductName() { return SystemName() + u" " + SystemVersion(); }
inline vb::String ShortCredits() { return u"Qe开发组 版权所有"; }
inline vb::String LongCredits() { return ProgrammingCredit() + u"　" + OwnerCredit() + u"　技术支持：Qe用户社区"; }

// Where users find help: a web site and a mail address (the reserved
// example domain until a site sets its own).
inline vb::String SupportSite() { return u"https://qe.example.org/"; }
inline vb::String SupportMail() { return u"support@qe.example.org"; }

}  // namespace qe

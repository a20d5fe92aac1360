#pragma once
// The system's name and title, shown by the error page, page headers, window
// frames, the login and about boxes, the footer and the spreadsheet export.
#include "platform/vb/string.h"

namespace qe {

// The short name of the system.
inline vb::String SystemName() { return u"Qe校园网络办公系统"; }
// The name followed by the bracketed owner notice.
inline vb::String SystemTitle() { return SystemName() + u"【Qe开发组 版权所有】"; }

}  // namespace qe

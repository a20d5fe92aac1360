#pragma once
// The administrator's data pages: the data maintenance form,
// "/datemanager/data_manager.asp?p_FormType=n" (the form type from the
// query, the application's data type), and the operator accounts page,
// "/datemanager/user_manager.asp". Only the super manager reaches them.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kDataManagerPage[] = u"/datemanager/data_manager.asp";
inline constexpr char16_t kOperatorAccountsPage[] = u"/datemanager/user_manager.asp";

void DataManagerPage(Page& page);
void OperatorAccountsPage(Page& page);

}  // namespace host

#pragma once
// The pieces of a list page: the move to the requested page, the pager bar,
// the search bar's frame, the column select with the keyword box, the SQL
// tail that filters and sorts, and the opening tag of the page's main form.
// All return text (the move returns nothing); none writes to the response.
//
// A list page builds its SQL as its own SELECT and WHERE followed by
// KesraGetOrderString's tail, opens Rs, sets PageSize, calls KesraShowNoPage,
// writes at most PageSize rows and then KesraShowPage's bar.
//
// Values these procedures read from the request are encoded where they land
// (attributes, link queries) or quoted (SQL); what callers pass is written as
// given.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// Moves Rs to the request's Page (numeric text, rounded down; anything else
// is page 1), kept within 1 .. PageCount. A recordset without pages is not
// touched.
void KesraShowNoPage(vb::Variant& Request, vb::Variant& Rs);

// The pager bar: totals, first/previous/next/last links to the same page with
// the list's query keys (id, classid, nclassid, sclassid, grade, subject,
// type, moden, search, keyword, part, then the names of SearchRequestList,
// "|"-joined), a page box with Goto, and the keys again as hidden inputs. The
// page shown is the leading number of the request's Page ("2abc" is 2),
// within 1 .. PageCount (0 without pages). Rs is only read.
vb::String KesraShowPage(vb::Variant& Request, vb::Variant& Rs, vb::String SearchRequestList);

// The framed cell of a search bar (the attribute is spelled "boarder"): the
// form type "form" opens the form "sele", another type a form of that name
// (lower-cased), an empty one no form. An empty width is "100%".
vb::String KesraShowSearchLeft(vb::String p_FormType, vb::String p_Width, vb::String p_StyleClass);
// Closes the cell; only the type "form" (any case) closes the form too.
vb::String KesraShowSearchRight(vb::String p_FormType);

// The select "moden" of the searchable columns (p_TitleList: value|caption
// items joined by "||"; an item without caption raises 9), its first option
// by p_ShowTitleType (0, 1, 2; others none), the request's column selected,
// and the keyword box "keyword" holding the request's keyword.
vb::String KesraShowSelect(vb::Variant& Request, int16_t p_ShowTitleType, vb::String p_TitleList);

// The SQL tail. With a column (p_SortFieldList, else the request's "moden"
// lower-cased): " And [column] Like '%keyword%'  Order By [column]" and
// " Desc" for the columns of p_SortDescFieldList, dateandtime and id; the
// body column "Content" sorts as "id". Without one: " Order By " +
// p_SortDefault, or " Order By ID Desc". The keyword (p_SearchKeyword, else
// the request's; the box's placeholder counts as none) has its quotes
// doubled. A column that is not a plain name counts as none.
vb::String KesraGetOrderString(vb::Variant& Request, vb::String p_SortDefault, vb::String p_SortFieldList,
                               vb::String p_SortDescFieldList, vb::String p_SearchKeyword, vb::String p_TableName);

// The opening tag of a page's main form (post), named and identified
// "myform" unless given; the key-down script (by default: Enter does not
// submit) with its single quotes turned double, none when it is "null".
vb::String KesraShowFormLeft(vb::String p_Action, vb::String p_FormName, vb::String p_FormID,
                             vb::String p_OnKeyDownScript, vb::String p_OtherScript);

// A column name that can stand between brackets as it is: not blank, at most
// 64 characters, none of [ ] ` ! . or control characters.
bool IsPlainColumnName(vb::StringView name);

}  // namespace qe

// The page-fragment members that do more than forward.
#include "page/kesra_show_form.h"
#include "facade/qecls.h"

namespace qe {

// Pages always get the login box with its credits.
vb::String QeCls::CommShowLogin(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                                vb::String p_Content, vb::String p_ShowTitle) {
  return KesraShowLogin(Response, Request, Server, p_Content, true, p_ShowTitle);
}

}  // namespace qe

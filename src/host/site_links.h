#pragma once
// The ways through the site that the start page and the desk offer: the
// pages anyone may open, the pages of a logged-in user, and the pages only
// the super manager may use.
#include <span>

#include "host/desk_page.h"
#include "host/pages.h"

namespace host {

// Where the title bar's exit and the site's "退出登录" links lead.
inline constexpr char16_t kLogoutAddress[] = u"/comm/logout.asp";

struct SiteLink {
  const char16_t* address;
  const char16_t* text;
};

// Pages a visitor may open without logging in.
std::span<const SiteLink> OpenPages();
// Pages every logged-in user may use (the open ones come after them).
std::span<const SiteLink> UserPages();
// The data manager's forms and the operator accounts: the super manager's.
std::span<const SiteLink> SuperManagerPages();

// A list of links, each address and text HTML-encoded; `id` names the list.
vb::String LinkList(const char16_t* id, std::span<const SiteLink> links);

// The opening of one of the site's pages: the head with the title and the
// site's stylesheet, and the body with the system's title as its heading
// (left out for a dialog's small pages).
vb::String PageOpening(const vb::String& title, bool heading = true);
// The end of one of the site's pages: the way on to the start page, and to
// the desk unless the page knows nobody is logged in (the desk would only
// send the visitor to the login).
vb::String PageClosing(bool to_desk);
// The end of a page with the way to the desk, wherever the visitor came from.
inline const vb::String kPageClosing = PageClosing(true);
// The end of a dialog's small page, which the visitor leaves by closing it.
inline constexpr char16_t kDialogClosing[] = u"</body>\n</html>\n";

// Whether somebody is logged in: the Session holds the user the login left,
// and that user still stands for its account's row (a changed password, a
// deleted or unapproved account end the Session's user here; a changed right
// is taken over).
bool LoggedIn(Page& page);

// Whether the logged-in user's password is empty (the digest of "").
bool PasswordEmpty(Page& page);

// Where a page that needs a login sends a visitor who has not logged in: the
// login page, which says so and comes back to the page asked for (to the
// desk when that page would act rather than show).
void SendToLogin(Page& page);
// The query value of the login page that names the page to come back to.
inline constexpr char16_t kReturnField[] = u"p_Back";
// `wanted` when it is a path of this site ("/" and printable ASCII, no
// second "/" after the first, no backslash at all), so that the login page
// never sends anyone to another address, and names a page that only shows
// (the desk, the drive's folder, a data form, an article) with no value but
// those it shows by; "" otherwise.
vb::String ReturnPath(vb::StringView wanted);

}  // namespace host

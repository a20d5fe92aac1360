#pragma once
// Opening an address over the network (WinINet's InternetOpenUrl): the
// request is sent and the answer's head taken; the body is never read.
#include <chrono>
#include <string>

#include "platform/vb/string.h"

namespace net {

struct UrlTimeouts {
  std::chrono::milliseconds connect{10'000};
  std::chrono::milliseconds total{30'000};  // to the answer's head
};

struct UrlAnswer {
  bool answered = false;  // a server answered the request, with any status
  long status = 0;        // its status code (HTTP, or the FTP reply)
  std::string error;      // why there was no answer
};

// A GET for the address, with the user agent given and no headers of the
// caller's own, from the server and never from a cache. Redirections are
// followed. Only http, https and ftp addresses are opened (also after a
// redirection), and only public ones: every connection passes the check of
// public_address.h, directly (no proxy), so a page cannot probe this host or
// its private network. The address is sent as the bytes of its ANSI form, as
// WinINet's ANSI entry does.
UrlAnswer OpenUrl(vb::StringView address, std::string_view agent, const UrlTimeouts& timeouts = {});

}  // namespace net

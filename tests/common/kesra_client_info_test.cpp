// The client's system and browser read from its user agent, and whether a
// class is installed on the server.
#include <gtest/gtest.h>

#include "common/kesra_client_info.h"
#include "common/kesra_installed_objects.h"
#include "platform/asp/context.h"
#include "platform/com/registry.h"

namespace {

struct Reading {
  vb::String system, browser;
};

Reading Read(const vb::String& agent) {
  asp::RequestSpec request_spec;
  if (!agent.empty()) request_spec.headers = {{u"User-Agent", agent}};
  asp::Context context(std::move(request_spec));
  vb::Variant request = context.Request();
  return {qe::KesraCheckNetUserSystem(request), qe::KesraCheckNetUserBrower(request)};
}

TEST(KesraCheckNetUser, SystemAndBrowserFromTheUserAgent) {
  struct {
    const char16_t* agent;
    const char16_t* system;
    const char16_t* browser;
  } cases[] = {
      {u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)", u"Win XP", u"IE"},
      {u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.2; SV1)", u"Win 2003", u"IE"},
      {u"Mozilla/4.0 (compatible; MSIE 5.0; windows nt 5.0)", u"Win 2000", u"IE"},
      {u"Mozilla/5.0 (Windows NT 6.1; Trident/7.0; rv:11.0) like Gecko", u"Win Nt", u"其它"},
      {u"Mozilla/5.0 (Windows NT 10.0; Win64; x64) Chrome/120.0", u"Win Nt", u"其它"},
      {u"Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)", u"Win 9x", u"IE"},
      {u"Mozilla/5.0 (X11; Linux x86_64; rv:120.0) Gecko/20100101 Firefox/120.0", u"类Unix", u"其它"},
      {u"Mozilla/5.0 (X11; FreeBSD amd64)", u"类Unix", u"其它"},
      {u"Mozilla/5.0 (X11; SunOS sun4u)", u"类Unix", u"其它"},
      {u"Mozilla/5.0 (Macintosh; Intel Mac OS X 14_0) Safari/605.1.15", u"Mac", u"其它"},
      {u"", u"其它", u"其它"},
      {u"curl/8.0", u"其它", u"其它"},
  };
  for (const auto& c : cases) {
    Reading r = Read(c.agent);
    EXPECT_EQ(r.system, c.system) << vb::ToUtf8(c.agent);
    EXPECT_EQ(r.browser, c.browser) << vb::ToUtf8(c.agent);
  }
}

TEST(KesraCheckIsObjInstalled, CreatableClassesOnly) {
  vb::Variant server(u"");
  EXPECT_TRUE(qe::KesraCheckIsObjInstalled(server, u"VBScript.RegExp"));
  EXPECT_TRUE(qe::KesraCheckIsObjInstalled(server, u"vbscript.regexp"));
  EXPECT_FALSE(qe::KesraCheckIsObjInstalled(server, u"No.Such.Class"));
  EXPECT_FALSE(qe::KesraCheckIsObjInstalled(server, u""));
}

TEST(KesraCheckIsObjInstalled, FollowsRegistrationAndTrapsCreationErrors) {
  const vb::String prog_id = u"Qe.Test.InstalledProbe";
  com::RegisterClass({prog_id, u"", [] { return vb::ObjectPtr(); }});
  vb::Variant server(u"");
  EXPECT_TRUE(qe::KesraCheckIsObjInstalled(server, prog_id));
  com::RegisterClass({prog_id, u"", []() -> vb::ObjectPtr { vb::Raise(vb::kCannotCreateObject, u"broken"); }});
  EXPECT_FALSE(qe::KesraCheckIsObjInstalled(server, prog_id));
  EXPECT_TRUE(com::UnregisterClass(prog_id));
  EXPECT_FALSE(qe::KesraCheckIsObjInstalled(server, prog_id));
}

}  // namespace

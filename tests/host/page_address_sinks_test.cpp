// Every page that writes an address taken from its request into an attribute
// or a script, given addresses that would run a script there: none is
// written, and the page answers with its own text, never a server error.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "facade/qecls.h"
#include "host/file_view_pages.h"
#include "host/page_context.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"

namespace {

namespace stdfs = std::filesystem;

TEST(PageAddressSinks, NoPageWritesAnAddressThatRuns) {
  qe::RegisterComponentClasses();
  const stdfs::path site = stdfs::temp_directory_path() / ("qe-address-sinks-" + std::to_string(::getpid()));
  stdfs::remove_all(site);
  stdfs::create_directories(site);
  struct Sink {
    void (*page)(host::Page&);
    const char* path;
    const char* query;  // the address comes last
  } sinks[] = {
      {&host::FileViewPage, "/comm/kesra_FileView.asp", "FileType=Image&Url="},
      {&host::FileViewPage, "/comm/kesra_FileView.asp", "FileType=Wav&Url="},
      {&host::FileViewPage, "/comm/kesra_FileView.asp", "FileType=Mp4&Url="},
      {&host::FileViewPage, "/comm/kesra_FileView.asp", "FileType=Movie&RunSystem=rtsp&Url="},
      {&host::FileViewPage, "/comm/kesra_FileView.asp", "FileType=Movie&RunSystem=mms&Url="},
      {&host::FileViewPage, "/comm/kesra_FileView.asp", "FileType=Flash&PlayType=FullScreen&Url="},
      {&host::FileViewPage, "/comm/kesra_FileView.asp", "FileType=Flash&PlayType=Control&Url="},
      {&host::FileDownloadPage, "/comm/kesra_Download.asp", "p_Act=View&p_CurrentFile="},
      {&host::FileDownloadPage, "/comm/kesra_Download.asp", "p_Act=DownLoad&p_CurrentFile="},
      {&host::FileDownloadPage, "/comm/kesra_Download.asp", "p_CurrentFile="},
  };
  for (const char* address : {"javascript:alert(7)", "JAVASCRIPT:alert(7)", "java%09script:alert(7)",
                              "%20%01javascript:alert(7)", "javascript%26%2358;alert(7)", "vbscript:alert(7)",
                              "data:text/html,alert(7)", "%20JaVa%09ScRiPt:alert(7)"}) {
    for (const Sink& sink : sinks) {
      host::PageOptions options;
      options.site = site.string();
      options.page = sink.path;
      options.query = std::string(sink.query) + address;
      host::PageContext context(options);
      host::Page page{*context.Intrinsic(u"Request"), *context.Intrinsic(u"Response"), *context.Intrinsic(u"Server"),
                      *context.Intrinsic(u"Session"), *context.Intrinsic(u"Application")};
      std::string answer;
      try {
        sink.page(page);
        answer = context.ResponseText();
      } catch (const vb::Error& error) {
        answer = "raised " + vb::ToUtf8(error.Description());
      }
      EXPECT_EQ(answer.find("alert(7)"), std::string::npos) << sink.path << "?" << options.query << "\n" << answer;
      EXPECT_EQ(answer.find("raised"), std::string::npos) << sink.path << "?" << options.query;
    }
  }
  stdfs::remove_all(site);
}

// Every member that writes an address its caller gives into an attribute or
// a script decides on it itself: whoever calls it, a script address goes in
// as "#" and ordinary ones as given.
TEST(PageAddressSinks, NoMemberWritesAnAddressThatRuns) {
  qe::RegisterComponentClasses();
  vb::Variant qe(com::CreateObject(u"QE.QeCls"));
  host::PageContext context(host::PageOptions{});
  vb::Variant& response = *context.Intrinsic(u"Response");
  vb::Variant& session = *context.Intrinsic(u"Session");
  vb::Variant none(u"");
  using vb::String;
  const String title = u"t";
  const std::pair<const char*, std::function<vb::Variant(const String&)>> sinks[] = {
      {"CommShowPlayImage", [&](const String& a) { return com::Call(qe, u"CommShowPlayImage", a, title); }},
      {"CommShowPlayMusic", [&](const String& a) { return com::Call(qe, u"CommShowPlayMusic", a, title); }},
      {"CommShowPlayFlash", [&](const String& a) { return com::Call(qe, u"CommShowPlayFlash", a, title); }},
      {"CommShowPlayFlash control",
       [&](const String& a) { return com::Call(qe, u"CommShowPlayFlash", a, title, String(u"Control")); }},
      {"CommShowPlayMovie rtsp",
       [&](const String& a) { return com::Call(qe, u"CommShowPlayMovie", a, title, String(u"rtsp")); }},
      {"CommShowPlayMovie mms",
       [&](const String& a) { return com::Call(qe, u"CommShowPlayMovie", a, title, String(u"mms")); }},
      {"CommShowPlayMovie rtmp",
       [&](const String& a) { return com::Call(qe, u"CommShowPlayMovie", a, title, String(u"rtmp")); }},
      {"CommShowSuccess", [&](const String& a) { return com::Call(qe, u"CommShowSuccess", title, a); }},
      {"CommShowTitleTop",
       [&](const String& a) {
         return com::Call(qe, u"CommShowTitleTop", title, title, a, int16_t{1}, int16_t{0}, String(u"90%"), String());
       }},
      {"CommShowHeader",
       [&](const String& a) {
         return com::Call(qe, u"CommShowHeader", title, a, int16_t{1}, int16_t{0}, int16_t{600}, String());
       }},
      {"CommShowFormLeft", [&](const String& a) { return com::Call(qe, u"CommShowFormLeft", a); }},
      {"CommShowBox",
       [&](const String& a) {
         return com::Call(qe, u"CommShowBox", title, title, String(u"#fff"), String(u"#000"), String(u"#fff"),
                          String(u"#000"), String(u"right"), a);
       }},
      {"CommShowLoginDesktop",
       [&](const String& a) { return com::Call(qe, u"CommShowLoginDesktop", none, none, String(), title, a, title); }},
      {"CommShowTitle",
       [&](const String& a) {
         return com::Call(qe, u"CommShowTitle", none, a, int16_t{20}, int16_t{0}, int16_t{0}, title, title, int16_t{1},
                          String(), String(u"null"));
       }},
      {"CommShowTitle dialog",
       [&](const String& a) {
         return com::Call(qe, u"CommShowTitle", none, a, int16_t{20}, int16_t{800}, int16_t{600}, title, title,
                          int16_t{1}, String(), String(u"null"));
       }},
      {"CommShowEdit",
       [&](const String& a) {
         return com::Call(qe, u"CommShowEdit", response, session, none, a, int16_t{1}, String(u"anyone"), int16_t{0},
                          int16_t{0}, title, title, int16_t{1}, String(), String(u"null"));
       }},
      {"CommShowDel",
       [&](const String& a) {
         return com::Call(qe, u"CommShowDel", response, session, none, a, int16_t{1}, String(u"anyone"), title,
                          String(u"null"));
       }},
      {"CommShowAnyBar",
       [&](const String& a) {
         return com::Call(qe, u"CommShowAnyBar", response, session, none, a, String(u"anyone"), String(u"add"),
                          int16_t{0}, int16_t{0});
       }},
      {"CommShowAnyBar dialog",
       [&](const String& a) {
         return com::Call(qe, u"CommShowAnyBar", response, session, none, a, String(u"anyone"), String(u"add"));
       }},
      {"CommShowSaveMessage",
       [&](const String& a) {
         return com::Call(qe, u"CommShowSaveMessage", session, response, none, none, int16_t{1}, int16_t{0},
                          int16_t{3}, title, a, int16_t{2});
       }},
      {"CommShowTd editor page",
       [&](const String& a) {
         return com::Call(qe, u"CommShowTd", none, none, int16_t{10}, int32_t{600}, int32_t{300}, int16_t{1}, title,
                          String(u"Content"), a, int16_t{0}, String(), int16_t{2}, int16_t{1}, String(), String(),
                          String(), String(), int16_t{0}, String(), int16_t{1});
       }},
  };
  for (const char16_t* address : {u"javascript:alert(7)", u"JAVASCRIPT:alert(7)", u"java\tscript:alert(7)",
                                  u" \x01javascript:alert(7)", u"javascript&#58;alert(7)", u"vbscript:alert(7)",
                                  u"data:text/html,alert(7)"}) {
    for (const auto& [name, call] : sinks) {
      const std::string out = vb::ToUtf8(vb::CStr(com::ValueOf(call(address))));
      EXPECT_EQ(out.find("alert(7)"), std::string::npos) << name << " " << vb::ToUtf8(address) << "\n" << out;
    }
  }
  // Ordinary addresses go in as given.
  for (const auto& [name, call] : sinks) {
    const std::string out = vb::ToUtf8(vb::CStr(com::ValueOf(call(u"/up/a.jpg?b=1"))));
    EXPECT_NE(out.find("/up/a.jpg"), std::string::npos) << name << "\n" << out;
  }
}

}  // namespace

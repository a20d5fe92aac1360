// Every page that writes an address taken from its request into an attribute
// or a script, and every member that writes an address its caller gives,
// given addresses that would run a script there or leave the place they land
// in: none is written, none gets out, and the page answers with its own
// text, never a server error.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "facade/qecls.h"
#include "host/file_view_pages.h"
#include "host/page_context.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "support/html_parse.h"

namespace {

namespace stdfs = std::filesystem;
using vb::String;

// Refused wherever they land: each spells a scheme that runs.
const char16_t* const kRunningAddresses[] = {
    u"javascript:alert(7)", u"JAVASCRIPT:alert(7)", u"java\tscript:alert(7)", u" \x01javascript:alert(7)",
    u"javascript&#58;alert(7)", u"vbscript:alert(7)", u"data:text/html,alert(7)",
    // References of any length, as browsers read them.
    u"javascript&#0000000058;alert(7)", u"javascript&#x000000003a;alert(7)", u"javascript&#00000000000058alert(7)",
    u"&#x00000006A;avascript:alert(7)"};

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
                              "data:text/html,alert(7)", "%20JaVa%09ScRiPt:alert(7)",
                              "javascript%26%230000000058%3Balert(7)", "javascript%26%23x00000003a;alert(7)"}) {
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

struct MemberSink {
  const char* name;
  std::function<vb::Variant(const String&)> call;
  bool starts_address;  // the given text starts the address (else it follows the member's own folder)
};

// Each member that writes an address its caller gives, called through the
// façade with that address and plain values for the rest.
class MemberSinks : public ::testing::Test {
 protected:
  MemberSinks() {
    qe::RegisterComponentClasses();
    qe_ = vb::Variant(com::CreateObject(u"QE.QeCls"));
  }

  std::vector<MemberSink> Sinks() {
    const String title = u"t";
    vb::Variant* response = context_.Intrinsic(u"Response");
    vb::Variant* request = context_.Intrinsic(u"Request");
    vb::Variant* server = context_.Intrinsic(u"Server");
    vb::Variant* session = context_.Intrinsic(u"Session");
    vb::Variant* none = &none_;
    const vb::Variant qe = qe_;
    auto call = [qe](const char16_t* member, auto&&... arguments) {
      return com::Call(qe, member, std::forward<decltype(arguments)>(arguments)...);
    };
    return {
        {"CommShowPlayImage", [=](const String& a) { return call(u"CommShowPlayImage", a, title); }, true},
        {"CommShowPlayMusic", [=](const String& a) { return call(u"CommShowPlayMusic", a, title); }, true},
        {"CommShowPlayFlash", [=](const String& a) { return call(u"CommShowPlayFlash", a, title); }, true},
        {"CommShowPlayFlash control",
         [=](const String& a) { return call(u"CommShowPlayFlash", a, title, String(u"Control")); }, true},
        {"CommShowPlayMovie rtsp",
         [=](const String& a) { return call(u"CommShowPlayMovie", a, title, String(u"rtsp")); }, true},
        {"CommShowPlayMovie mms",
         [=](const String& a) { return call(u"CommShowPlayMovie", a, title, String(u"mms")); }, true},
        {"CommShowPlayMovie rtmp",
         [=](const String& a) { return call(u"CommShowPlayMovie", a, title, String(u"rtmp")); }, true},
        {"CommShowSuccess", [=](const String& a) { return call(u"CommShowSuccess", title, a); }, true},
        {"CommShowTitleTop",
         [=](const String& a) {
           return call(u"CommShowTitleTop", title, title, a, int16_t{1}, int16_t{0}, String(u"90%"), String());
         },
         true},
        {"CommShowHeader",
         [=](const String& a) {
           return call(u"CommShowHeader", title, a, int16_t{1}, int16_t{0}, int16_t{600}, String());
         },
         true},
        {"CommShowFormLeft", [=](const String& a) { return call(u"CommShowFormLeft", a); }, true},
        {"CommShowBox",
         [=](const String& a) {
           return call(u"CommShowBox", title, title, String(u"#fff"), String(u"#000"), String(u"#fff"),
                       String(u"#000"), String(u"right"), a);
         },
         true},
        {"CommShowLoginDesktop",
         [=](const String& a) { return call(u"CommShowLoginDesktop", *none, *none, String(), title, a, title); }, true},
        {"CommShowLogin",
         [=](const String& a) { return call(u"CommShowLogin", *response, *request, *server, title, a); }, true},
        {"CommShowTitle",
         [=](const String& a) {
           return call(u"CommShowTitle", *none, a, int16_t{20}, int16_t{0}, int16_t{0}, title, title, int16_t{1},
                       String(), String(u"null"));
         },
         true},
        {"CommShowTitle dialog",
         [=](const String& a) {
           return call(u"CommShowTitle", *none, a, int16_t{20}, int16_t{800}, int16_t{600}, title, title, int16_t{1},
                       String(), String(u"null"));
         },
         true},
        {"CommShowEdit",
         [=](const String& a) {
           return call(u"CommShowEdit", *response, *session, *none, a, int16_t{1}, String(u"anyone"), int16_t{0},
                       int16_t{0}, title, title, int16_t{1}, String(), String(u"null"));
         },
         true},
        {"CommShowEdit dialog",
         [=](const String& a) {
           return call(u"CommShowEdit", *response, *session, *none, a, int16_t{1}, String(u"anyone"), int16_t{800},
                       int16_t{600}, title, title, int16_t{1}, String(), String(u"null"));
         },
         true},
        {"CommShowDel",
         [=](const String& a) {
           return call(u"CommShowDel", *response, *session, *none, a, int16_t{1}, String(u"anyone"), title,
                       String(u"null"));
         },
         true},
        {"CommShowAnyBar",
         [=](const String& a) {
           return call(u"CommShowAnyBar", *response, *session, *none, a, String(u"anyone"), String(u"add"), int16_t{0},
                       int16_t{0});
         },
         true},
        {"CommShowAnyBar dialog",
         [=](const String& a) {
           return call(u"CommShowAnyBar", *response, *session, *none, a, String(u"anyone"), String(u"add"));
         },
         true},
        {"CommShowSaveMessage",
         [=](const String& a) {
           return call(u"CommShowSaveMessage", *session, *response, *none, *none, int16_t{1}, int16_t{0}, int16_t{3},
                       title, a, int16_t{2});
         },
         true},
        {"CommShowArticleSavePreview",
         [=](const String& a) { return call(u"CommShowArticleSavePreview", int16_t{2}, a); }, true},
        {"CommShowTd editor page",
         [=](const String& a) {
           return call(u"CommShowTd", *none, *none, int16_t{10}, int32_t{600}, int32_t{300}, int16_t{1}, title,
                       String(u"Content"), a, int16_t{0}, String(), int16_t{2}, int16_t{1}, String(), String(),
                       String(), String(), int16_t{0}, String(), int16_t{1});
         },
         true},
        {"CommShowMainTitle", [=](const String& a) { return call(u"CommShowMainTitle", a, title, title); }, false},
    };
  }

  static std::string Text(const vb::Variant& value) { return vb::ToUtf8(vb::CStr(com::ValueOf(value))); }

  host::PageContext context_{host::PageOptions{}};
  vb::Variant qe_;
  vb::Variant none_{u""};
};

// Every member decides on the address itself: whoever calls it, a script
// address goes in as "#" and ordinary ones as given.
TEST_F(MemberSinks, NoMemberWritesAnAddressThatRuns) {
  for (const MemberSink& sink : Sinks()) {
    if (sink.starts_address)
      for (const char16_t* address : kRunningAddresses) {
        const std::string out = Text(sink.call(address));
        EXPECT_EQ(out.find("alert(7)"), std::string::npos) << sink.name << " " << vb::ToUtf8(address) << "\n" << out;
      }
    const std::string out = Text(sink.call(u"/up/a.jpg?b=1"));
    EXPECT_NE(out.find("/up/a.jpg?b=1"), std::string::npos) << sink.name << "\n" << out;
  }
}

// ---- markup read as a browser reads it ----

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

void AppendUtf8(std::string& out, unsigned code) { out += vb::ToUtf8(String(1, static_cast<char16_t>(code))); }

// A script with the contents of its string literals taken out, so that two
// scripts that differ only in what their strings hold read the same; the
// values of those strings (escapes undone) go to `strings`. A string that
// a line break or the end cuts short leaves a mark.
std::string ScriptShape(const std::string& script, std::vector<std::string>& strings) {
  std::string shape;
  for (size_t i = 0; i < script.size(); ++i) {
    const char c = script[i];
    if (c != '\'' && c != '"') {
      shape += c;
      continue;
    }
    std::string value;
    size_t j = i + 1;
    for (; j < script.size() && script[j] != c && script[j] != '\n' && script[j] != '\r'; ++j) {
      if (script[j] != '\\' || j + 1 == script.size()) {
        value += script[j];
        continue;
      }
      const char e = script[++j];
      if (e == 'n') value += '\n';
      else if (e == 'r') value += '\r';
      else if (e == 't') value += '\t';
      else if (e == 'u' && j + 4 < script.size() && std::all_of(&script[j + 1], &script[j + 5], IsHex)) {
        AppendUtf8(value, static_cast<unsigned>(std::stoul(script.substr(j + 1, 4), nullptr, 16)));
        j += 4;
      } else value += e;
    }
    strings.push_back(value);
    shape += j < script.size() && script[j] == c ? "''" : "<cut string>";
    i = j;
  }
  return shape;
}

// A style with what its url()s hold taken out; their values (CSS escapes
// undone) go to `strings`.
std::string StyleShape(const std::string& style, std::vector<std::string>& strings) {
  std::string shape;
  for (size_t i = 0; i < style.size(); ++i) {
    shape += style[i];
    if (style.compare(i, 4, "url(") != 0) continue;
    shape += "rl()";
    std::string value;
    size_t j = i + 4;
    for (; j < style.size() && style[j] != ')'; ++j) {
      if (style[j] != '\\') {
        value += style[j];
        continue;
      }
      size_t k = j + 1;
      while (k < style.size() && k < j + 7 && IsHex(style[k])) ++k;
      if (k == j + 1) {  // an escaped character that is no hex digit stands for itself
        if (k < style.size()) value += style[++j];
        continue;
      }
      AppendUtf8(value, static_cast<unsigned>(std::stoul(style.substr(j + 1, k - j - 1), nullptr, 16)));
      j = k < style.size() && style[k] == ' ' ? k : k - 1;
    }
    strings.push_back(value);
    i = j;
  }
  return shape;
}

struct PageShape {
  std::vector<std::string> shape;   // each element: its tag, its attributes' names, its scripts' shapes
  std::vector<std::string> values;  // attribute values and script strings as a browser reads them
};

PageShape ShapeOf(const std::string& html) {
  PageShape page;
  const qe_test::ParsedHtml parsed(html);
  for (const qe_test::HtmlElement& e : parsed.Elements()) {
    std::string line = e.tag;
    for (const auto& [name, value] : e.attributes) {
      line += " " + name;
      page.values.push_back(value);
      const bool script = name.compare(0, 2, "on") == 0 || value.compare(0, 11, "javascript:") == 0;
      if (script) line += "=" + ScriptShape(value, page.values);
      if (name == "style") line += "=" + StyleShape(value, page.values);
    }
    if (e.tag == "script") line += " " + ScriptShape(e.text, page.values);
    page.shape.push_back(line);
  }
  return page;
}

// Addresses no scheme makes run, which would leave the attribute, the
// script string or the url() they are written in. Each member writes each
// of them where it writes any address, and a browser reads there the
// address as given and nothing more.
TEST_F(MemberSinks, NoAddressLeavesWhereItIsWritten) {
  const String ordinary = u"/up/a.jpg?b=1&c=2";
  const char16_t* const breakouts[] = {
      u"x' onerror='alert(7)",     u"x\" onerror=\"alert(7)",      u"x'><img src=x onerror=alert(7)>",
      u"x\"><script>alert(7)</script>", u"x');alert(7);//",        u"x\");alert(7);//",
      u"x\\');alert(7);//",        u"x&#39;);alert(7);//",         u"x&#00000039);alert(7);//",
      u"x&apos;);alert(7);//",     u"x&quot;);alert(7);//",        u"x\nalert(7)//",
      u"x</script><script>alert(7)</script>", u"x);(y", u"x)'\"\\ ;",
  };
  for (const MemberSink& sink : Sinks()) {
    const PageShape expected = ShapeOf(Text(sink.call(ordinary)));
    for (const char16_t* address : breakouts) {
      const std::string out = Text(sink.call(address));
      const PageShape got = ShapeOf(out);
      EXPECT_EQ(got.shape, expected.shape) << sink.name << " " << vb::ToUtf8(address) << "\n" << out;
      // In a plain attribute the browser reads the references an address
      // holds; elsewhere it reads them as they stand.
      const std::string given = vb::ToUtf8(address);
      if (given.find('&') != std::string::npos) continue;
      EXPECT_TRUE(std::any_of(got.values.begin(), got.values.end(),
                              [&](const std::string& v) { return v.find(given) != std::string::npos; }))
          << sink.name << " does not read back " << given << "\n" << out;
    }
  }
}

}  // namespace

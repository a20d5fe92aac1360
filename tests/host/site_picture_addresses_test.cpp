// The list of the site's pictures held to what the component writes: every
// built member of QeCls that writes markup is called with ordinary arguments
// (and once more for each value of a parameter that picks other pictures),
// the picture addresses of what it returns and writes are collected, and
// each must be a picture the host serves. A member that lands with a new
// picture fails here until its picture is listed (data/pictures/README.md).
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "common/kesra_file_paths.h"
#include "host/call_command.h"
#include "host/page_context.h"
#include "host/site_pictures.h"
#include "platform/com/members.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"
#include "facade/qecls.h"
#include "support/temp_site.h"

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Whether the address that starts at `at` stands where a browser loads a
// picture: the source of an img or input element, a background attribute, a
// style's url(), or a picture argument of the rollover scripts. Quotes and
// the backslashes of quotes inside script strings are looked through.
bool NamesPicture(const std::string& markup, size_t at) {
  std::string before = Lower(markup.substr(at > 400 ? at - 400 : 0, at > 400 ? 400 : at));
  size_t end = before.find_last_not_of("'\"\\ ");
  before.erase(end == std::string::npos ? 0 : end + 1);
  if (before.ends_with("url(")) return true;
  if (before.ends_with("background=")) return true;
  if (before.ends_with("src=")) {
    size_t tag = before.rfind('<');
    if (tag == std::string::npos) return false;
    std::string name = before.substr(tag + 1, before.find_first_of(" \t\r\n/>", tag + 1) - tag - 1);
    return name == "img" || name == "input" || name == "image";
  }
  for (const char* call : {"kesraswapimage(", "kesrapreloadimages("}) {
    size_t open = before.rfind(call);
    if (open != std::string::npos && before.find(')', open) == std::string::npos) return true;
  }
  return false;
}

// The relative picture addresses ("../comm/image/x.asp") of a page's markup.
std::set<std::string> PictureAddresses(const std::string& markup) {
  static const std::regex kAddress(R"((\.\./)+[A-Za-z0-9_\-./]*[A-Za-z0-9_\-]\.[A-Za-z0-9]+)");
  std::set<std::string> found;
  for (auto it = std::sregex_iterator(markup.begin(), markup.end(), kAddress); it != std::sregex_iterator(); ++it)
    if (NamesPicture(markup, static_cast<size_t>(it->position()))) found.insert(it->str());
  return found;
}

TEST(SitePictureAddresses, OnlyAddressesWherePicturesLoadAreCollected) {
  struct Case {
    const char* markup;
    std::set<std::string> addresses;
  };
  const Case kCases[] = {
      {"<img height=23 src='../Comm/Image/A.asp' width=24>", {"../Comm/Image/A.asp"}},
      {"<Img Name='x' border='0' Src='../comm/image/button/b_off.asp' Align='middle'>", {"../comm/image/button/b_off.asp"}},
      {R"(+'<tr><td><img src=\"../comm/image/T.asp\"></td>')", {"../comm/image/T.asp"}},
      {"<img src=../comm/image/fileswt/doc.asp border=0>", {"../comm/image/fileswt/doc.asp"}},
      {"<input type='image' src='../comm/image/button/s.asp' style='width:58px'>", {"../comm/image/button/s.asp"}},
      {"<td background=../comm/image/title/main_5.asp nowrap>", {"../comm/image/title/main_5.asp"}},
      {"<table background='../Comm/Image/Bg.asp' border=0>", {"../Comm/Image/Bg.asp"}},
      {"style=\"background-image: URL(../comm/image/div/div_4.asp);\"", {"../comm/image/div/div_4.asp"}},
      {"a{background: url('../comm/image/tab.asp') left top}", {"../comm/image/tab.asp"}},
      {"onmouseover=KesraSwapImage('close','','../Comm/Image/C2.asp',1)", {"../Comm/Image/C2.asp"}},
      {"onload=KesraPreloadImages('../Comm/Image/A2.asp','../Comm/Image/B2.asp')",
       {"../Comm/Image/A2.asp", "../Comm/Image/B2.asp"}},
      // Pages, scripts and frames are not pictures.
      {"<iframe name=x src='../comm/comm_KesraCloseWindowCurrent.asp'></iframe>", {}},
      {"<script src='../comm/kesra_PopupClass.asp'></script>", {}},
      {"<a href='../welcome/welcome.asp'><img src='../comm/image/q.asp'></a>", {"../comm/image/q.asp"}},
      {"location.href='../comm/logout.asp';KesraSwapImgRestore()", {}},
      {"KesraSwapImage('a','','../x/on.asp',1);window.open('../x/page.asp')", {"../x/on.asp"}},
      {"<img src='caller.asp'><img src='/abs/x.asp'>", {}},
  };
  for (const Case& c : kCases) EXPECT_EQ(PictureAddresses(c.markup), c.addresses) << c.markup;
}

// ---- calling every built member ----

constexpr char kSuperManager[] = "1|admin|管理员|办公室|a|20240101000000|E10ADC3949BA59ABBE56E057F20F883E";

// Values of parameters that decide which pictures a member names: a member
// with such a parameter is called once more for each value.
std::map<std::u16string, std::vector<std::string>> BranchValues() {
  std::vector<std::string> extensions;
  std::string list = vb::ToUtf8(qe::kFileIconList);
  for (size_t at = 1; at < list.size();) {
    size_t bar = list.find('|', at);
    extensions.push_back(list.substr(at, bar - at));
    at = bar + 1;
  }
  extensions.push_back("DOC");  // the address keeps the case it was given
  extensions.push_back("none-such");
  return {
      {u"p_fileext", extensions},
      {u"p_icontype", {"big", "small"}},
      {u"p_titleadd", {"close print", "closeDialog print"}},
      {u"p_closeparent", {"True"}},
      {u"p_searchpath", {"/"}},  // the site root, which holds folders
      {u"p_runsystem", {"rtsp", "mms", "rtmp"}},
      {u"p_playtype", {"Control", "FullScreen"}},
  };
}

// A text each kind of parameter takes without complaint; a text parameter
// with a default takes that (an extension such as "asp", a colour, a style).
std::string Ordinary(const com::ParamInfo& p, bool blank) {
  switch (p.type) {
    case vb::vbBoolean: return blank ? "False" : "True";
    case vb::vbDate: return "2024-05-06";
    case vb::vbString:
      if (!blank && p.has_default && p.default_value.IsString() && !vb::CStr(p.default_value).empty())
        return vb::ToUtf8(vb::CStr(p.default_value));
      return blank ? "" : "1";
    default: return blank ? "0" : "1";
  }
}

struct Call {
  std::vector<std::string> args;
  std::string why;
};

// The argument lists a member is called with: its required parameters only,
// every parameter given, every parameter blank, and one list for each
// combination of the values of its branch parameters.
std::vector<Call> CallsOf(const com::MemberInfo& member, host::PageContext& page) {
  static const auto kBranches = BranchValues();
  std::vector<const com::ParamInfo*> texts;  // the parameters `qe call` takes from its texts
  for (const auto& p : member.params)
    if (!page.Intrinsic(p.name) && !vb::EqualsNoCase(p.name, u"Conn") && !vb::EqualsNoCase(p.name, u"Rs"))
      texts.push_back(&p);
  std::vector<Call> calls(3);
  calls[0].why = "required only";
  calls[1].why = "every parameter";
  calls[2].why = "every parameter blank";
  for (const com::ParamInfo* p : texts) {
    calls[0].args.push_back(p->optional ? "-" : Ordinary(*p, false));
    calls[1].args.push_back(Ordinary(*p, false));
    calls[2].args.push_back(Ordinary(*p, true));
  }
  std::vector<Call> branches;
  for (size_t i = 0; i < texts.size(); ++i) {
    auto branch = kBranches.find(vb::LCase(texts[i]->name));
    if (branch == kBranches.end()) continue;
    if (branches.empty()) branches.push_back(calls[1]), branches.back().why.clear();
    std::vector<Call> combined;
    for (const Call& before : branches) {
      for (const std::string& value : branch->second) {
        Call call = before;
        call.args[i] = value;
        call.why += (call.why.empty() ? "" : ", ") + vb::ToUtf8(texts[i]->name) + "=" + value;
        combined.push_back(std::move(call));
      }
    }
    branches = std::move(combined);
  }
  calls.insert(calls.end(), branches.begin(), branches.end());
  return calls;
}

TEST(SitePictureAddresses, EveryPictureABuiltMemberNamesIsServed) {
  qe_test::TempSite site;
  host::PageOptions options;
  options.site = site.SiteFolder().string();
  options.session = {{"UserInfo", kSuperManager}};
  std::map<std::string, std::string> named_by;  // address -> the first call that wrote it
  size_t calls_made = 0, members_built = 0;
  for (const com::MemberInfo& member : qe::QeCls::MemberList()) {
    if (!member.built) continue;
    ++members_built;
    host::PageContext probe(options);
    for (const Call& call : CallsOf(member, probe)) {
      host::PageContext page(options);
      std::string markup;
      try {
        vb::Variant result = com::ValueOf(host::CallMember(page, member.name, call.args));
        if (result.IsString()) markup = vb::ToUtf8(vb::CStr(result));
      } catch (const vb::Error&) {
        // Ordinary arguments that this member refuses: what it wrote still counts.
      }
      ++calls_made;
      markup += page.ResponseText();
      for (const std::string& address : PictureAddresses(markup))
        named_by.emplace(address, vb::ToUtf8(member.name) + " (" + call.why + ")");
    }
  }
  ASSERT_GT(members_built, 0u);
  ASSERT_GT(calls_made, members_built * 3 - 1);
  for (const auto& [address, by] : named_by) {
    std::string path = address;
    while (path.starts_with("../")) path.erase(0, 3);
    EXPECT_TRUE(host::FindSitePicture(vb::FromUtf8("/" + path)))
        << address << ", written by " << by << ", has no picture: add it to data/pictures/pictures.list";
  }
  // The collection itself works: the error page's buttons and the icons of
  // the list pages are among what was found.
  for (const char* known : {"../Comm/Image/Kesra_Error_ButtonReturn1.asp", "../Comm/Image/Kesra_Error_ButtonClose2.asp",
                            "../comm/image/fileswt1/xls.asp", "../comm/image/fileswt/unknown.asp",
                            "../comm/image/fileswt/DOC.asp", "../comm/image/Kesra_TipText_LeftBottom2.asp",
                            "../comm/image/kesra_folder_close.asp"})
    EXPECT_TRUE(named_by.count(known)) << known << " was not collected";
}

}  // namespace

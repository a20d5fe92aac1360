// Every script element and every inline handler of every client-script
// member's output, with defaults and edge arguments, is JavaScript that node
// can compile (`node --check`), each element on its own as a browser takes it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "page/client_script_run.h"
#include "page/kesra_script_window.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/information.h"
#include "facade/qecls.h"

namespace {

namespace stdfs = std::filesystem;

struct Output {
  std::string label;
  vb::String text;
};

// The inline handlers (on...="...") of the markup outside script elements,
// also where no blank parts them from the attribute before.
std::vector<std::string> Handlers(const std::string& html) {
  std::string markup = std::regex_replace(html, std::regex("<script[^>]*>[\\s\\S]*?</script>", std::regex::icase), "");
  std::vector<std::string> handlers;
  std::regex handler("[\\s\"]on[a-z]+=\"([^\"]*)\"", std::regex::icase);
  for (auto it = std::sregex_iterator(markup.begin(), markup.end(), handler); it != std::sregex_iterator(); ++it)
    handlers.push_back((*it)[1]);
  return handlers;
}

// The code of each script element (src-less) on its own.
std::vector<std::string> ScriptElements(const vb::String& html) {
  std::vector<std::string> elements;
  std::string text = vb::ToUtf8(html);
  std::regex element("<script([^>]*)>([\\s\\S]*?)</script>", std::regex::icase);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), element); it != std::sregex_iterator(); ++it)
    if ((*it)[1].str().find("src=") == std::string::npos) elements.push_back((*it)[2]);
  return elements;
}

std::vector<Output> AllOutputs() {
  auto qe = vb::Variant(std::make_shared<qe::QeCls>());
  asp::Context context(asp::RequestSpec{});
  vb::Variant request = context.Request();
  std::vector<Output> outputs;
  auto call = [&](const std::string& label, const std::function<vb::Variant()>& f) {
    outputs.push_back({label, vb::CStr(f())});
  };
  for (const char16_t* member :
       {u"CommScriptH5FullScreen", u"CommScriptNoInFrame", u"CommScriptNoInTop", u"CommScriptImage",
        u"CommScriptOpenWindow", u"CommScriptPopSelect", u"CommScriptPopWindow", u"CommScriptOnKeyDownDefault",
        u"CommScriptListMenu", u"CommScriptListMenuMove", u"CommScriptShowToolTipText", u"CommScriptShowMenu",
        u"CommScriptScrollWindow", u"CommShowScrollWindowTitle", u"CommScriptCheck", u"CommScriptCheckPostCard",
        u"CommScriptShowDateAndTime", u"CommScriptShowProcessBar", u"CommAjaxGet", u"CommAjaxPost",
        u"CommShowDialogFrameScript", u"CommScriptSwapImage", u"CommShowUbbEditJs", u"CommShowUbbEdit"})
    call(vb::ToUtf8(member), [&] { return com::Call(qe, member); });
  call("CommScriptMouse", [&] { return com::Call(qe, u"CommScriptMouse", request); });
  for (vb::Variant left : {vb::Variant(int16_t{0}), vb::Variant(), vb::Variant(u"-12"), vb::Variant::Null()})
    call("CommScriptScrollWindowFollow " + vb::ToUtf8(vb::TypeName(left)),
         [&] { return com::Call(qe, u"CommScriptScrollWindowFollow", left); });
  for (const char16_t* rules :
       {u"", u"Title|请输入标题|50|标题太长", u"editor|a|10|b$editor2|c|5|d$EditorTitle|e|f|g$PassWord2|h|PassWord|i",
        u"Title|a$", u"a|b|1e3|c", u"a|b|&H10|c", u"a|b| 7 |c", u"Title", u"a|b|-1|c"})
    call("CommScriptCheckForm " + vb::ToUtf8(rules), [&] { return com::Call(qe, u"CommScriptCheckForm", rules); });
  call("CommScriptShowDateAndTime statements",
       [&] { return com::Call(qe, u"CommScriptShowDateAndTime", u"window.status='x';"); });
  call("CommShowDialogFrame", [&] { return com::Call(qe, u"CommShowDialogFrame", 600, 400); });
  call("CommShowDialogFrame edge", [&] { return com::Call(qe, u"CommShowDialogFrame", 1, -32743, true, false, u"x y"); });
  call("CommShowDialogDivFrame", [&] { return com::Call(qe, u"CommShowDialogDivFrame", 600, 400); });
  call("CommShowDialogDivFrame edge",
       [&] { return com::Call(qe, u"CommShowDialogDivFrame", 100, 100, true, false, u"divDialogUserList"); });
  for (const char16_t* run_system : {u"rtsp", u"mms", u"rtmp", u""})
    call("CommShowPlayMovie " + vb::ToUtf8(run_system),
         [&] { return com::Call(qe, u"CommShowPlayMovie", u"/a/b.rm", u"t", run_system); });
  call("CommShowPlayMusic", [&] { return com::Call(qe, u"CommShowPlayMusic", u"/a/b.mp3", u"t"); });
  for (const char16_t* play_type : {u"Control", u"FullScreen"})
    call("CommShowPlayFlash " + vb::ToUtf8(play_type),
         [&] { return com::Call(qe, u"CommShowPlayFlash", u"/a/b.swf", u"t", play_type); });
  call("CommShowPlayImage", [&] { return com::Call(qe, u"CommShowPlayImage", u"/a/b.jpg", u"t"); });
  for (int16_t set : {1, 5}) call("CommShowQpicEdit", [&] { return com::Call(qe, u"CommShowQpicEdit", set); });
  for (bool move : {false, true})
    for (bool expand : {false, true})
      call("KesraScriptFloaterToggle", [&] { return vb::Variant(qe::KesraScriptFloaterToggle(move, expand)); });
  return outputs;
}

TEST(ClientScriptSyntax, EveryScriptElementAndHandlerCompiles) {
  SKIP_WITHOUT_NODE();
  std::string pattern = (stdfs::temp_directory_path() / "qe-syntax-XXXXXX").string();
  ASSERT_TRUE(::mkdtemp(pattern.data()));
  const stdfs::path folder = pattern;
  std::vector<std::string> labels;
  size_t handlers = 0;
  for (const Output& output : AllOutputs()) {
    std::vector<std::string> pieces = ScriptElements(output.text);
    for (const std::string& handler : Handlers(vb::ToUtf8(output.text))) {
      pieces.push_back("function handler(event){" + handler + "\n}");
      ++handlers;
    }
    for (const std::string& piece : pieces) {
      char name[32];
      std::snprintf(name, sizeof name, "%04zu.js", labels.size());
      std::ofstream(folder / name) << piece;
      labels.push_back(output.label);
    }
  }
  EXPECT_GE(labels.size(), 50u);
  EXPECT_GE(handlers, 4u);
  // One shell runs node --check on every file and names the ones it refuses.
  std::string command = "cd '" + folder.string() +
                        "' && for f in *.js; do node --check \"$f\" > \"$f.err\" 2>&1 || echo \"$f\"; done";
  std::string refused;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) refused += buffer;
    ::pclose(pipe);
  }
  std::istringstream names(refused);
  for (std::string file; std::getline(names, file);) {
    std::ifstream err(folder / (file + ".err")), code(folder / file);
    std::stringstream why, text;
    why << err.rdbuf();
    text << code.rdbuf();
    ADD_FAILURE() << labels[std::stoul(file)] << ":\n" << why.str() << "\n" << text.str();
  }
  stdfs::remove_all(folder);
}

}  // namespace

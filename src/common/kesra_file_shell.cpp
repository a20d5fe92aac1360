#include "common/kesra_file_shell.h"

#include "common/kesra_file_operations.h"
#include "platform/net/open_url.h"
#include "platform/sys/shell_execute.h"
#include "platform/vb/strings.h"

namespace qe {

namespace {

constexpr char16_t kHomePage[] = u"http://localhost/";
constexpr char16_t kFeedbackAddress[] = u"webmaster@localhost";
constexpr char16_t kMessageTitle[] = u"Qe";

}  // namespace

void KesraShellOpen(vb::String p_Type, vb::String p_Target, uint8_t& p_Flag, vb::String p_Other) {
  vb::String type = vb::UCase(vb::Trim(p_Type));
  if (type == u"WWW") {
    sys::ShellExecute(u"OPEN", kHomePage);
  } else if (type == u"EMAIL") {
    sys::ShellExecute(u"OPEN", u"MAILTO:" + vb::String(kFeedbackAddress) + u"?subject=意见与建议");
  } else if (type == u"FILE") {
    vb::String beside_component = sys::ComponentFolder() + u"\\" + p_Target;
    if (KesraFileExist(beside_component, 0)) {
      sys::ShellExecute(u"OPEN", beside_component);
    } else if (KesraFileExist(p_Target, 0)) {
      sys::ShellExecute(u"OPEN", p_Target);
    } else {
      sys::LogEvent(kMessageTitle, p_Other);
    }
  } else if (type == u"FOLDER") {
    if (!KesraFolderExist(p_Target)) {
      sys::LogEvent(kMessageTitle, p_Other);
    } else {
      sys::ShellExecute(p_Flag == 1 ? u"EXPLORE" : u"OPEN", p_Target);
    }
  }
}

bool KesraOpenUrl(vb::String p_Url) { return net::OpenUrl(p_Url, "http").answered; }

}  // namespace qe

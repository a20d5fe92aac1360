#include "host/call_command.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

#include "host/json_argument.h"
#include "host/page_context.h"
#include "platform/com/members.h"
#include "platform/com/registry.h"
#include "platform/asp/context.h"
#include "shell/qe_application_data.h"
#include "facade/qecls.h"

namespace host {
namespace {

void PrintHelp() {
  std::printf(
      "usage: qe call [--site DIR] [--page /VIRTUAL/PATH.asp] [--method M] [--query QS]\n"
      "               [--form BODY] [--body FILE] [--header 'Name: value']... [--cookie NAME=VALUE]...\n"
      "               [--session NAME=VALUE]... [--application NAME=VALUE]... [--response]\n"
      "               [--json] [--conn] MEMBER [ARG]...\n"
      "       qe call --list\n"
      "Each ARG is converted to the member's parameter type; a lone \"-\" leaves an optional\n"
      "parameter out, and \"\\-\" passes the text \"-\" (an ARG made of backslashes and a last \"-\"\n"
      "loses its first backslash: \"\\\\-\" passes \"\\-\"; every other ARG is passed as written).\n"
      "With --json, an ARG for a parameter declared As Variant is JSON: numbers as VB literals\n"
      "(Integer, Long, else Double), strings, true/false, null as Null, an array of arrays as a\n"
      "two-dimensional array (lower bounds 0, first index the row, short rows padded with Empty).\n"
      "Request, Response, Server, Session and Application come from the options; Conn and Rs\n"
      "receive an empty text, or with --conn Conn a connection open on the site's main database.\n");
}

// A command-line argument as the member receives it: a lone "-" is an
// omitted argument; the text "-" is written "\-", and any run of backslashes
// before a last "-" loses one, so that every text can be passed.
void PushArgument(com::ArgList& args, const std::string& text) {
  if (text == "-") {
    args.PushMissing();
    return;
  }
  bool escaped_dash = text.size() >= 2 && text.back() == '-' && text.find_first_not_of('\\') == text.size() - 1;
  args.PushValue(vb::Variant(vb::FromUtf8(escaped_dash ? text.substr(1) : text)));
}

std::pair<std::string, std::string> SplitPair(const std::string& text, char separator) {
  auto at = text.find(separator);
  if (at == std::string::npos) return {text, ""};
  std::string value = text.substr(at + 1);
  if (separator == ':' && !value.empty() && value[0] == ' ') value.erase(0, 1);
  return {text.substr(0, at), value};
}

int ListMembers() {
  for (const auto& m : qe::QeCls::MemberList()) std::printf("%s\n", vb::ToUtf8(com::DescribeMember(m)).c_str());
  return 0;
}

}  // namespace

// A connection open on the site's main database, through the application's
// connection string.
static vb::Variant MainConnection(PageContext& page) {
  vb::Variant& response = *page.Intrinsic(u"Response");
  vb::Variant& application = *page.Intrinsic(u"Application");
  qe::QeGetApplicationConnString(response, *page.Intrinsic(u"Request"), *page.Intrinsic(u"Server"), application,
                                 false, u"");
  if (asp::ResponseEnded(response)) vb::Raise(vb::kInvalidProcedureCall, u"the site has no connection string");
  vb::Variant conn(com::CreateObject(u"Adodb.Connection"));
  com::Call(conn, u"Open", com::Call(application, u"", vb::String(qe::kPublicQeDataConnString)));
  return conn;
}

vb::Variant CallMember(PageContext& page, vb::StringView member, const std::vector<std::string>& args,
                       bool json, bool open_conn) {
  qe::RegisterComponentClasses();
  auto facade = com::CreateObject(u"QE.QeCls");

  // The member's declared parameters decide which arguments come from the
  // page and which from the texts; an unknown member gets them all as given
  // and fails with 438.
  const com::MemberInfo* info = nullptr;
  for (const auto& m : qe::QeCls::MemberList())
    if (vb::EqualsNoCase(m.name, member)) info = &m;

  com::ArgList list;
  std::deque<vb::Variant> page_data;
  size_t next = 0;
  if (info) {
    for (const auto& p : info->params) {
      if (vb::Variant* intrinsic = page.Intrinsic(p.name)) {
        list.PushRef(*intrinsic);
      } else if (vb::EqualsNoCase(p.name, u"Conn") || vb::EqualsNoCase(p.name, u"Rs")) {
        if (open_conn && vb::EqualsNoCase(p.name, u"Conn")) page_data.push_back(MainConnection(page));
        else page_data.emplace_back(vb::String());
        list.PushRef(page_data.back());
      } else if (next < args.size()) {
        const std::string& text = args[next++];
        if (json && p.type == vb::vbVariant && text != "-") list.PushValue(JsonArgument(text));
        else PushArgument(list, text);
      }
    }
  }
  for (; next < args.size(); ++next) PushArgument(list, args[next]);
  return facade->Invoke(vb::String(member), com::CallType::Get, list);
}

int RunCall(int argc, char** argv) {
  PageOptions options;
  bool show_response = false, json = false, open_conn = false;
  int i = 0;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    std::string opt = argv[i];
    if (opt == "--list") return ListMembers();
    if (opt == "--help") {
      PrintHelp();
      return 0;
    }
    if (opt == "--response") {
      show_response = true;
      continue;
    }
    if (opt == "--json") {
      json = true;
      continue;
    }
    if (opt == "--conn") {
      open_conn = true;
      continue;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "error: %s needs a value\n", opt.c_str());
      return 2;
    }
    std::string value = argv[++i];
    if (opt == "--site") options.site = value;
    else if (opt == "--page") options.page = value;
    else if (opt == "--method") options.method = value;
    else if (opt == "--query") options.query = value;
    else if (opt == "--form") options.form = value;
    else if (opt == "--body") options.body_file = value;
    else if (opt == "--header") options.headers.push_back(SplitPair(value, ':'));
    else if (opt == "--cookie") options.cookies.push_back(SplitPair(value, '='));
    else if (opt == "--session") options.session.push_back(SplitPair(value, '='));
    else if (opt == "--application") options.application.push_back(SplitPair(value, '='));
    else {
      std::fprintf(stderr, "error: unknown option %s\n", opt.c_str());
      return 2;
    }
  }
  if (i >= argc) {
    PrintHelp();
    return 2;
  }
  vb::String member = vb::FromUtf8(argv[i++]);

  try {
    std::vector<std::string> texts(argv + i, argv + argc);
    PageContext page(options);
    vb::Variant result = CallMember(page, member, texts, json, open_conn);
    // An empty text prints nothing, as a page that writes it shows nothing.
    if (!result.IsEmpty()) {
      std::string text = vb::ToUtf8(vb::CStr(com::ValueOf(result)));
      if (!text.empty()) std::printf("%s\n", text.c_str());
    }
    if (show_response) {
      const std::string response = page.ResponseText();
      std::fwrite(response.data(), 1, response.size(), stdout);
    }
    return 0;
  } catch (const vb::Error& e) {
    std::fprintf(stderr, "error %d: %s\n", e.Number(), vb::ToUtf8(e.Description()).c_str());
    return 1;
  }
}

}  // namespace host

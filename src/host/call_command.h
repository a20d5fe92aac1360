#pragma once
// `qe call [options] MEMBER [ARG]...`: one member of QeCls through late binding.
#include <string>
#include <vector>

#include "host/page_context.h"
#include "platform/vb/variant.h"

namespace host {

int RunCall(int argc, char** argv);

// Calls `member` (any letter case) on a new QeCls through late binding:
// parameters named after the intrinsic objects get the page's, Conn and Rs an
// empty text, the others the texts of `args` in order, read as `qe call` reads
// its arguments ("-" leaves an optional one out, "\\-" is the text "-"); with
// `json`, those for parameters declared As Variant are read as JSON
// (JsonArgument); with `open_conn`, Conn is a connection open on the site's
// main database (the application's connection string). The member's result;
// its run-time error is raised.
vb::Variant CallMember(PageContext& page, vb::StringView member, const std::vector<std::string>& args,
                       bool json = false, bool open_conn = false);

}  // namespace host

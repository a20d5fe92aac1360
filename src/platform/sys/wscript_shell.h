#pragma once
// "WScript.Shell": Run(line, style, wait) over the platform's own programs
// (programs.h), without any shell. The window style means nothing on a
// server; with wait, Run gives the program's exit code, without it 0 at once
// while the program runs on.
#include "platform/com/object.h"

namespace sys {

class WScriptShell : public com::Dispatch<WScriptShell> {
 public:
  static const com::MemberTable<WScriptShell>& Members();
  vb::String TypeName() const override { return u"IWshShell3"; }

  int32_t Run(vb::StringView line, int32_t style, bool wait);
};

// Registers "WScript.Shell" for CreateObject.
void RegisterClasses();

}  // namespace sys

#pragma once
// "JRO.JetEngine": compaction of an Access database into a new file, and the
// safe way to put the compacted file in the place of the old one.
#include <filesystem>

#include "platform/com/object.h"

namespace ado {

class JetEngine : public com::Dispatch<JetEngine> {
 public:
  static const com::MemberTable<JetEngine>& Members();
  vb::String TypeName() const override { return u"JetEngine"; }

  // Writes a compacted copy of the source database to the destination
  // (which must not exist), with the destination's password.
  void CompactDatabase(vb::StringView source, vb::StringView destination);
};

// Puts the content of `replacement` into the database file `target` and
// removes `replacement`. The copy goes through the database's own locks, page
// by page, so connections that have `target` open wait for it and then see
// the new content; a plain file copy or rename would leave them on the old
// file (rename) or let them read a file half written (copy).
void ReplaceDatabase(const std::filesystem::path& target, const std::filesystem::path& replacement);

}  // namespace ado

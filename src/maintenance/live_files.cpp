#include "maintenance/live_files.h"

#include "common/kesra_file_operations.h"
#include "platform/ado/database_file.h"
#include "platform/ado/jro.h"
#include "platform/fs/paths.h"
#include "platform/vb/strings.h"

namespace qe {

LiveFileReplacement::LiveFileReplacement(vb::Variant& Server, const vb::String& folder,
                                         const std::vector<vb::String>& names, vb::StringView label)
    : place_(Server, folder), backup_(Server, label) {
  // What a killed run left there goes first.
  try {
    if (auto host = fs::ResolveExisting(folder)) RemoveAbandonedScratch(*host);
  } catch (const vb::Error&) {
  }
  for (const vb::String& name : names) {
    LiveFile file{name, vb::Replace(folder + u"\\" + name, u"\\\\", u"\\"), false, false, nullptr};
    file.exists = KesraFileExist(file.path, 0);
    if (file.exists) {
      try {
        file.writers_wait = std::make_unique<ado::DatabaseWriteLock>(fs::ToHostPath(file.path));
      } catch (const vb::Error&) {
        // A busy database is left alone (Keep); one that is no database
        // (damaged) is copied as it is.
      }
    }
    files_.push_back(std::move(file));
  }
}

LiveFileReplacement::~LiveFileReplacement() = default;

bool LiveFileReplacement::AnyExists() const {
  for (const LiveFile& file : files_)
    if (file.exists) return true;
  return false;
}

bool LiveFileReplacement::Keep(size_t i) {
  LiveFile& file = files_[i];
  if (!file.exists) return true;
  // Without its lock only a file that says it is no database is kept and
  // replaced: one whose lock could not be had is being written, and one
  // that cannot be read now may be a database all the same.
  if (!file.writers_wait && ado::FormatOfDatabaseFile(fs::ToHostPath(file.path)) != ado::DatabaseFileFormat::kNotADatabase)
    return false;
  try {
    file.kept = backup_.Put(file.name, [&](const vb::String& copy) {
      if (file.writers_wait) {
        ado::CopyDatabase(fs::ToHostPath(file.path), fs::ToHostPath(copy));
      } else if (KesraFileCopyMove(file.path, copy, u"copy", u"") != kFileOperationDone) {
        vb::Raise(vb::kPathFileAccessError, copy);
      }
    });
  } catch (const vb::Error&) {
    file.kept = false;
  }
  return file.kept;
}

bool LiveFileReplacement::Publish() {
  bool published = true;
  for (const LiveFile& file : files_)
    if (file.kept) {
      published = backup_.Publish();
      break;
    }
  StopPoint("published");
  return published;
}

void LiveFileReplacement::Replace(size_t i, const vb::String& built) {
  LiveFile& file = files_[i];
  if (file.exists && !(file.kept && backup_.Published())) vb::Raise(vb::kPathFileAccessError, file.path);
  // Beside the live file, on its file system, so that one rename swaps them.
  const vb::String staged = PrivateNameBeside(file.path, u"replace-") + u".mdb";
  try {
    ado::CopyDatabase(fs::ToHostPath(built), fs::ToHostPath(staged));
    StopPoint("staged");
    if (file.writers_wait) {
      if (!file.writers_wait->Replace(fs::ToHostPath(staged))) vb::Raise(vb::kPathFileAccessError, file.path);
    } else if (file.exists) {
      // No database lives there (a damaged file): nobody can be using it as one.
      if (KesraFileCopyMove(staged, file.path, u"move", u"overwrite") != kFileOperationDone)
        vb::Raise(vb::kPathFileAccessError, file.path);
    } else if (!ado::PlaceDatabaseWhereNoneIs(fs::ToHostPath(file.path), fs::ToHostPath(staged))) {
      // Made since the run began (a page's first use, say): it has no copy.
      vb::Raise(vb::kPathFileAccessError, file.path);
    }
  } catch (const vb::Error&) {
    KesraFileDelete(staged, false);
    throw;
  }
  file.writers_wait.reset();
  StopPoint("swapped");
}

void LiveFileReplacement::Release(size_t i) { files_[i].writers_wait.reset(); }

}  // namespace qe

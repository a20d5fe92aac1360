#include "common/kesra_file_backup.h"

#include <cstdio>

#include "common/kesra_file_operations.h"
#include "common/kesra_file_paths.h"
#include "platform/com/object.h"
#include "platform/vb/datetime.h"
#include "platform/vb/strings.h"

namespace qe {

namespace {

vb::String SingleSeparators(const vb::String& path) { return vb::Replace(path, u"\\\\", u"\\"); }

}  // namespace

vb::String KesraBackupTimeName() {
  vb::Date today = vb::Today(), now = vb::TimeOfDay();
  char digits[32];
  std::snprintf(digits, sizeof digits, "%04d%02d%02d%02d%02d%02d", vb::Year(today), vb::Month(today), vb::Day(today),
                vb::Hour(now), vb::Minute(now), vb::Second(now));
  return vb::FromUtf8(digits);
}

vb::String KesraFileBackup(vb::Variant&, vb::Variant&, vb::Variant& Server, vb::String p_TableList,
                           uint8_t p_IsAutoBackup, vb::String p_BackupName, vb::String p_BackUpPath) {
  if (p_IsAutoBackup == 0) return {};
  if (p_BackUpPath.empty()) p_BackUpPath = u"/AutoBackup";
  vb::String folder = MapPathWithoutDrive(
      Server, SingleSeparators(vb::Trim(p_BackUpPath) + u"\\" + p_BackupName + KesraBackupTimeName()));
  if (!KesraFolderCreate(folder)) return {};
  if (p_TableList.empty()) p_TableList = u"qe.asp";
  for (const vb::String& name : vb::SplitParts(p_TableList, u"|")) {
    vb::String source = MapPathWithoutDrive(Server, SingleSeparators(u"/data\\" + name));
    if (KesraFileCopyMove(source, folder + u"\\" + name, u"copy", u"overwrite") != kFileOperationDone) return {};
  }
  return folder;
}

}  // namespace qe

#include "platform/sys/rar_program.h"

#include "platform/fs/full_path.h"
#include "platform/fs/file_write.h"
#include "platform/vb/error.h"
#include "platform/zip/rar_reader.h"

namespace sys {

namespace {

bool KnownExtractSwitch(vb::StringView option) {
  for (vb::StringView known : {u"r", u"o+", u"p-", u"y"}) {
    if (vb::EqualsNoCase(option, known)) return true;
  }
  return false;
}

int32_t ExitCode(ziparc::ZipResult result) {
  switch (result) {
    case ziparc::kZipSuccess: return kRarSuccess;
    case ziparc::kZipNothingToDo: return kRarNoFiles;
    case ziparc::kZipNotAnArchive: return kRarOpenError;
    case ziparc::kZipPassword: return kRarBadPassword;
    case ziparc::kZipDamaged: return kRarDataError;
    case ziparc::kZipWriteFailure: return kRarWriteError;
    case ziparc::kZipUnsafeEntry:
    case ziparc::kZipSizeCap: return kRarFatalError;
  }
  return kRarFatalError;
}

int32_t Extract(const std::vector<vb::String>& arguments) {
  std::vector<vb::String> names;
  bool switches = true;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const vb::String& argument = arguments[i];
    if (switches && argument == u"--") {
      switches = false;
    } else if (switches && argument.size() > 1 && argument[0] == u'-') {
      if (!KnownExtractSwitch(vb::StringView(argument).substr(1))) return kRarUserError;
    } else {
      names.push_back(argument);
    }
  }
  if (names.empty() || names.size() > 2) return kRarUserError;
  try {
    vb::String archive = fs::FullPath(names[0]);
    vb::String destination = fs::CurrentFolder();
    if (names.size() == 2) {
      // The real tool takes a last name without "\" as a file mask; here it
      // must be a folder.
      destination = fs::FullPath(names[1]);
      if (!fs::EndsWithSeparator(destination) && !fs::IsExistingFolder(destination)) return kRarUserError;
      while (fs::EndsWithSeparator(destination) && destination.size() > 3) destination.pop_back();
    }
    return ExitCode(ziparc::UnpackRar(archive, destination));
  } catch (const vb::Error&) {  // a path the drive map refuses
    return kRarOpenError;
  }
}

}  // namespace

int32_t RunRar(const std::vector<vb::String>& arguments) {
  if (arguments.empty()) return kRarUserError;
  if (vb::EqualsNoCase(arguments[0], u"x")) return Extract(arguments);
  if (vb::EqualsNoCase(arguments[0], u"a")) return kRarFatalError;
  return kRarUserError;
}

}  // namespace sys

#pragma once
// The results of the zip class's Zip and Unzip: 0 is success, as callers rely
// on; each failure has its own code.
#include <cstdint>

namespace ziparc {

enum ZipResult : int32_t {
  kZipSuccess = 0,
  kZipNothingToDo = 1,     // no file matched what was to be processed
  kZipNotAnArchive = 2,    // the archive is missing, or a file that is not a zip archive
  kZipPassword = 3,        // an encrypted entry and no password, or a wrong one
  kZipUnsafeEntry = 4,     // an entry or item that would leave its folder, a link, a name Windows refuses
  kZipSizeCap = 5,         // more entries or bytes than one extraction may write
  kZipWriteFailure = 6,    // the archive or a file could not be written
  kZipDamaged = 7,         // the archive's data is broken (a bad checksum, a cut-off entry)
};

}  // namespace ziparc

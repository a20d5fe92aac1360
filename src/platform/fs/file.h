#pragma once
// Files by Windows path: opening (CreateFile's dispositions), writing,
// reading, and a file written whole that never replaces another.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/vb/string.h"

namespace fs {

using vb::String;
using vb::StringView;

enum class Disposition {
  kCreateAlways,  // a new file, or an existing one emptied
  kOpenAlways,    // an existing file as it is, or a new one
  kOpenExisting,  // an existing file only
  kCreateNew,     // a new file only
};

class File {
 public:
  // The file, for reading and, with `write`, writing; others may read and
  // write it meanwhile. The path is made absolute (FullPath) and resolved
  // (ToHostPath), and raises as they do; besides, vb::Error 53 for a missing
  // file, 76 for a missing folder, 58 for an existing one with kCreateNew,
  // 70 when access is refused and 75 for a folder.
  static File Open(StringView path, bool write, Disposition disposition);

  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // False when the disk took less than everything (a full disk, an I/O error).
  bool Write(std::string_view bytes);
  void SeekToEnd();
  // What remains from the current position.
  std::string ReadToEnd();
  // Up to `count` bytes from the current position into `out`; 0 at the end.
  // Raises vb::Error 57 when the system cannot read.
  size_t Read(char* out, size_t count);
  uint64_t Size() const;
  // For the system calls that take the file itself.
  int Descriptor() const { return descriptor_; }
  // False when the system reported a failure on closing (a delayed write).
  bool Close();

 private:
  explicit File(int descriptor) : descriptor_(descriptor) {}
  int descriptor_ = -1;
};

// The whole content of an existing file; raises as File::Open.
std::string ReadAllBytes(StringView path);

// Writes a new file with the bytes and gives true; gives false, writing
// nothing, when the file exists already (also when another writer made it
// first: the file appears whole or not at all). Raises as File::Open, and
// vb::Error 61 when the disk cannot take the bytes.
bool WriteNewFile(StringView path, std::string_view bytes);

}  // namespace fs

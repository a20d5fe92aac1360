#pragma once
// Extraction that touches the destination only when the whole archive is out.
//
// A first pass declares every entry: each is checked before anything is
// written (a name that leads out of the destination, a link or device, an
// entry that would replace a folder or a link, too many entries or too many
// declared bytes refuse the whole archive). The second pass writes the files
// into a private folder on the destination's file system (a scratch folder
// that a mount clears if a kill leaves it, fs::ScratchFolderFor), counting
// the bytes as they are written; only when every file is complete are they moved into place,
// each replacing its old file in one step. A stop on the way (a cap, a read
// or write error) removes the private folder and leaves the destination as it
// was.
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "platform/vb/string.h"
#include "platform/zip/zip_results.h"

namespace ziparc {

// What one extraction may write. Process-wide; tests lower them.
struct ExtractionLimits {
  uint64_t bytes = uint64_t{1} << 30;
  uint32_t entries = 10000;
  // What one entry's decoder may allocate (an LZMA or xz dictionary): a
  // larger one fails the entry as broken data.
  uint64_t decoder_memory = uint64_t{128} << 20;
  // The largest PPMd model, which libarchive allocates as declared. 7-Zip's
  // highest level declares 256 MiB, all the format can, for any file over
  // 8 MiB; the model fills only as the data teach it.
  uint64_t ppmd_model_memory = uint64_t{256} << 20;
};
ExtractionLimits CurrentLimits();
void SetLimits(ExtractionLimits limits);

// A lower cap on the bytes of the extractions this thread runs while the
// object lives (the free room of the drive an archive is unpacked for): the
// declared total is held to it before anything is written, and the writing
// stops as soon as the bytes written pass it.
class ThreadByteCap {
 public:
  explicit ThreadByteCap(uint64_t bytes);
  ~ThreadByteCap();
  ThreadByteCap(const ThreadByteCap&) = delete;
  ThreadByteCap& operator=(const ThreadByteCap&) = delete;
  // Whether an extraction stopped at this cap (rather than at the limits).
  bool Reached() const { return reached_; }

 private:
  friend class StagedExtraction;
  uint64_t bytes_;
  bool reached_ = false;
  ThreadByteCap* outer_;
};

enum class EntryType { kFile, kFolder, kOther };

enum class Outcome {
  kDone,
  kUnsafe,      // an entry that must not be written: nothing was
  kCapReached,  // more entries or bytes than the limits allow
  kReadFailed,  // the reader reported an error (its own cause is the caller's)
  kWriteFailed,
};

// The zip class's result for an outcome (a read failure is broken data).
ZipResult ResultOf(Outcome outcome);

class StagedExtraction {
 public:
  // `destination`: a real path; made, with missing parents, when the second
  // pass begins (and removed again when the extraction does not complete).
  explicit StagedExtraction(vb::StringView destination);
  ~StagedExtraction();
  StagedExtraction(const StagedExtraction&) = delete;
  StagedExtraction& operator=(const StagedExtraction&) = delete;

  static constexpr size_t kNone = static_cast<size_t>(-1);

  // First pass, in archive order. `flatten` keeps only the last name (a folder
  // entry is then dropped). `*id` receives the entry's handle for WriteFile,
  // or kNone when nothing is to be written for it.
  Outcome Declare(vb::StringView name, EntryType type, uint64_t declared_size, bool flatten, size_t* id);
  // The end of the first pass: the limits and the destination as it is now.
  Outcome Check();

  // Second pass. A reader gives up to `size` bytes into the buffer: the count,
  // 0 at the end, negative on an error.
  using Reader = std::function<int64_t(char* buffer, size_t size)>;
  Outcome Begin();
  Outcome WriteFile(size_t id, const Reader& read, std::time_t modified);
  Outcome Commit();

 private:
  struct Node;
  Outcome CheckNode(size_t index, const std::filesystem::path& target_folder, bool folder_exists);
  std::filesystem::path StagedPath(size_t index) const;
  void Abandon();
  Outcome CapReached();

  vb::String destination_;
  std::vector<Node> nodes_;  // nodes_[0] is the destination itself
  uint64_t declared_entries_ = 0;
  uint64_t declared_bytes_ = 0;
  uint64_t written_bytes_ = 0;
  ExtractionLimits limits_;
  ThreadByteCap* cap_ = nullptr;  // the thread's cap when it is the lower one
  std::filesystem::path destination_host_;
  std::filesystem::path created_from_;  // the first folder this extraction made, if any
  std::filesystem::path private_folder_;
  bool checked_ = false;
  bool committed_ = false;
};

}  // namespace ziparc

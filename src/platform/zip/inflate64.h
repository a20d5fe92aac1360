#pragma once
// Deflate64 (zip method 9), which Windows' own zip folders write for large
// files and 7-Zip on request: deflate with a 64 KiB window, a length code of
// 16 extra bits and two more distance codes. Neither zlib nor the zip
// libraries here read it.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace ziparc {

// Gives up to `size` bytes: the count, 0 at the end, negative on an error.
using ByteSource = std::function<int64_t(char* buffer, size_t size)>;

class Inflate64 {
 public:
  explicit Inflate64(ByteSource compressed);
  ~Inflate64();
  Inflate64(const Inflate64&) = delete;
  Inflate64& operator=(const Inflate64&) = delete;

  // The next decoded bytes: the count, 0 at the end of the stream, -1 for
  // broken data or a failing source.
  int64_t Read(char* out, size_t size);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace ziparc

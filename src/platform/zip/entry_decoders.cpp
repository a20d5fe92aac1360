#include "platform/zip/entry_decoders.h"

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace ziparc {

namespace {

constexpr size_t kInputSize = 64 * 1024;

// Input for a streaming decoder, a block at a time from the stored bytes.
struct InputBlocks {
  ByteSource source;
  std::vector<char> block = std::vector<char>(kInputSize);
  bool ended = false;

  // The next block's size; 0 at the end; -1 when the source fails.
  int64_t Next() {
    if (ended) return 0;
    int64_t got = source(block.data(), block.size());
    if (got == 0) ended = true;
    return got;
  }
};

enum class Step { kMore, kEnd, kBroken };

// The loop that zlib, libbz2 and liblzma streams share: output filled by
// `step`, input taken a block at a time as it runs out. A stream that ends
// before its end marker is broken.
template <class Stream, class StepFunction>
int64_t Pump(Stream& stream, InputBlocks& input, bool& done, char* out, size_t size, StepFunction step) {
  if (done) return 0;
  using OutCount = decltype(stream.avail_out);
  stream.next_out = reinterpret_cast<decltype(stream.next_out)>(out);
  stream.avail_out = static_cast<OutCount>(std::min<size_t>(size, 1u << 30));
  OutCount asked = stream.avail_out;
  while (stream.avail_out > 0 && !done) {
    if (stream.avail_in == 0) {
      int64_t got = input.Next();
      if (got <= 0) return -1;
      stream.next_in = reinterpret_cast<decltype(stream.next_in)>(input.block.data());
      stream.avail_in = static_cast<decltype(stream.avail_in)>(got);
    }
    switch (step()) {
      case Step::kMore: break;
      case Step::kEnd: done = true; break;
      case Step::kBroken: return -1;
    }
  }
  return static_cast<int64_t>(asked - stream.avail_out);
}

Step OfZlib(int status) {
  if (status == Z_STREAM_END) return Step::kEnd;
  return status == Z_OK || status == Z_BUF_ERROR ? Step::kMore : Step::kBroken;
}
Step OfLzma(lzma_ret status) {
  if (status == LZMA_STREAM_END) return Step::kEnd;
  return status == LZMA_OK ? Step::kMore : Step::kBroken;
}
Step OfBzip2(int status) {
  if (status == BZ_STREAM_END) return Step::kEnd;
  return status == BZ_OK ? Step::kMore : Step::kBroken;
}

class ZlibDecoder {
 public:
  explicit ZlibDecoder(ByteSource stored) : input_{std::move(stored)} {
    ready_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK;
  }
  ~ZlibDecoder() {
    if (ready_) inflateEnd(&stream_);
  }
  int64_t Read(char* out, size_t size) {
    if (!ready_) return -1;
    return Pump(stream_, input_, done_, out, size, [this] { return OfZlib(inflate(&stream_, Z_NO_FLUSH)); });
  }

 private:
  InputBlocks input_;
  z_stream stream_{};
  bool ready_ = false;
  bool done_ = false;
};

class Bzip2Decoder {
 public:
  explicit Bzip2Decoder(ByteSource stored) : input_{std::move(stored)} {
    ready_ = BZ2_bzDecompressInit(&stream_, 0, 0) == BZ_OK;
  }
  ~Bzip2Decoder() {
    if (ready_) BZ2_bzDecompressEnd(&stream_);
  }
  int64_t Read(char* out, size_t size) {
    if (!ready_) return -1;
    return Pump(stream_, input_, done_, out, size, [this] { return OfBzip2(BZ2_bzDecompress(&stream_)); });
  }

 private:
  InputBlocks input_;
  bz_stream stream_{};
  bool ready_ = false;
  bool done_ = false;
};

// xz entries: an xz stream (liblzma checks its own checksums too).
class XzDecoder {
 public:
  XzDecoder(ByteSource stored, uint64_t memory_limit, bool* over_limit)
      : input_{std::move(stored)}, over_limit_(over_limit) {
    ready_ = lzma_stream_decoder(&stream_, memory_limit, 0) == LZMA_OK;
  }
  ~XzDecoder() { lzma_end(&stream_); }
  int64_t Read(char* out, size_t size) {
    if (!ready_) return -1;
    return Pump(stream_, input_, done_, out, size, [this] {
      lzma_ret status = lzma_code(&stream_, LZMA_RUN);
      if (status == LZMA_MEMLIMIT_ERROR) *over_limit_ = true;
      return OfLzma(status);
    });
  }

 private:
  InputBlocks input_;
  bool* over_limit_;
  lzma_stream stream_ = LZMA_STREAM_INIT;
  bool ready_ = false;
  bool done_ = false;
};

// 7-Zip's LZMA entries: a version (2 bytes), the properties' size (2 bytes,
// 5) and the properties, then raw LZMA1 data, with an end marker or ending
// at the entry's size. The stream must end where the declared size does:
// data past it make the entry broken, as 7-Zip and libarchive find.
class LzmaDecoder {
 public:
  LzmaDecoder(ByteSource stored, uint64_t size, uint64_t memory_limit, bool* over_limit)
      : input_{std::move(stored)}, size_(size), memory_limit_(memory_limit), over_limit_(over_limit) {}
  ~LzmaDecoder() {
    lzma_end(&stream_);
    free(filters_[0].options);
  }
  int64_t Read(char* out, size_t size) {
    if (!started_ && !Start()) return -1;
    bool was_done = done_;
    int64_t got = Pump(stream_, input_, done_, out, size, [this] { return OfLzma(lzma_code(&stream_, LZMA_RUN)); });
    // Stored bytes left after the stream's end are more data than declared.
    if (got >= 0 && done_ && !was_done && (stream_.avail_in > 0 || input_.Next() != 0)) return -1;
    return got;
  }

 private:
  bool Start() {
    started_ = true;
    uint8_t header[9];
    for (size_t have = 0; have < sizeof header;) {
      if (stream_.avail_in == 0) {
        int64_t got = input_.Next();
        if (got <= 0) return false;
        stream_.next_in = reinterpret_cast<const uint8_t*>(input_.block.data());
        stream_.avail_in = static_cast<size_t>(got);
      }
      size_t take = std::min(sizeof header - have, stream_.avail_in);
      std::copy_n(stream_.next_in, take, header + have);
      stream_.next_in += take;
      stream_.avail_in -= take;
      have += take;
    }
    if (header[2] != 5 || header[3] != 0) return false;
    filters_[0].id = LZMA_FILTER_LZMA1;
    filters_[1].id = LZMA_VLI_UNKNOWN;
    if (lzma_properties_decode(&filters_[0], nullptr, header + 4, 5) != LZMA_OK) return false;
    // No match reaches further back than the entry's size: a larger
    // dictionary is never used, and is not allocated.
    auto* options = static_cast<lzma_options_lzma*>(filters_[0].options);
    uint64_t needed = std::min<uint64_t>(options->dict_size, size_);
    options->dict_size = static_cast<uint32_t>(std::max<uint64_t>(needed, LZMA_DICT_SIZE_MIN));
    // The decoder stops at the declared size, where an end marker may stand.
    filters_[0].id = LZMA_FILTER_LZMA1EXT;
    options->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
    lzma_set_ext_size(*options, size_);
    if (lzma_raw_decoder_memusage(filters_) > memory_limit_) {
      *over_limit_ = true;
      return false;
    }
    return lzma_raw_decoder(&stream_, filters_) == LZMA_OK;
  }

  InputBlocks input_;
  uint64_t size_;
  uint64_t memory_limit_;
  bool* over_limit_;
  lzma_stream stream_ = LZMA_STREAM_INIT;
  lzma_filter filters_[2] = {};
  bool started_ = false;
  bool done_ = false;
};

// Counts and sums what a decoder gives, and fails the end when it is not
// what the headers declared.
class CheckedReader {
 public:
  CheckedReader(ByteSource decoded, uint64_t size, std::optional<uint32_t> crc)
      : decoded_(std::move(decoded)), size_(size), crc_(crc) {}
  int64_t Read(char* out, size_t size) {
    int64_t got = decoded_(out, size);
    if (got < 0) return -1;
    total_ += static_cast<uint64_t>(got);
    if (total_ > size_) return -1;
    sum_ = static_cast<uint32_t>(crc32(sum_, reinterpret_cast<const Bytef*>(out), static_cast<uInt>(got)));
    if (got == 0 && (total_ != size_ || (crc_ && *crc_ != sum_))) return -1;
    return got;
  }

 private:
  ByteSource decoded_;
  uint64_t size_;
  std::optional<uint32_t> crc_;
  uint64_t total_ = 0;
  uint32_t sum_ = 0;
};

template <class Decoder>
ByteSource Shared(std::shared_ptr<Decoder> decoder) {
  return [decoder](char* out, size_t size) { return decoder->Read(out, size); };
}

}  // namespace

bool DecodesMethod(int32_t method) {
  return method == kStored || method == kDeflated || method == kDeflate64 || method == kBzip2 || method == kLzma ||
         method == kXz;
}

ByteSource DecodedEntry(int32_t method, ByteSource stored, uint64_t size, std::optional<uint32_t> crc,
                        uint64_t memory_limit, bool* over_limit) {
  ByteSource decoded;
  switch (method) {
    case kStored: decoded = std::move(stored); break;
    case kDeflated: decoded = Shared(std::make_shared<ZlibDecoder>(std::move(stored))); break;
    case kDeflate64: decoded = Shared(std::make_shared<Inflate64>(std::move(stored))); break;
    case kBzip2: decoded = Shared(std::make_shared<Bzip2Decoder>(std::move(stored))); break;
    case kLzma:
      decoded = Shared(std::make_shared<LzmaDecoder>(std::move(stored), size, memory_limit, over_limit));
      break;
    case kXz: decoded = Shared(std::make_shared<XzDecoder>(std::move(stored), memory_limit, over_limit)); break;
    default: return [](char*, size_t) -> int64_t { return -1; };
  }
  return Shared(std::make_shared<CheckedReader>(std::move(decoded), size, crc));
}

}  // namespace ziparc

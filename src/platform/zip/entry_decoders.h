#pragma once
// Decoding an entry's stored bytes, as libzip gives them decrypted, for
// what libzip 1.7.3 cannot decode: Deflate64 and LZMA, and any method under
// AES (libzip fails the CRC of a decompressed AE-2 entry, which is 0, and
// libarchive 3.6 decrypts only deflate). zlib, libbz2 and liblzma decode;
// Deflate64 is this reader's own.
#include <cstdint>
#include <optional>

#include "platform/zip/inflate64.h"

namespace ziparc {

enum ZipMethod : int32_t { kStored = 0, kDeflated = 8, kDeflate64 = 9, kBzip2 = 12, kLzma = 14, kXz = 95 };

bool DecodesMethod(int32_t method);

// The entry's bytes from its stored bytes. Broken data, more or fewer bytes
// than `size`, or a CRC-32 other than `crc` (when given) fail the read; so
// does a decoder that would need more than `memory_limit` bytes, which also
// sets `*over_limit`.
ByteSource DecodedEntry(int32_t method, ByteSource stored, uint64_t size, std::optional<uint32_t> crc,
                        uint64_t memory_limit, bool* over_limit);

}  // namespace ziparc
